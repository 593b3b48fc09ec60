// The profile functions on a file, for systems without Windows' own. Every call reads the
// file afresh; a write goes to a temporary file beside it that then replaces it in one
// rename, so the file is never seen half-written.
//
// The file is only ever a regular file of sensible size: a pipe would hang the program at
// start, a device would be read without end or replaced by a plain file, and a huge file
// freezes the window. A link is followed only where the kernel's protected-symlinks rule
// would follow it, so another user cannot point the settings at a file of their choosing.
#include "core/settings/profile.h"

#include "core/settings/bounded_read.h"

#include "core/settings/settings_problem.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

// A settings file holds a few hundred bytes.
constexpr std::size_t kMaxFileSize = 1 << 20;
constexpr int kMaxLinks = 40; // as the kernel's own limit

enum class ReadResult { Read, Absent, Failed };

struct FileRead {
    ReadResult result = ReadResult::Failed;
    std::string text;
    mode_t mode = 0; // permission bits, kept by the rewrite
    std::string why; // when Failed
};

// The kernel's protected-symlinks rule: in a folder that others may write to, follow a
// link only when it belongs to this user or to the folder's owner.
bool mayFollow(const struct stat& link, const struct stat& folder) {
    const bool shared = (folder.st_mode & (S_IWGRP | S_IWOTH | S_ISVTX)) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

fs::path folderOf(const fs::path& file) {
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Where file leads, link by link. False, with why, when a link may not be followed.
bool resolveLinks(const fs::path& file, fs::path& target, std::string& why) {
    target = file;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true; // opening it tells the rest
        const fs::path folder = folderOf(target);
        struct stat folderStat {};
        if (::stat(folder.c_str(), &folderStat) != 0)
            return true;
        if (!mayFollow(st, folderStat)) {
            why = "it is a link owned by another user in a shared folder";
            return false;
        }
        std::string buffer(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return true;
        buffer.resize(static_cast<std::size_t>(n));
        const fs::path next(buffer);
        target = next.is_absolute() ? next : folder / next;
    }
    why = std::strerror(ELOOP);
    return false;
}

// Reads a regular file of at most kMaxFileSize bytes. The name is no link any more
// (resolveLinks followed them), so one appearing meanwhile is refused, not followed.
FileRead readWholeFile(const fs::path& file) {
    FileRead r;
    BoundedRead read = readRegularFile(file, kMaxFileSize, FinalLink::Refuse);
    switch (read.status) {
    case BoundedReadStatus::Read:
        r.result = ReadResult::Read;
        r.text = std::move(read.bytes);
        r.mode = static_cast<mode_t>(read.mode);
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

bool writeAll(int fd, const std::string& data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string tempPrefix(const fs::path& target) {
    // Appended, not joined with +: GCC 12 takes "." + name for an overlapping copy.
    std::string prefix(1, '.');
    prefix += target.filename().string();
    prefix += ".tmp-";
    return prefix;
}

// A writer killed between creating its temporary file and the rename leaves the file
// behind; the next write clears those of processes that are gone. A process that still
// runs may be writing its own, and keeps it.
void removeStaleTemps(const fs::path& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == std::string_view::npos || dash == 0 || dash + 1 == rest.size())
            continue;
        long pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dash, pid);
        if (ec != std::errc() || end != rest.data() + dash || pid <= 0 || pid == self)
            continue;
        if (rest.substr(dash + 1).find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// After the rename the new name lives in the folder's entries: sync those too, or a
// crash may bring back the old file.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes data to a new file beside target and renames it over target. The new file has
// the old one's mode (or the usual mode of a new file) from its creation, so its content
// is never open to more readers than the old file's. errno tells why it failed.
bool replaceFile(const fs::path& target, const std::string& data, std::optional<mode_t> old) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = folderOf(target);
    const std::string prefix = tempPrefix(target);
    removeStaleTemps(folder, prefix);

    const mode_t mode = old ? (*old & 07777) : 0666;
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = folder / (prefix + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        // The umask can only take permissions away here, never add them.
        fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode & 0777);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = true;
    // Give back what the umask took from the old file's mode.
    struct stat made {};
    if (old && ::fstat(fd, &made) == 0 && (made.st_mode & 07777) != mode)
        ok = ::fchmod(fd, mode) == 0;
    if (ok)
        ok = writeAll(fd, data);
    // On disk before the rename, or a crash could leave an empty file in its place.
    if (ok)
        ok = ::fsync(fd) == 0;
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    }
    syncFolder(folder);
    return true;
}

void reportWriteFailure(const fs::path& file, std::string_view section, std::string_view key,
                        const std::string& why) {
    std::fprintf(stderr, "ocuvell: setting [%s] %s not saved to %s: %s\n",
                 printableText(section).c_str(), printableText(key).c_str(),
                 printableText(file.string()).c_str(), why.c_str());
    reportSettingsProblem({SettingsProblem::Kind::Write, file, why});
}

// Every read of a refused file fails the same way: stderr hears of each cause once.
void reportReadFailure(const fs::path& file, const std::string& why) {
    static std::mutex mutex;
    static std::string last;
    const std::string line = printableText(file.string()) + ": " + why;
    {
        std::lock_guard lock(mutex);
        if (line != last) {
            last = line;
            std::fprintf(stderr, "ocuvell: settings not read from %s\n", line.c_str());
        }
    }
    reportSettingsProblem({SettingsProblem::Kind::Read, file, why});
}

} // namespace

std::string profileRead(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view defaultValue, std::size_t bufferSize) {
    fs::path target;
    std::string why;
    std::string text;
    if (!resolveLinks(file, target, why)) {
        reportReadFailure(file, why);
    } else {
        FileRead read = readWholeFile(target);
        if (read.result == ReadResult::Failed)
            reportReadFailure(file, read.why);
        text = std::move(read.text);
    }
    return profileReadText(text, section, key, defaultValue, bufferSize);
}

bool profileWrite(const fs::path& file, std::string_view section, std::string_view key,
                  const std::optional<std::string>& value) {
    // A link is replaced at its target, so the link stays a link.
    fs::path target;
    std::string why;
    if (!resolveLinks(file, target, why)) {
        reportWriteFailure(file, section, key, why);
        return false;
    }
    FileRead read = readWholeFile(target);
    if (read.result == ReadResult::Failed) {
        // Without the old content a rewrite would lose every other setting; and what is
        // not a regular file is never replaced by one.
        reportWriteFailure(file, section, key, read.why);
        return false;
    }

    std::optional<std::string> newText = profileWriteText(read.text, section, key, value);
    if (!newText) {
        reportWriteFailure(file, section, key,
                           "the name or the value cannot be stored in the file");
        return false;
    }
    // An absent file is created even when there is nothing to put in it (removing a key
    // from no file leaves an empty one), as Windows does.
    if (read.result == ReadResult::Read && *newText == read.text)
        return true;

    if (!replaceFile(target, *newText,
                     read.result == ReadResult::Read ? std::optional(read.mode) : std::nullopt)) {
        reportWriteFailure(file, section, key, std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace ocuvell
