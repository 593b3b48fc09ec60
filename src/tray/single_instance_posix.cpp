#include "tray/single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace ocuvell {
namespace {

// An advisory lock on a file in the user's runtime folder. The kernel drops it when
// the holder exits in any way, so a crashed instance never blocks the next start.
class FileLockInstance : public SingleInstance {
  public:
    explicit FileLockInstance(int fd) : fd_(fd) {}
    ~FileLockInstance() override { ::close(fd_); }

  private:
    int fd_;
};

std::filesystem::path lockDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
    return std::filesystem::temp_directory_path();
}

} // namespace

std::unique_ptr<SingleInstance> claimSingleInstance(const std::string& name) {
    // The user id keeps two users of one machine from locking each other out of /tmp.
    const auto path = lockDirectory() / (name + "-" + std::to_string(::getuid()) + ".lock");
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::make_unique<SingleInstance>(); // cannot tell: better to run than to refuse
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        if (held)
            return nullptr;
        return std::make_unique<SingleInstance>();
    }
    return std::make_unique<FileLockInstance>(fd);
}

} // namespace ocuvell
