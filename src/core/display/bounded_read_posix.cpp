// readRegularFile on POSIX: O_NONBLOCK makes opening a FIFO return at once, fstat then
// tells what was opened.
#include "core/display/bounded_read.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ocuvell {

BoundedRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    BoundedRead result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.status = errno == ENOENT ? BoundedReadStatus::Missing : BoundedReadStatus::Failed;
        result.why = std::strerror(errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.status = BoundedReadStatus::Failed;
        result.why = std::strerror(errno);
        ::close(fd);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.status = BoundedReadStatus::NotRegular;
        ::close(fd);
        return result;
    }
    if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > maxBytes) {
        result.status = BoundedReadStatus::TooLarge;
        ::close(fd);
        return result;
    }
    // The file may grow while it is read: one byte past the limit is enough to know.
    result.bytes.resize(maxBytes + 1);
    std::size_t got = 0;
    while (got < result.bytes.size()) {
        const ssize_t n = ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.status = BoundedReadStatus::Failed;
            result.why = std::strerror(errno);
            result.bytes.clear();
            ::close(fd);
            return result;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    result.bytes.resize(got);
    if (got > maxBytes) {
        result.status = BoundedReadStatus::TooLarge;
        result.bytes.clear();
        return result;
    }
    result.status = BoundedReadStatus::Read;
    return result;
}

} // namespace ocuvell
