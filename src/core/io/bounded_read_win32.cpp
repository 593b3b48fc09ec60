// readRegularFile on Windows: a disk file only, never a pipe or a device such as CON.
#include "core/io/bounded_read.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

namespace ocuvell {

namespace {

std::string lastError() {
    return std::system_category().message(static_cast<int>(::GetLastError()));
}

} // namespace

BoundedRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes, FinalLink) {
    BoundedRead result;
    // A folder cannot be opened as a file at all: tell it apart from a refused file.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result.status = BoundedReadStatus::NotRegular;
        return result;
    }
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        result.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                            ? BoundedReadStatus::Missing
                            : BoundedReadStatus::Failed;
        result.why = lastError();
        return result;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result.status = BoundedReadStatus::NotRegular;
        ::CloseHandle(h);
        return result;
    }
    const unsigned long long size =
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) {
        result.status = BoundedReadStatus::TooLarge;
        ::CloseHandle(h);
        return result;
    }
    // Room for the file as it stands and a byte more; a file that grows meanwhile gets
    // more, up to one byte past the limit, which is enough to know.
    result.bytes.resize(static_cast<std::size_t>(size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == result.bytes.size()) {
            if (got > maxBytes)
                break;
            result.bytes.resize(std::min(got * 2, maxBytes + 1));
        }
        DWORD n = 0;
        if (!::ReadFile(h, result.bytes.data() + got, static_cast<DWORD>(result.bytes.size() - got),
                        &n, nullptr)) {
            result.status = BoundedReadStatus::Failed;
            result.why = lastError();
            result.bytes.clear();
            ::CloseHandle(h);
            return result;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::CloseHandle(h);
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
