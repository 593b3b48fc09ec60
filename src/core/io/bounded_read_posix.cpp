// readRegularFile on POSIX: O_NONBLOCK makes opening a FIFO return at once, fstat then
// tells what was opened.
#include "core/io/bounded_read.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ocuvell {
namespace {

const char* typeName(mode_t mode) {
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    if (S_ISLNK(mode))
        return "it is a link";
    return "it is not a regular file";
}

} // namespace

BoundedRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                            FinalLink link) {
    BoundedRead result;
    const int flags =
        O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (link == FinalLink::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        const int error = errno;
        struct stat st {};
        result.status = error == ENOENT ? BoundedReadStatus::Missing : BoundedReadStatus::Failed;
        result.why = std::strerror(error);
        // A socket cannot be opened at all, and a refused link fails to open: say what it is.
        if ((error == ENXIO || error == ELOOP) && ::lstat(path.c_str(), &st) == 0) {
            result.status = BoundedReadStatus::NotRegular;
            result.why = typeName(st.st_mode);
        }
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
        result.why = typeName(st.st_mode);
        ::close(fd);
        return result;
    }
    result.mode = st.st_mode & 07777;
    result.othersFile = st.st_uid != ::geteuid();
    if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > maxBytes) {
        result.status = BoundedReadStatus::TooLarge;
        ::close(fd);
        return result;
    }
    // Room for the file as it stands and a byte more, not for the largest allowed: the
    // file may grow while it is read, and gets more room then, up to one byte past the
    // limit, which is enough to know.
    result.bytes.resize(std::min(static_cast<std::size_t>(st.st_size), maxBytes) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == result.bytes.size()) {
            if (got > maxBytes)
                break;
            result.bytes.resize(std::min(got * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
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
