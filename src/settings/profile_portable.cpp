// The profile functions on a file, for systems without Windows' own. Every call reads the
// file afresh; a write goes to a temporary file beside it that then replaces it in one
// rename, so the file is never seen half-written.
#include "settings/profile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

enum class ReadResult { Read, Absent, Failed };

ReadResult readWholeFile(const fs::path& file, std::string& out, int& error) {
    out.clear();
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return errno == ENOENT ? ReadResult::Absent : ReadResult::Failed;
    }
    char chunk[8192];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            out.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            error = errno;
            ::close(fd);
            return ReadResult::Failed;
        }
    }
    ::close(fd);
    return ReadResult::Read;
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

// A file reached through a symbolic link is replaced at the link's target, so the link
// stays a link.
fs::path realTarget(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(file, ec)))
        return file;
    fs::path target = fs::weakly_canonical(file, ec);
    return ec ? file : target;
}

// Writes data to a new file beside target and renames it over target. errno tells why
// it failed.
bool replaceFile(const fs::path& target, const std::string& data, const struct stat* oldMode) {
    static std::atomic<unsigned> counter{0};
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                         "-" + std::to_string(counter++));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = writeAll(fd, data);
    if (ok && oldMode)
        ok = ::fchmod(fd, oldMode->st_mode & 07777) == 0;
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
    }
    return ok;
}

void reportFailure(const fs::path& file, std::string_view section, std::string_view key,
                   const char* why) {
    std::fprintf(stderr, "ocuvell: setting [%.*s] %.*s not saved to %s: %s\n",
                 static_cast<int>(section.size()), section.data(), static_cast<int>(key.size()),
                 key.data(), file.c_str(), why);
}

} // namespace

std::string profileRead(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view defaultValue, std::size_t bufferSize) {
    std::string text;
    int error = 0;
    if (readWholeFile(file, text, error) != ReadResult::Read)
        text.clear();
    return profileReadText(text, section, key, defaultValue, bufferSize);
}

bool profileWrite(const fs::path& file, std::string_view section, std::string_view key,
                  const std::optional<std::string>& value) {
    fs::path target = realTarget(file);
    std::string oldText;
    int error = 0;
    ReadResult read = readWholeFile(target, oldText, error);
    if (read == ReadResult::Failed) {
        // Without the old content a rewrite would lose every other setting.
        reportFailure(file, section, key, std::strerror(error));
        return false;
    }

    std::optional<std::string> newText = profileWriteText(oldText, section, key, value);
    if (!newText) {
        reportFailure(file, section, key, "the name or the value cannot be stored in the file");
        return false;
    }
    if (*newText == oldText && (read == ReadResult::Read || newText->empty()))
        return true;

    struct stat oldStat {};
    bool keepMode = read == ReadResult::Read && ::stat(target.c_str(), &oldStat) == 0;
    if (!replaceFile(target, *newText, keepMode ? &oldStat : nullptr)) {
        reportFailure(file, section, key, std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace ocuvell
