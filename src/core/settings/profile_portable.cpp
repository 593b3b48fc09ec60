// The profile functions on a file, for systems without Windows' own. Every call reads the
// file afresh; a write goes to a temporary file beside it that then replaces it in one
// rename, so the file is never seen half-written.
//
// The file is only ever a regular file of sensible size: a pipe would hang the program at
// start, a device would be read without end or replaced by a plain file, and a huge file
// freezes the window. A link is followed only where the kernel's protected-symlinks rule
// would follow it, so another user cannot point the settings at a file of their choosing.
#include "core/settings/profile.h"

#include "core/io/bounded_read.h"
#include "core/io/whole_file.h"

#include <optional>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

// A settings file holds a few hundred bytes.
constexpr std::size_t kMaxFileSize = 1 << 20;

enum class ReadResult { Read, Absent, Failed };

struct FileRead {
    ReadResult result = ReadResult::Failed;
    std::string text;
    unsigned mode = 0; // permission bits, kept by the rewrite
    std::string why;   // when Failed
};

// Reads a regular file of at most kMaxFileSize bytes. The name is no link any more
// (followOwnLinks followed them), so one appearing meanwhile is refused, not followed.
FileRead readWholeFile(const fs::path& file) {
    FileRead r;
    BoundedRead read = readRegularFile(file, kMaxFileSize, FinalLink::Refuse);
    switch (read.status) {
    case BoundedReadStatus::Read:
        r.result = ReadResult::Read;
        r.text = std::move(read.bytes);
        r.mode = static_cast<unsigned>(read.mode);
        break;
    case BoundedReadStatus::Missing:
        r.result = ReadResult::Absent;
        break;
    case BoundedReadStatus::TooLarge:
        r.why = "it is larger than 1 MiB, too large for a settings file";
        break;
    case BoundedReadStatus::NotRegular:
    case BoundedReadStatus::Failed:
        r.why = std::move(read.why);
        break;
    }
    return r;
}

bool fail(std::string* why, std::string text) {
    if (why)
        *why = std::move(text);
    return false;
}

} // namespace

std::string profileRead(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view defaultValue, std::size_t bufferSize, std::string* why) {
    std::string refused;
    std::string text;
    const std::optional<fs::path> target = followOwnLinks(file, refused);
    if (target) {
        FileRead read = readWholeFile(*target);
        if (read.result == ReadResult::Failed)
            refused = std::move(read.why);
        text = std::move(read.text);
    }
    if (why)
        *why = std::move(refused);
    return profileReadText(text, section, key, defaultValue, bufferSize);
}

bool profileWrite(const fs::path& file, std::string_view section, std::string_view key,
                  const std::optional<std::string>& value, std::string* why) {
    // A link is replaced at its target, so the link stays a link.
    std::string refused;
    const std::optional<fs::path> target = followOwnLinks(file, refused);
    if (!target)
        return fail(why, refused);
    FileRead read = readWholeFile(*target);
    // Without the old content a rewrite would lose every other setting; and what is not a
    // regular file is never replaced by one.
    if (read.result == ReadResult::Failed)
        return fail(why, read.why);

    std::optional<std::string> newText = profileWriteText(read.text, section, key, value);
    if (!newText)
        return fail(why, "the name or the value cannot be stored in the file");
    // What is written must read back: a file past the read limit would start the next run
    // on defaults.
    if (newText->size() > kMaxFileSize)
        return fail(why, "it would grow larger than 1 MiB, too large to be read back");
    // An absent file is created even when there is nothing to put in it (removing a key
    // from no file leaves an empty one), as Windows does.
    if (read.result == ReadResult::Read && *newText == read.text)
        return true;

    WholeFileWrite how;
    if (read.result == ReadResult::Read)
        how.keepMode = read.mode;
    return replaceWholeFile(*target, *newText, how, refused) || fail(why, refused);
}

} // namespace ocuvell
