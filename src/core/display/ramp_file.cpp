#include "core/display/ramp_file.h"

#include "core/io/bounded_read.h"
#include "core/settings/paths.h"

#include <algorithm>
#include <system_error>

namespace ocuvell {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF"; // Notepad writes one in front of UTF-8

// The file's bytes as message text: printable ASCII and whole UTF-8 sequences as they
// are, anything else (NUL, control bytes, broken UTF-8) as \xNN.
std::string printable(std::string_view bytes) {
    std::string out;
    std::size_t i = 0;
    const auto escape = [&out](unsigned char byte) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    };
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        // A whole UTF-8 sequence (no overlong forms, surrogates or values past U+10FFFF).
        int length = byte >= 0xC2 && byte <= 0xDF   ? 2
                     : byte >= 0xE0 && byte <= 0xEF ? 3
                     : byte >= 0xF0 && byte <= 0xF4 ? 4
                                                    : 0;
        bool whole = length > 0 && i + length <= bytes.size();
        for (int k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            unsigned char low = 0x80, high = 0xBF;
            if (k == 1 && byte == 0xE0)
                low = 0xA0;
            else if (k == 1 && byte == 0xED)
                high = 0x9F;
            else if (k == 1 && byte == 0xF0)
                low = 0x90;
            else if (k == 1 && byte == 0xF4)
                high = 0x8F;
            whole = next >= low && next <= high;
        }
        if (whole) {
            out.append(bytes.substr(i, static_cast<std::size_t>(length)));
            i += static_cast<std::size_t>(length);
        } else {
            escape(byte);
            ++i;
        }
    }
    return out;
}

bool isSeparator(char ch) {
    return ch == ',' || ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

// Reads the numbers a chunk at a time, so a file is never read further than needed
// and a number split between two chunks is still read whole.
class RampParser {
  public:
    explicit RampParser(GammaRamp& out) : out_(out) {}

    // False once the parse is settled (768 numbers read, or a bad one met).
    bool feed(std::string_view chunk) {
        if (atStart_) {
            atStart_ = false;
            if (chunk.substr(0, kBom.size()) == kBom)
                chunk.remove_prefix(kBom.size());
        }
        for (char ch : chunk) {
            if (settled())
                return false;
            if (isSeparator(ch)) {
                if (inToken_)
                    endToken();
            } else {
                takeChar(ch);
            }
        }
        return !settled();
    }

    RampFileResult finish() {
        if (!settled() && inToken_)
            endToken();
        if (result_.status == RampFileStatus::BadNumber)
            return result_;
        result_.numbersRead = count_;
        if (count_ < kRampFileNumbers) {
            result_.status = RampFileStatus::TooShort;
            result_.detail = "only " + std::to_string(count_) + " of the " +
                             std::to_string(kRampFileNumbers) + " numbers";
            return result_;
        }
        if (read_.allZero()) {
            result_.status = RampFileStatus::AllZero;
            result_.detail = "every number is 0";
            return result_;
        }
        if (const int dark = read_.darkChannel(); dark >= 0) {
            result_.status = RampFileStatus::NearBlack;
            result_.detail = "the " + std::string(kChannelNames[dark]) +
                             " channel stays dark over most of its range";
            return result_;
        }
        out_ = read_;
        result_.status = RampFileStatus::Loaded;
        return result_;
    }

  private:
    static constexpr const char* kChannelNames[3] = {"red", "green", "blue"};

    bool settled() const {
        return count_ == kRampFileNumbers || result_.status == RampFileStatus::BadNumber;
    }

    void takeChar(char ch) {
        if (!inToken_) {
            inToken_ = true;
            negative_ = false;
            bad_ = false;
            digits_ = 0;
            value_ = 0;
            text_.clear();
        }
        if (text_.size() < 24)
            text_ += ch;
        if ((ch == '-' || ch == '+') && text_.size() == 1) {
            negative_ = ch == '-';
        } else if (ch >= '0' && ch <= '9') {
            ++digits_;
            if (value_ <= 65536) // beyond the range either way; stop growing
                value_ = value_ * 10 + (ch - '0');
        } else {
            bad_ = true;
        }
    }

    void endToken() {
        inToken_ = false;
        const long value = negative_ ? -value_ : value_;
        const int index = count_ + 1;
        if (bad_ || digits_ == 0 || value < -32768 || value > 65535) {
            result_.status = RampFileStatus::BadNumber;
            result_.numbersRead = count_;
            result_.detail = "number " + std::to_string(index) + " is \"" + printable(text_) + "\"";
            if (!bad_ && digits_ > 0)
                result_.detail += ", outside -32768..65535";
            return;
        }
        // Same 16-bit pattern for the signed and the unsigned form.
        const auto entry = static_cast<std::uint16_t>(value & 0xFFFF);
        const int j = count_ / 3;
        const int channel = count_ % 3;
        read_.at(channel, j) = entry;
        ++count_;
    }

    GammaRamp& out_;
    GammaRamp read_{};
    RampFileResult result_;
    int count_ = 0;
    bool atStart_ = true;
    bool inToken_ = false;
    bool negative_ = false;
    bool bad_ = false;
    int digits_ = 0;
    long value_ = 0;
    std::string text_;
};

} // namespace

RampFileResult parseRampText(std::string_view text, GammaRamp& out) {
    RampParser parser(out);
    parser.feed(text);
    return parser.finish();
}

RampFileResult loadRampFile(const std::filesystem::path& path, GammaRamp& out) {
    RampFileResult result;
    const BoundedRead read = readRegularFile(path, kRampFileMaxBytes);
    switch (read.status) {
    case BoundedReadStatus::Read:
        return parseRampText(read.bytes, out);
    case BoundedReadStatus::Missing:
        result.status = RampFileStatus::Missing;
        return result;
    case BoundedReadStatus::NotRegular:
        result.status = RampFileStatus::NotRegular;
        result.detail = "not a regular file";
        return result;
    case BoundedReadStatus::TooLarge:
        result.status = RampFileStatus::TooLarge;
        result.detail = "more than " + std::to_string(kRampFileMaxBytes / 1024) + " KiB";
        return result;
    case BoundedReadStatus::Failed:
        break;
    }
    result.status = RampFileStatus::Unreadable;
    result.detail = read.why;
    return result;
}

std::filesystem::path rampFilePath(const SettingsFolders& folders) {
    const std::filesystem::path installed = installedDataDirectory(folders.program);
    const std::filesystem::path candidates[] = {
        folders.program / kRampFileName,
        folders.user / kRampFileName,
        installed.empty() ? std::filesystem::path() : installed / kRampFileName,
    };
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code ec;
        if (!candidate.empty() && std::filesystem::exists(candidate, ec))
            return candidate;
    }
    return candidates[0];
}

std::string rampFileMessage(const RampFileResult& result) {
    const std::string tail = ", can only be restored to the state before the adjustment!";
    switch (result.status) {
    case RampFileStatus::Loaded:
        return {};
    case RampFileStatus::Missing:
        return "Not found the default data file" + tail;
    case RampFileStatus::Unreadable:
        return "Cannot read the default data file (" + result.detail + ")" + tail;
    case RampFileStatus::TooShort:
        return "The default data file is too short (" + result.detail + ")" + tail;
    case RampFileStatus::BadNumber:
        return "The default data file holds a bad number (" + result.detail + ")" + tail;
    case RampFileStatus::AllZero:
    case RampFileStatus::NearBlack:
        return "The default data file holds an all-black ramp (" + result.detail + ")" + tail;
    case RampFileStatus::NotRegular:
    case RampFileStatus::TooLarge:
        return "Cannot read the default data file (" + result.detail + ")" + tail;
    }
    return {};
}

} // namespace ocuvell
