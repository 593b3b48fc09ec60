// Whole-file writes and the link and folder rules on POSIX systems.
#include "core/io/whole_file.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40; // as the kernel's own limit

fs::path folderOf(const fs::path& file) {
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

bool othersMayWrite(const struct stat& folder) {
    return (folder.st_mode & (S_IWGRP | S_IWOTH | S_ISVTX)) != 0;
}

// The kernel's protected-symlinks rule: in a folder that others may write to, follow a
// link only when it belongs to this user or to the folder's owner.
bool mayFollow(const struct stat& link, const struct stat& folder) {
    return !othersMayWrite(folder) || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
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

// Each missing folder is made private to the user.
bool makePrivateFolders(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return true;
    const fs::path parent = dir.parent_path();
    if (!parent.empty() && parent != dir && !makePrivateFolders(parent))
        return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

// The callers name the file; the reason is the system's.
bool fail(std::string& why, int error) {
    why = std::strerror(error);
    return false;
}

} // namespace

std::optional<fs::path> followOwnLinks(const fs::path& file, std::string& why) {
    fs::path target = file;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target; // opening it tells the rest
        const fs::path folder = folderOf(target);
        struct stat folderStat {};
        if (::stat(folder.c_str(), &folderStat) != 0)
            return target;
        if (!mayFollow(st, folderStat)) {
            why = "it is a link owned by another user in a shared folder";
            return std::nullopt;
        }
        std::string buffer(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return target;
        buffer.resize(static_cast<std::size_t>(n));
        const fs::path next(buffer);
        target = next.is_absolute() ? next : folder / next;
    }
    why = std::strerror(ELOOP);
    return std::nullopt;
}

bool folderIsTheUsers(const fs::path& file, std::string& why) {
    struct stat st {};
    if (::stat(folderOf(file).c_str(), &st) != 0)
        return true; // nothing there to trust or distrust: opening the file tells the rest
    const bool ownerTrusted = st.st_uid == ::geteuid() || st.st_uid == 0;
    // In a sticky folder such as /tmp others may add files but not rename this user's.
    const bool othersRename = (st.st_mode & S_IWOTH) && !(st.st_mode & S_ISVTX);
    if (ownerTrusted && !othersRename)
        return true;
    why = "its folder belongs to another user or is open to all";
    return false;
}

bool replaceWholeFile(const fs::path& target, std::string_view bytes, const WholeFileWrite& how,
                      std::string& why) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = folderOf(target);
    if (how.makeFolders && !makePrivateFolders(folder))
        return fail(why, errno);
    const std::string prefix = tempPrefix(target);
    removeStaleTemps(folder, prefix);

    const mode_t mode = how.keepMode ? (*how.keepMode & 07777) : (how.newFileMode & 0777);
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = folder / (prefix + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        // The umask can only take permissions away here, never add them.
        fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode & 0777);
        if (fd < 0 && errno != EEXIST)
            return fail(why, errno);
    }
    if (fd < 0)
        return fail(why, EEXIST);

    bool ok = true;
    // Give back what the umask took from the old file's mode.
    struct stat made {};
    if (how.keepMode && ::fstat(fd, &made) == 0 && (made.st_mode & 07777) != mode)
        ok = ::fchmod(fd, mode) == 0;
    // On disk before the rename, or a crash could leave an empty file in its place.
    if (ok)
        ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
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
        return fail(why, saved);
    }
    syncFolder(folder);
    return true;
}

} // namespace ocuvell
