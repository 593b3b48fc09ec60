#include "display/ramp_file.h"

#include "settings/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace ocuvell {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF"; // Notepad writes one in front of UTF-8

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
        out_ = read_;
        result_.status = RampFileStatus::Loaded;
        return result_;
    }

  private:
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
            result_.detail = "number " + std::to_string(index) + " is \"" + text_ + "\"";
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
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        RampFileResult missing;
        missing.status = RampFileStatus::Missing;
        return missing;
    }
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"rb"); // the path may hold non-ANSI names
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
    if (!file) {
        RampFileResult unreadable;
        unreadable.status = RampFileStatus::Unreadable;
        unreadable.detail = std::strerror(errno);
        return unreadable;
    }
    RampParser parser(out);
    char buffer[16384];
    bool readFailed = false;
    while (true) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        if (got > 0 && !parser.feed(std::string_view(buffer, got)))
            break;
        if (got < sizeof buffer) {
            readFailed = std::ferror(file) != 0;
            break;
        }
    }
    const int readErrno = errno;
    std::fclose(file);
    if (readFailed) {
        RampFileResult unreadable;
        unreadable.status = RampFileStatus::Unreadable;
        unreadable.detail = std::strerror(readErrno);
        return unreadable;
    }
    return parser.finish();
}

std::filesystem::path rampFilePath() {
    const std::filesystem::path beside = programDirectory() / kRampFileName;
    std::error_code ec;
    if (std::filesystem::is_regular_file(beside, ec))
        return beside;
    const std::filesystem::path user = userConfigDirectory() / kRampFileName;
    if (std::filesystem::is_regular_file(user, ec))
        return user;
    return beside;
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
        return "The default data file holds an all-black ramp (" + result.detail + ")" + tail;
    }
    return {};
}

} // namespace ocuvell
