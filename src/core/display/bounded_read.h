#pragma once
// Reads a small file the program did not write itself, safely: only a regular file,
// opened without waiting (a FIFO put in its place would otherwise hold the program at
// the open for ever) and never more than a given number of bytes.
#include <cstddef>
#include <filesystem>
#include <string>

namespace ocuvell {

enum class BoundedReadStatus { Read, Missing, NotRegular, TooLarge, Failed };

struct BoundedRead {
    BoundedReadStatus status = BoundedReadStatus::Missing;
    std::string bytes; // the whole file when Read
    std::string why;   // a few words for a message when Failed
};

BoundedRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

} // namespace ocuvell
