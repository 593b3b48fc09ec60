#include "profile_scripts.h"

#include "core/settings/profile.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ocuvell::profiletest {

Step read(std::string section, std::string key) {
    std::string def = key;
    return {Step::Read, std::move(section), std::move(key), std::move(def)};
}
Step write(std::string section, std::string key, std::string value) {
    return {Step::Write, std::move(section), std::move(key), std::move(value)};
}
Step remove(std::string section, std::string key) {
    return {Step::Remove, std::move(section), std::move(key), {}};
}

namespace {

Step readSized(std::string section, std::string key, std::size_t size) {
    Step s = read(std::move(section), std::move(key));
    s.bufferSize = size;
    return s;
}

// Every entry: the file before, then the calls. Reads use the program's own arguments
// unless a case says otherwise.
std::vector<Script> makeScripts() {
    const std::string digits300 = [] {
        std::string s;
        for (int i = 0; i < 300; ++i)
            s += char('0' + i % 10);
        return s;
    }();
    const std::string rewrites =
        "Wine rewrites the whole file from what it parsed: blank lines dropped, blanks around "
        "names and '=' removed, every line ended with CR LF. Windows changes only the line "
        "concerned and keeps every other byte (Wine's kernel32 profile test 'NULLs in file "
        "before first section. Should be preserved in output' is todo_wine)";
    std::vector<Script> all = {
        {"first start without a file, then the close from the main window",
         std::nullopt,
         {read("dsxx", "mei"), read("dsxx", "xiuxi"), read("dsxx", "pdrun"), read("eye", "pdrun"),
          write("dsxx", "mei", "45"), write("dsxx", "xiuxi", "5"), write("dsxx", "pdrun", "1"),
          write("eye", "liangdu", "-12"), write("eye", "duibidu", "100"), write("eye", "rgbr", "0"),
          write("eye", "rgbg", "0"), write("eye", "rgbb", "-3"), remove("eye", "pdrun"),
          read("dsxx", "mei"), read("eye", "rgbb"), read("eye", "pdrun")}},
        {"removing a key from a missing file",
         std::nullopt,
         // Windows leaves an empty file here, and so do the portable functions (Wine's
         // test 'NULL lpString' is todo_wine). Reads are the same either way.
         {remove("eye", "pdrun"), read("eye", "pdrun")},
         "Wine creates no file when a key is removed from a missing one; Windows leaves an "
         "empty file",
         Script::ReadsOnly},
        {"empty file", "", {read("dsxx", "mei"), write("dsxx", "mei", "30")}},
        {"names match in any letter case; the file's spelling is kept",
         "[DSXX]\r\nMei=30\r\n",
         {read("dsxx", "mei"), read("Dsxx", "MEI"), write("dsxx", "MEI", "40"), read("dsxx", "mei"),
          write("dSxX", "Xiuxi", "5"), read("DSXX", "XIUXI")}},
        {"blanks around names and values in the file",
         "[ dsxx ]\r\n  mei  =  30  \r\nxiuxi\t=\t5\t\r\n",
         {read("dsxx", "mei"), read("dsxx", "xiuxi"), write("dsxx", "mei", "31"),
          read(" dsxx ", " mei "), write("dsxx", "xiuxi", "6")},
         rewrites},
        {"values are written exactly as given; reading trims blanks",
         "[eye]\r\n",
         {write("eye", "rgbr", "  12  "), read("eye", "rgbr"), write("eye", "rgbg", "a b"),
          read("eye", "rgbg"), write("eye", "rgbb", "\t7"), read("eye", "rgbb")},
         "Wine drops the leading blanks of a value it writes; the portable functions write "
         "the value exactly as given. Wine's conformance tests do not say which Windows "
         "does. Both trim the blanks on reading"},
        {"quotes: one matching outer pair is removed on reading",
         "[eye]\r\nq1=\"30\"\r\nq2='5'\r\nq3=\"mixed'\r\nq4=\"a\"b\"\r\nq5=\" spaced \"\r\n"
         "q6=\"\r\nq7=''\r\n",
         {read("eye", "q1"), read("eye", "q2"), read("eye", "q3"), read("eye", "q4"),
          read("eye", "q5"), read("eye", "q6"), read("eye", "q7"), write("eye", "q8", "\"quoted\""),
          read("eye", "q8")}},
        {"comments and blank lines survive every write",
         "; Ocuvell settings\r\n\r\n[dsxx]\r\n; minutes\r\nmei=30\r\n\r\n[eye]\r\n"
         ";liangdu=9\r\nliangdu=3\r\n",
         {read("eye", "liangdu"), write("dsxx", "mei", "31"), write("eye", "duibidu", "80"),
          remove("dsxx", "mei")},
         rewrites},
        {"a semicolon inside a value is part of it",
         "[eye]\r\nrgbr=5 ; red\r\n",
         {read("eye", "rgbr"), write("eye", "rgbg", "6;green"), read("eye", "rgbg")}},
        {"duplicate sections: only the first is searched and written",
         "[eye]\r\nrgbr=1\r\n[dsxx]\r\nmei=30\r\n[eye]\r\nrgbr=2\r\nrgbg=7\r\n",
         {read("eye", "rgbr"), read("eye", "rgbg"), write("eye", "rgbg", "8"), read("eye", "rgbg"),
          write("eye", "rgbr", "9")}},
        {"duplicate keys: the first wins and is the one changed",
         "[eye]\r\nrgbr=1\r\nrgbr=2\r\n",
         {read("eye", "rgbr"), write("eye", "rgbr", "3"), read("eye", "rgbr"),
          remove("eye", "rgbr"), read("eye", "rgbr")}},
        {"no line break at the end: a new key",
         "[dsxx]\r\nmei=30",
         {read("dsxx", "mei"), write("dsxx", "xiuxi", "5"), read("dsxx", "xiuxi")}},
        {"no line break at the end: a new section",
         "[dsxx]\r\nmei=30",
         {write("eye", "pdrun", "1"), read("eye", "pdrun"), read("dsxx", "mei")}},
        {"no line break at the end: the last key changed",
         "[dsxx]\r\nmei=30",
         {write("dsxx", "mei", "31"), read("dsxx", "mei")},
         rewrites},
        {"LF-only file",
         "[dsxx]\nmei=30\nxiuxi=5\n[eye]\npdrun=1\n",
         {read("dsxx", "xiuxi"), write("dsxx", "mei", "31"), write("dsxx", "pdrun", "0"),
          remove("eye", "pdrun"), write("new", "k", "v"), read("dsxx", "pdrun")},
         rewrites},
        {"CR-only file", "[dsxx]\rmei=30\rxiuxi=5\r", {read("dsxx", "mei"), read("dsxx", "xiuxi")}},
        {"long values read back as their first 255 bytes",
         "[dsxx]\r\n",
         {write("dsxx", "mei", digits300), read("dsxx", "mei"),
          write("dsxx", "xiuxi", digits300.substr(0, 255)), read("dsxx", "xiuxi"),
          write("dsxx", "pdrun", digits300.substr(0, 256)), read("dsxx", "pdrun"),
          readSized("dsxx", "pdrun", 5)}},
        {"unknown keys and sections are kept; a new key follows the section's last key",
         "[other]\r\nfoo=bar\r\n[dsxx]\r\nextra=1\r\nmei=30\r\nzzz=9\r\n\r\n[eye]\r\nrgbr=1\r\n",
         {write("dsxx", "mei", "31"), write("dsxx", "xiuxi", "5"), write("eye", "rgbg", "2"),
          remove("other", "foo"), read("other", "foo")},
         rewrites},
        {"a line without an equals sign is not a key",
         "[dsxx]\r\nmei\r\nxiuxi=\r\n",
         {read("dsxx", "mei"), read("dsxx", "xiuxi")}},
        {"an empty value is text, not an absent key",
         "[eye]\r\npdrun=\r\n[dsxx]\r\npdrun= \r\nmei=00\r\n",
         {read("eye", "pdrun"), read("dsxx", "pdrun"), read("dsxx", "mei"),
          write("eye", "pdrun", ""), read("eye", "pdrun")}},
        {"removing the last key leaves the section header",
         "[eye]\r\npdrun=1\r\n[dsxx]\r\nmei=30\r\n",
         {remove("eye", "pdrun"), read("eye", "pdrun"), write("eye", "pdrun", "0")}},
        {"removing what is not there changes nothing",
         "; note\r\n[eye]\r\nrgbr=1\r\n",
         {remove("eye", "pdrun"), remove("nothere", "pdrun"), read("eye", "rgbr")}},
        {"a new key goes before the blank lines that end its section",
         "[dsxx]\r\nmei=30\r\n\r\n[eye]\r\nrgbr=1\r\n",
         {write("dsxx", "xiuxi", "5"), write("eye", "rgbg", "2")},
         rewrites},
        {"a new key after a comment that ends its section",
         "[dsxx]\r\nmei=30\r\n; end of the rest settings\r\n[eye]\r\n; colours\r\n",
         {write("dsxx", "xiuxi", "5"), write("eye", "rgbg", "2"), read("dsxx", "xiuxi"),
          read("eye", "rgbg")},
         "Wine keeps a comment as an entry of its section and adds a new key after it; the "
         "portable functions add it after the section's last key line. Which one Windows "
         "does is neither documented nor covered by Wine's conformance tests",
         Script::ReadsOnly},
        {"a new section after a trailing blank line",
         "[dsxx]\r\nmei=30\r\n\r\n",
         {write("eye", "pdrun", "1")},
         rewrites},
        {"lines before the first section",
         "written by hand\r\nloose=1\r\n\r\n[dsxx]\r\nmei=30\r\n",
         {read("dsxx", "mei"), write("dsxx", "mei", "31"), write("dsxx", "xiuxi", "5")},
         rewrites},
        {"odd but readable lines",
         "\t[dsxx] ; rest\r\nmy key = 1\r\nk2==\r\n=nameless\r\nMei=1\r\nmei=2\r\n"
         "[my section]\r\nk=v\r\n",
         {read("dsxx", "my key"), read("dsxx", "k2"), read("dsxx", "mei"), read("my section", "k"),
          read("dsxx", "nameless")}},
        {"equals signs and brackets inside a value",
         "[eye]\r\n",
         {write("eye", "rgbr", "a=b[c]"), read("eye", "rgbr")}},
        {"vertical tabs are blanks around a value, inner blanks stay",
         "[eye]\r\nrgbr=\v 12 \v\r\nrgbg= \t a \v b \t\r\nrgbb=\v'q'\v\r\n",
         {read("eye", "rgbr"), read("eye", "rgbg"), read("eye", "rgbb")}},
        {"a section header without its closing bracket",
         "[dsxx   \r\nmei=30\r\n[eye\r\npdrun=1\r\n",
         {read("dsxx", "mei"), read("eye", "pdrun"), write("dsxx", "xiuxi", "5"),
          read("dsxx", "xiuxi"), write("eye", "pdrun", "0"), read("eye", "pdrun")},
         "Wine (8) ignores a header without its closing bracket, so the keys under it belong "
         "to no section and a write adds the section anew. Windows opens the section, named "
         "by the rest of the line without its trailing blanks",
         Script::Unparsed},
        {"a section header with two closing brackets",
         "[sec]whoops]\r\nk=1\r\n",
         {read("sec", "k"), read("sec]whoops", "k"), write("sec", "k", "2"), read("sec", "k")},
         "Wine (8) ends the section name at the last ']' of the line ('sec]whoops'); Windows "
         "ends it at the first ('sec')",
         Script::Unparsed},
        {"line breaks and names that would read back as others are refused",
         "[eye]\r\nrgbr=1\r\n",
         {write("eye", "rgbg", "1\r\n[dsxx]\r\nmei=1"), write("eye", "rgbb", "2\n"),
          write("eye", "k\r\nx", "1"), write("e\nye", "k", "1"), write("eye", ";k", "1"),
          write("eye", "[k", "1"), write("eye", "k=x", "1"), write("eye]", "k", "1"),
          remove("eye", "rgbr\n"), read("eye", "rgbr"), read("dsxx", "mei")}},
        {"a UTF-8 byte-order mark before the first section is read through and kept",
         "\xEF\xBB\xBF[dsxx]\r\nmei=30\r\n[eye]\r\nrgbr=1\r\n",
         {read("dsxx", "mei"), write("dsxx", "mei", "31"), write("dsxx", "xiuxi", "5"),
          read("dsxx", "xiuxi"), read("eye", "rgbr")}},
        {"bytes of the ANSI code page pass through",
         "[eye]\r\nname=\xC4\xE3\xBA\xC3\r\n",
         {read("eye", "name"), write("eye", "other", "\xD0\xDD\xCF\xA2"), read("eye", "other")}},
    };
    return all;
}

} // namespace

const std::vector<Script>& scripts() {
    static const std::vector<Script> all = makeScripts();
    return all;
}

std::string escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out += char(c);
    }
    return out;
}

namespace {

std::string_view trimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string normalised(std::string_view bytes) {
    std::string out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = trimBlanks(bytes.substr(pos, end - pos));
        pos = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (line.empty())
            continue;
        const std::size_t equals = line.find('=');
        const std::size_t close = line.find(']');
        if (line.front() == '[')
            out +=
                "[" +
                std::string(trimBlanks(
                    close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1))) +
                "]";
        else if (line.front() != ';' && equals != std::string_view::npos)
            out += std::string(trimBlanks(line.substr(0, equals))) + "=" +
                   std::string(trimBlanks(line.substr(equals + 1)));
        else
            out += line;
        out += "\r\n";
    }
    return out;
}

std::string Entry::describe() const {
    if (isRead)
        return label + " -> \"" + escaped(bytes.value_or("")) + "\"";
    return label + " -> " + (bytes ? "\"" + escaped(*bytes) + "\"" : "no file");
}

std::vector<Entry> run(const Script& script, Backend& backend) {
    std::vector<Entry> entries;
    backend.start(script.name, script.initial);
    for (const Step& step : script.steps) {
        const char* verb = step.kind == Step::Read    ? "read ["
                           : step.kind == Step::Write ? "write ["
                                                      : "remove [";
        Entry entry{step.kind == Step::Read, verb + step.section + "] " + step.key, {}};
        if (entry.isRead) {
            entry.bytes = backend.read(step);
        } else {
            backend.write(step);
            entry.bytes = backend.fileBytes();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void TextBackend::start(const std::string&, const std::optional<std::string>& initial) {
    file_ = initial;
}

std::string TextBackend::read(const Step& step) {
    return profileReadText(file_.value_or(""), step.section, step.key, step.value, step.bufferSize);
}

void TextBackend::write(const Step& step) {
    std::optional<std::string> value;
    if (step.kind == Step::Write)
        value = step.value;
    std::optional<std::string> next =
        profileWriteText(file_.value_or(""), step.section, step.key, value);
    // Every accepted write leaves a file, also removing a key from a missing one: an
    // empty file then, as Windows does.
    if (next)
        file_ = next;
}

void FileBackend::start(const std::string& name, const std::optional<std::string>& initial) {
    // One file per script: cases may run in parallel processes, and a fresh name keeps
    // Wine's profile cache out of the picture.
    std::string file;
    for (char c : name)
        file += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
    path_ = dir_ + "/" + file.substr(0, 80) + ".ini";
    std::filesystem::remove(path_);
    if (initial) {
        std::ofstream out(path_, std::ios::binary);
        out << *initial;
    }
}

std::string FileBackend::read(const Step& step) {
    return profileRead(path_, step.section, step.key, step.value, step.bufferSize);
}

void FileBackend::write(const Step& step) {
    std::optional<std::string> value;
    if (step.kind == Step::Write)
        value = step.value;
    profileWrite(path_, step.section, step.key, value);
}

std::optional<std::string> FileBackend::fileBytes() {
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace ocuvell::profiletest
