#include "core/instance/single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

// An advisory lock on a file in a folder only this user can write to. The kernel drops
// it when the holder exits in any way, so a crashed instance never blocks the next start.
class FileLockInstance : public SingleInstance {
  public:
    explicit FileLockInstance(int fd) : fd_(fd) {}
    ~FileLockInstance() override { ::close(fd_); }

  private:
    int fd_;
};

std::unique_ptr<SingleInstance> runUnlocked(const fs::path& where, const std::string& why) {
    return std::make_unique<SingleInstance>("The single-instance lock " + where.string() +
                                            " cannot be used: " + why +
                                            ". A second copy of the program may start.");
}

// A folder another user could write to would let them hold the lock, or plant a link
// where it is created.
bool privateFolder(const fs::path& dir, std::string& why) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = "it is not a folder";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        why = "the folder belongs to another user";
        return false;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        why = "other users may write to the folder";
        return false;
    }
    return true;
}

// The user's runtime folder, private by definition; without one, a folder of our own in
// the temporary folder, made private and checked, never the shared temporary folder itself.
bool lockDirectory(fs::path& dir, std::string& why) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        dir = runtime;
        return true;
    }
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    if (ec)
        tmp = "/tmp";
    dir = tmp / ("ocuvell-" + std::to_string(::getuid()));
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        why = std::strerror(errno);
        return false;
    }
    return privateFolder(dir, why);
}

} // namespace

std::unique_ptr<SingleInstance> claimSingleInstance(const std::string& name) {
    fs::path dir;
    std::string why;
    if (!lockDirectory(dir, why))
        return runUnlocked(dir, why); // cannot tell: better to run than to refuse

    // The user id keeps two users of one shared runtime folder apart.
    const fs::path path = dir / (name + "-" + std::to_string(::getuid()) + ".lock");
    // Never through a link; and a pipe planted in its place must not block the start.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return runUnlocked(path, errno == ELOOP ? "it is a link" : std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        // Someone else's file proves nothing about a copy of ours running.
        ::close(fd);
        return runUnlocked(path, "the file belongs to another user or is not a file");
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return nullptr;
        return runUnlocked(path, std::strerror(error));
    }
    return std::make_unique<FileLockInstance>(fd);
}

} // namespace ocuvell
