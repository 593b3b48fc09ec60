#include "core/display/ramp_state.h"

#include <utility>

#include "core/io/bounded_read.h"
#include "core/io/whole_file.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace ocuvell {

namespace {

constexpr std::string_view kHeader = "Ocuvell ramps 1";
constexpr std::size_t kMaxRecordBytes = 64 * 1024; // a record is about 12 kB

// The next line without its end; false at the end of the text.
bool nextLine(std::string_view& text, std::string_view& line) {
    if (text.empty())
        return false;
    const std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return true;
}

// The next line that is neither empty nor a comment.
bool nextContentLine(std::string_view& text, std::string_view& line) {
    while (nextLine(text, line))
        if (!line.empty() && line.front() != '#')
            return true;
    return false;
}

bool parseEntry(std::string_view line, GammaRamp& ramp, int j) {
    const char* p = line.data();
    const char* end = line.data() + line.size();
    for (int c = 0; c < 3; ++c) {
        unsigned value = 0;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || next == p || value > 65535)
            return false;
        ramp.at(c, j) = static_cast<std::uint16_t>(value);
        p = next;
        if (c < 2) {
            if (p == end || *p != ',')
                return false;
            ++p;
        }
    }
    return p == end;
}

bool parseRamp(std::string_view& text, std::string_view name, GammaRamp& ramp) {
    std::string_view line;
    if (!nextContentLine(text, line) || line != name)
        return false;
    for (int j = 0; j < GammaRamp::kSize; ++j)
        if (!nextContentLine(text, line) || !parseEntry(line, ramp, j))
            return false;
    return true;
}

void appendRamp(std::string& out, const GammaRamp& ramp) {
    char line[32];
    for (int j = 0; j < GammaRamp::kSize; ++j) {
        const int n = std::snprintf(line, sizeof line, "%u,%u,%u\n", ramp.at(0, j), ramp.at(1, j),
                                    ramp.at(2, j));
        out.append(line, static_cast<std::size_t>(n));
    }
}

} // namespace

bool rampsWithin(const GammaRamp& a, const GammaRamp& b, int tolerance) {
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        if (std::abs(int{a.entries[i]} - int{b.entries[i]}) > tolerance)
            return false;
    return true;
}

std::string formatRampRecord(const RampRecord& record) {
    std::string out;
    out.reserve(14 * 1024);
    out += kHeader;
    out += "\n# The ramp Ocuvell last put on the display and the ramp it was computed from,\n"
           "# one \"red,green,blue\" line per input level 0..255. Deleting this file is safe.\n"
           "base\n";
    appendRamp(out, record.base);
    out += "applied\n";
    appendRamp(out, record.applied);
    return out;
}

std::optional<RampRecord> parseRampRecord(std::string_view text) {
    std::string_view line;
    if (!nextContentLine(text, line) || line != kHeader)
        return std::nullopt;
    RampRecord record;
    if (!parseRamp(text, "base", record.base) || !parseRamp(text, "applied", record.applied))
        return std::nullopt;
    if (nextContentLine(text, line))
        return std::nullopt; // more than a record: not one we wrote
    // Never hand out a base that would darken the screen.
    if (record.base.nearBlack() || record.applied.allZero())
        return std::nullopt;
    return record;
}

std::optional<GammaRamp> RampState::baseFor(const GammaRamp& current) {
    // The record decides what the screen is computed from: one another user could have
    // put in place (through a link, or in a folder open to others) is not ours.
    std::string why;
    const std::optional<std::filesystem::path> target = followOwnLinks(file_, why);
    if (!target || !folderIsTheUsers(*target, why))
        return std::nullopt;
    const BoundedRead read = readRegularFile(*target, kMaxRecordBytes, FinalLink::Refuse);
    if (read.status != BoundedReadStatus::Read || read.othersFile)
        return std::nullopt;
    const std::optional<RampRecord> record = parseRampRecord(read.bytes);
    if (!record)
        return std::nullopt;
    onDisk_ = record;
    if (!rampsWithin(current, record->applied))
        return std::nullopt;
    return record->base;
}

void RampState::applied(const GammaRamp& base, const GammaRamp& ramp) {
    RampRecord record{base, ramp};
    if (!onPending_)
        return write(record);
    const bool waiting = pending_.has_value();
    pending_ = std::move(record);
    if (!waiting)
        onPending_();
}

void RampState::flush() {
    if (pending_)
        write(*std::exchange(pending_, std::nullopt));
}

void RampState::write(const RampRecord& record) {
    if (onDisk_ && *onDisk_ == record)
        return;
    std::string why;
    WholeFileWrite how;
    how.newFileMode = 0600; // what the program remembers of the display is nobody else's
    how.makeFolders = true;
    const std::optional<std::filesystem::path> target = followOwnLinks(file_, why);
    if (target && folderIsTheUsers(*target, why) &&
        replaceWholeFile(*target, formatRampRecord(record), how, why)) {
        onDisk_ = record;
        return;
    }
    // Only the next start's base is at stake; one line is enough.
    onDisk_.reset();
    if (!failureReported_)
        std::fprintf(stderr, "Ocuvell: cannot remember the applied ramp in %s (%s)\n",
                     file_.string().c_str(), why.c_str());
    failureReported_ = true;
}

} // namespace ocuvell
