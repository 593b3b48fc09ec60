// Feeds arbitrary settings files to the profile functions and checks what a read after a
// write must give back.
#include "core/settings/profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kSections[] = {"dsxx", "eye", "EYE", " eye ", "s]", ""};
constexpr std::string_view kKeys[] = {"mei", "pdrun", "RGBR", " rgbr ", "a=b", ";c", ""};
// Random bytes seldom spell a section header; half of the inputs start from a real file.
constexpr std::string_view kStart = "[dsxx]\r\nmei=45\r\n[eye]\r\nrgbr=1\r\n\r\n";

void check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    std::string_view section = kSections[data[0] % std::size(kSections)];
    std::string_view key = kKeys[data[1] % std::size(kKeys)];
    std::size_t valueLength = data[2] % 40;
    std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    std::string value(rest.substr(0, valueLength));
    std::string text(rest.substr(std::min(valueLength, rest.size())));
    if (data[2] & 0x80)
        text.insert(0, kStart);

    for (std::size_t bufferSize : {std::size_t(0), std::size_t(1), std::size_t(256)}) {
        std::string read = ocuvell::profileReadText(text, section, key, key, bufferSize);
        check(read.size() < std::max<std::size_t>(bufferSize, 1));
    }

    // A stored value reads back as it would from a file holding only that key.
    if (auto written = ocuvell::profileWriteText(text, section, key, value)) {
        std::string alone = *ocuvell::profileWriteText("", section, key, value);
        check(ocuvell::profileReadText(*written, section, key, "-", 4096) ==
              ocuvell::profileReadText(alone, section, key, "-", 4096));
    }

    // A removal takes away one line at most and never adds anything.
    if (auto removed = ocuvell::profileWriteText(text, section, key, std::nullopt)) {
        check(removed->size() <= text.size());
        std::size_t head = 0;
        while (head < removed->size() && (*removed)[head] == text[head])
            ++head;
        check(std::string_view(*removed).substr(head) ==
              text.substr(text.size() - (removed->size() - head)));
    }
    return 0;
}
