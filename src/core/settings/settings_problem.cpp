#include "core/settings/settings_problem.h"

namespace ocuvell {
namespace {

// Length of the valid UTF-8 sequence at the start of s (0 when there is none), with its
// code point in cp. Overlong forms, surrogates and values past U+10FFFF are not valid.
std::size_t utf8Sequence(std::string_view s, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// The characters that reorder the text around them: a right-to-left override turns a
// name like "\x01" U+202E "LIAF" into "FAIL" on the screen.
bool bidiControl(char32_t cp) {
    return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

void appendEscaped(std::string& out, unsigned char b) {
    static const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[b >> 4];
    out += digits[b & 0x0F];
}

} // namespace

std::string settingsProblemMessage(const SettingsProblem& problem) {
    const std::string file = printableText(problem.file.string());
    const std::string why = printableText(problem.why);
    if (problem.kind == SettingsProblem::Kind::Read)
        return "The settings file " + file + " cannot be read: " + why +
               ". The program goes on with default settings.";
    return "The settings file " + file + " cannot be written: " + why +
           ". Changed settings will not be kept after the program ends.";
}

std::string printableText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t cp = 0;
        const std::size_t n = utf8Sequence(bytes, cp);
        const bool control = cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0);
        if (n == 0 || control) {
            appendEscaped(out, static_cast<unsigned char>(bytes[0]));
            bytes.remove_prefix(1);
        } else if (bidiControl(cp)) {
            for (std::size_t i = 0; i < n; ++i)
                appendEscaped(out, static_cast<unsigned char>(bytes[i]));
            bytes.remove_prefix(n);
        } else {
            out.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
        }
    }
    return out;
}

} // namespace ocuvell
