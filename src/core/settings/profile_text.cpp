// The profile functions on the file's bytes. The file is edited line by line in place, as
// Windows does, so that comments, unknown keys and odd spacing survive every write.
#include "core/settings/profile.h"

#include <algorithm>

namespace ocuvell {
namespace {

constexpr std::string_view kNewLine = "\r\n";
// Notepad puts a UTF-8 byte-order mark in front of the first line; Windows reads through
// it, and a rewrite keeps it where it was.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Where the file's first line starts.
std::size_t firstLine(std::string_view text) {
    return text.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
}

// The blanks Windows trims from the lines of the file and from the values in them.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Names arrive as C strings on Windows: they end at the first NUL.
std::string_view asCString(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

// Only spaces are dropped from the names a caller passes in.
std::string_view trimSpaces(std::string_view s) {
    s = asCString(s);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

enum class LineKind { Other, Section, Key };

struct Line {
    std::size_t begin = 0;      // first byte of the line
    std::size_t contentEnd = 0; // where its line break starts
    std::size_t next = 0;       // first byte after its line break
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, blanks trimmed
    std::string_view value; // key value, blanks trimmed
};

// A line break is CR LF, LF or a lone CR.
Line lineAt(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos)
        end = text.size();
    line.contentEnd = end;
    line.next = end;
    if (end < text.size())
        line.next = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2
                                                                                          : end + 1;

    std::string_view content = trimBlanks(text.substr(begin, end - begin));
    if (content.empty() || content.front() == ';')
        return line;
    if (content.front() == '[') {
        // The name ends at the first ']'; a header that lacks it still opens its section,
        // named by the rest of the line.
        const std::size_t close = content.find(']');
        line.kind = LineKind::Section;
        line.name = trimBlanks(close == std::string_view::npos ? content.substr(1)
                                                               : content.substr(1, close - 1));
        return line;
    }
    std::size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return line;
    line.kind = LineKind::Key;
    line.name = trimBlanks(content.substr(0, equals));
    line.value = trimBlanks(content.substr(equals + 1));
    return line;
}

// Where a key stands in the file: only the first section of its name counts, and in it
// the first key of its name.
struct KeySearch {
    bool sectionFound = false;
    Line sectionLine;
    Line lastKeyLine; // the section's last key line, or its header when it has none
    std::optional<Line> keyLine;
};

KeySearch findKey(std::string_view text, std::string_view section, std::string_view key) {
    KeySearch found;
    bool inSection = false;
    for (std::size_t pos = firstLine(text); pos < text.size();) {
        Line line = lineAt(text, pos);
        pos = line.next;
        if (line.kind == LineKind::Section) {
            if (found.sectionFound)
                break;
            inSection = sameName(line.name, section);
            if (inSection) {
                found.sectionFound = true;
                found.sectionLine = line;
                found.lastKeyLine = line;
            }
        } else if (inSection && line.kind == LineKind::Key) {
            found.lastKeyLine = line;
            if (!found.keyLine && sameName(line.name, key))
                found.keyLine = line;
        }
    }
    return found;
}

std::string_view withoutOuterQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string fitBuffer(std::string_view text, std::size_t bufferSize) {
    if (bufferSize == 0)
        return {};
    return std::string(text.substr(0, bufferSize - 1));
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names that would not read back as themselves once written are refused: the file drops
// the blanks around a name, which the callers' spaces-only trimming would not match.
bool storableName(std::string_view name) {
    return !name.empty() && !hasLineBreak(name) && !isBlank(name.front()) && !isBlank(name.back());
}

bool storableSection(std::string_view name) {
    return storableName(name) && name.find(']') == std::string_view::npos;
}

bool storableKey(std::string_view name) {
    return storableName(name) && name.find('=') == std::string_view::npos && name.front() != ';' &&
           name.front() != '[';
}

} // namespace

bool profileStorable(std::string_view section, std::string_view key,
                     const std::optional<std::string>& value) {
    return storableSection(trimSpaces(section)) && storableKey(trimSpaces(key)) &&
           !(value && hasLineBreak(asCString(*value)));
}

std::string profileReadText(std::string_view fileText, std::string_view section,
                            std::string_view key, std::string_view defaultValue,
                            std::size_t bufferSize) {
    KeySearch found = findKey(fileText, trimSpaces(section), trimSpaces(key));
    if (found.keyLine)
        return fitBuffer(withoutOuterQuotes(found.keyLine->value), bufferSize);

    std::string_view fallback = asCString(defaultValue);
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    return fitBuffer(fallback, bufferSize);
}

std::optional<std::string> profileWriteText(std::string_view fileText, std::string_view section,
                                            std::string_view key,
                                            const std::optional<std::string>& value) {
    std::string_view sectionName = trimSpaces(section);
    std::string_view keyName = trimSpaces(key);
    if (!profileStorable(section, key, value))
        return std::nullopt;
    std::optional<std::string_view> newValue;
    if (value)
        newValue = asCString(*value);

    KeySearch found = findKey(fileText, sectionName, keyName);
    std::string out(fileText);

    if (!newValue) {
        if (found.keyLine)
            out.erase(found.keyLine->begin, found.keyLine->next - found.keyLine->begin);
        return out;
    }

    if (found.keyLine) {
        // The line keeps the file's spelling of the key and its own line break.
        const Line& line = *found.keyLine;
        std::string replacement = std::string(line.name) + "=" + std::string(*newValue);
        out.replace(line.begin, line.contentEnd - line.begin, replacement);
        return out;
    }

    std::string keyLine =
        std::string(keyName) + "=" + std::string(*newValue) + std::string(kNewLine);
    if (found.sectionFound) {
        const Line& after = found.lastKeyLine;
        std::string insertion;
        if (after.next == after.contentEnd) // the file's last line, without a line break
            insertion = kNewLine;
        insertion += keyLine;
        out.insert(after.next, insertion);
        return out;
    }

    if (out.size() > firstLine(out) && out.back() != '\n' && out.back() != '\r')
        out += kNewLine;
    out += "[";
    out += sectionName;
    out += "]";
    out += kNewLine;
    out += keyLine;
    return out;
}

} // namespace ocuvell
