// Checks the shape of the source tree against tools/layout.txt:
// - a file includes only from its own folder or the floors below it: folders on one floor
//   do not include each other, and no two folders include each other round a loop;
// - platform conditionals stand only in files whose names end in their platform
//   (name_posix.cpp, name_win32.cpp, name_x11.cpp, name_wayland.cpp), in src and in tests;
// - each name listed under "once:" is spelled, as a quoted literal, in one file of src only;
// - a folder listed first under "apart:" includes nothing from the folders after it.
// - "lines: FILE FUNCTION N": the function's definition in FILE spans fewer than N lines;
// - "notbase: CLASS BASE": no definition of CLASS in src derives from BASE;
// - no variable in src is mutable at namespace scope (a signal handler's
//   volatile std::sig_atomic_t aside, which has nowhere else to live).
// Usage: check_layout SRC_DIR LAYOUT_FILE [TESTS_DIR]. Prints every finding; exit 1 when any.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct LinesRule {
    std::string file, function;
    int below = 0;
};

struct Layout {
    std::vector<std::pair<std::string, int>> folders; // folder, floor (0 lowest)
    std::vector<std::string> once;                    // literals spelled in one file only
    // A folder and the folders it must not include from, whatever their floors.
    std::vector<std::pair<std::string, std::vector<std::string>>> apart;
    std::vector<LinesRule> lines;
    std::vector<std::pair<std::string, std::string>> notBase; // class, base
};

Layout readLayout(const fs::path& file) {
    Layout layout;
    std::ifstream in(file);
    std::string line;
    int floor = 0;
    while (std::getline(in, line)) {
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string word;
        if (!(words >> word))
            continue;
        if (word == "once:") {
            while (words >> word)
                layout.once.push_back(word);
            continue;
        }
        if (word == "apart:") {
            std::pair<std::string, std::vector<std::string>> rule;
            words >> rule.first;
            while (words >> word)
                rule.second.push_back(word);
            layout.apart.push_back(std::move(rule));
            continue;
        }
        if (word == "lines:") {
            LinesRule rule;
            words >> rule.file >> rule.function >> rule.below;
            layout.lines.push_back(rule);
            continue;
        }
        if (word == "notbase:") {
            std::string cls, base;
            words >> cls >> base;
            layout.notBase.emplace_back(cls, base);
            continue;
        }
        do
            layout.folders.emplace_back(word, floor);
        while (words >> word);
        ++floor;
    }
    return layout;
}

// Whether folder is name or lies under it.
bool within(const std::string& folder, const std::string& name) {
    return folder == name ||
           (folder.size() > name.size() && folder.compare(0, name.size(), name) == 0 &&
            folder[name.size()] == '/');
}

// The layout entry a folder belongs to: the longest entry that is the folder or holds it.
const std::pair<std::string, int>* entryOf(const Layout& layout, const std::string& folder) {
    const std::pair<std::string, int>* best = nullptr;
    for (const auto& entry : layout.folders) {
        const std::string& name = entry.first;
        if (within(folder, name) && (!best || name.size() > best->first.size()))
            best = &entry;
    }
    return best;
}

bool isSource(const fs::path& p) {
    const std::string ext = p.extension().string();
    return ext == ".cpp" || ext == ".h" || ext == ".hpp" || ext == ".cc";
}

bool namedForPlatform(const fs::path& p) {
    static const std::regex platform("_(win32|posix|x11|wayland|linux)$");
    return std::regex_search(p.stem().string(), platform);
}

const std::regex& platformMacro() {
    static const std::regex macro(R"(\b(_WIN32|__linux__|__APPLE__|Q_OS_\w+)\b)");
    return macro;
}

std::string withoutLineComments(const std::string& line) {
    const auto at = line.find("//");
    return at == std::string::npos ? line : line.substr(0, at);
}

class Checker {
  public:
    Checker(fs::path src, Layout layout, fs::path tests)
        : src_(std::move(src)), layout_(std::move(layout)), tests_(std::move(tests)) {}

    int run() {
        const std::vector<fs::path> files = sources(src_);
        for (const fs::path& file : files)
            checkFile(file);
        const std::vector<fs::path> testFiles =
            tests_.empty() ? std::vector<fs::path>{} : sources(tests_);
        for (const fs::path& file : testFiles)
            checkTestFile(file);
        checkCycles();
        checkOnce();
        checkLines();
        for (const fs::path& file : files) {
            checkBases(file);
            checkStatics(file);
        }
        for (const std::string& finding : findings_)
            std::cout << finding << '\n';
        std::cout << files.size() + testFiles.size() << " files checked, " << findings_.size()
                  << " findings\n";
        return findings_.empty() ? 0 : 1;
    }

  private:
    static std::vector<fs::path> sources(const fs::path& root) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file() && isSource(entry.path()))
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    // Tests sit above every floor; they keep to the platform rule.
    void checkTestFile(const fs::path& file) {
        const std::string rel = "tests/" + fs::relative(file, tests_).generic_string();
        std::ifstream in(file);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            std::smatch m;
            const std::string code = withoutLineComments(line);
            if (!namedForPlatform(file) && std::regex_search(code, m, platformMacro()))
                findings_.push_back(rel + ":" + std::to_string(number) + ": " + m[1].str() +
                                    " outside a file named for its platform");
        }
    }

    void checkFile(const fs::path& file) {
        const std::string rel = fs::relative(file, src_).generic_string();
        const std::string folder = fs::path(rel).parent_path().generic_string();
        const auto* home = entryOf(layout_, folder);
        if (!home) {
            findings_.push_back(rel + ": folder \"" + folder + "\" has no floor in the layout");
            return;
        }
        static const std::regex include(R"(^\s*#\s*include\s*\"([^\"]+)\")");
        std::ifstream in(file);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            const std::string where = rel + ":" + std::to_string(number);
            std::smatch m;
            if (std::regex_search(line, m, include))
                checkInclude(where, *home, folder, m[1].str());
            const std::string code = withoutLineComments(line);
            if (!namedForPlatform(file) && std::regex_search(code, m, platformMacro()))
                findings_.push_back(where + ": " + m[1].str() +
                                    " outside a file named for its platform");
            for (const std::string& literal : layout_.once)
                if (code.find(literal) != std::string::npos)
                    spelledIn_[literal].insert(rel);
        }
    }

    void checkInclude(const std::string& where, const std::pair<std::string, int>& home,
                      const std::string& folder, const std::string& target) {
        // A bare name is beside the including file; generated files have no folder of ours.
        const std::string targetFolder = target.find('/') == std::string::npos
                                             ? folder
                                             : fs::path(target).parent_path().generic_string();
        if (!fs::exists(src_ / target) && !fs::exists(src_ / folder / target))
            return;
        const auto* there = entryOf(layout_, targetFolder);
        if (!there) {
            findings_.push_back(where + ": includes \"" + target +
                                "\" from a folder with no floor");
            return;
        }
        for (const auto& [from, kept] : layout_.apart)
            for (const std::string& away : kept)
                if (within(folder, from) && within(targetFolder, away))
                    findings_.push_back(where + ": \"" + from + "\" includes \"" + target +
                                        "\" from \"" + away + "\", which it is kept apart from");
        if (there->first != home.first)
            edges_[home.first].insert(there->first);
        if (there->second > home.second)
            findings_.push_back(where + ": \"" + home.first + "\" includes \"" + target +
                                "\" from the higher floor \"" + there->first + "\"");
        else if (there->second == home.second && there->first != home.first)
            findings_.push_back(where + ": \"" + home.first + "\" includes \"" + target +
                                "\" from \"" + there->first + "\" on the same floor");
    }

    void checkCycles() {
        std::map<std::string, int> state; // 0 new, 1 on the path, 2 done
        std::vector<std::string> path;
        std::set<std::string> reported;
        std::function<void(const std::string&)> visit = [&](const std::string& node) {
            state[node] = 1;
            path.push_back(node);
            for (const std::string& next : edges_[node]) {
                if (state[next] == 1) {
                    const auto from = std::find(path.begin(), path.end(), next);
                    std::string loop;
                    for (auto it = from; it != path.end(); ++it)
                        loop += *it + " -> ";
                    loop += next;
                    if (reported.insert(loop).second)
                        findings_.push_back("folders include each other: " + loop);
                } else if (state[next] == 0) {
                    visit(next);
                }
            }
            path.pop_back();
            state[node] = 2;
        };
        for (const auto& [node, targets] : edges_)
            if (state[node] == 0)
                visit(node);
    }

    void checkOnce() {
        for (const std::string& literal : layout_.once) {
            const auto& files = spelledIn_[literal];
            if (files.size() > 1) {
                std::string list;
                for (const std::string& f : files)
                    list += (list.empty() ? "" : ", ") + f;
                findings_.push_back(literal + " is spelled in " + std::to_string(files.size()) +
                                    " files: " + list);
            }
        }
    }

    static std::string contents(const fs::path& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // From the line naming the function to the line of the brace that closes its body.
    void checkLines() {
        for (const LinesRule& rule : layout_.lines) {
            const std::string text = contents(src_ / rule.file);
            const std::regex head("(^|\\n)[^\\n(]*\\b" + rule.function + R"(\s*\([^;{]*\{)");
            std::smatch m;
            if (!std::regex_search(text, m, head)) {
                findings_.push_back(rule.file + ": no definition of " + rule.function);
                continue;
            }
            std::size_t at = static_cast<std::size_t>(m.position(0) + m.length(0));
            int depth = 1;
            while (at < text.size() && depth > 0) {
                depth += text[at] == '{' ? 1 : text[at] == '}' ? -1 : 0;
                ++at;
            }
            const auto first = text.begin() + m.position(0) + m.length(1);
            const int lines = 1 + static_cast<int>(std::count(first, text.begin() + at, '\n'));
            if (lines >= rule.below)
                findings_.push_back(rule.file + ": " + rule.function + " spans " +
                                    std::to_string(lines) + " lines, not under " +
                                    std::to_string(rule.below));
        }
    }

    void checkBases(const fs::path& file) {
        if (layout_.notBase.empty())
            return;
        const std::string text = contents(file);
        for (const auto& [cls, base] : layout_.notBase) {
            const std::regex definition(R"(\b(class|struct)\s+)" + cls + R"(\b[^;{]*:[^;{]*\b)" +
                                        base + R"(\b[^;]*\{)");
            if (std::regex_search(text, definition))
                findings_.push_back(fs::relative(file, src_).generic_string() + ": " + cls +
                                    " derives from " + base);
        }
    }

    // Text without comments and with every string literal emptied: what declares things.
    static std::string code(const std::string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text.compare(i, 2, "//") == 0) {
                i = text.find('\n', i);
                if (i == std::string::npos)
                    break;
                out += '\n';
            } else if (text.compare(i, 2, "/*") == 0) {
                i = text.find("*/", i + 2);
                if (i == std::string::npos)
                    break;
                ++i;
            } else if (text[i] == '"' || text[i] == '\'') {
                const char quote = text[i];
                for (++i; i < text.size() && text[i] != quote; ++i)
                    i += text[i] == '\\' ? 1 : 0;
                out += "\"\"";
            } else if (text[i] == '#' && (out.empty() || out.back() == '\n')) {
                // A preprocessor line, continued lines included.
                while (i < text.size() && text[i] != '\n')
                    i += text[i] == '\\' ? 2 : 1;
                out += '\n';
            } else {
                out += text[i];
            }
        }
        return out;
    }

    // Each statement made directly in a namespace (or at file scope) that declares a variable
    // neither const nor constexpr.
    void checkStatics(const fs::path& file) {
        static const std::regex notVariable(
            R"(^(using|typedef|template|class|struct|enum|union|extern|friend|namespace|static_assert|Q_\w+)\b)");
        static const std::regex constant(R"(\b(const|constexpr)\b)");
        static const std::regex opensNamespace(R"(\bnamespace\b[^;{}]*$|\bextern\s*""\s*$)");
        const std::string text = code(contents(file));
        std::vector<bool> namespaces; // for each open brace: whether it opens a namespace
        std::string statement;
        for (const char c : text) {
            if (c == '{') {
                namespaces.push_back(std::regex_search(statement, opensNamespace));
                statement.clear();
            } else if (c == '}') {
                if (!namespaces.empty())
                    namespaces.pop_back();
                statement.clear();
            } else if (c != ';') {
                statement += c;
            } else {
                const bool atNamespaceScope =
                    std::all_of(namespaces.begin(), namespaces.end(), [](bool n) { return n; });
                std::istringstream words(statement);
                std::string declaration, word;
                while (words >> word)
                    declaration += (declaration.empty() ? "" : " ") + word;
                const std::string head = declaration.substr(0, declaration.find('='));
                if (atNamespaceScope && !declaration.empty() &&
                    head.find('(') == std::string::npos &&
                    !std::regex_search(declaration, notVariable) &&
                    !std::regex_search(head, constant) &&
                    head.find("volatile std::sig_atomic_t") == std::string::npos)
                    findings_.push_back(
                        fs::relative(file, src_).generic_string() +
                        ": a mutable variable at namespace scope: " + declaration.substr(0, 80));
                statement.clear();
            }
        }
    }

    fs::path src_;
    Layout layout_;
    fs::path tests_;
    std::vector<std::string> findings_;
    std::map<std::string, std::set<std::string>> edges_;
    std::map<std::string, std::set<std::string>> spelledIn_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: check_layout SRC_DIR LAYOUT_FILE [TESTS_DIR]\n";
        return 2;
    }
    Layout layout = readLayout(argv[2]);
    if (layout.folders.empty()) {
        std::cerr << "check_layout: no folders in " << argv[2] << '\n';
        return 2;
    }
    return Checker(argv[1], std::move(layout), argc == 4 ? fs::path(argv[3]) : fs::path()).run();
}
