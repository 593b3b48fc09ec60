// The state folder and its file writes on POSIX systems.
#include "core/settings/state_dir.h"

#include "core/settings/paths_platform.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

bool fail(std::string* why, const std::string& what) {
    if (why)
        *why = what + ": " + std::strerror(errno);
    return false;
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

// Each missing folder is made private to the user: what the program remembers about
// the display is nobody else's business.
bool makeFolders(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return true;
    const fs::path parent = dir.parent_path();
    if (!parent.empty() && parent != dir && !makeFolders(parent))
        return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace

fs::path stateDirectory() {
    // A relative XDG_STATE_HOME is invalid and must be ignored.
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "Ocuvell";
    const fs::path home = detail::homeDirectory();
    return home.empty() ? fs::path() : home / ".local" / "state" / "Ocuvell";
}

bool replaceStateFile(const fs::path& file, std::string_view bytes, std::string* why) {
    static std::atomic<unsigned> counter{0};
    const fs::path dir = file.parent_path();
    if (dir.empty() || !makeFolders(dir))
        return fail(why, "cannot create " + dir.string());
    // Appended, not joined with +: GCC 12 takes "." + name for an overlapping copy.
    std::string name(1, '.');
    name += file.filename().string();
    name += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const fs::path temp = dir / name;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return fail(why, "cannot create " + temp.string());
    // On disk before the rename: a crash must leave the old record or the new one.
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = saved;
        return fail(why, "cannot write " + file.string());
    }
    // The rename itself reaches the disk with the folder.
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace ocuvell
