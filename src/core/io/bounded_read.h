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
    std::string bytes;       // the whole file when Read
    std::string why;         // a few words for a message: what it is when NotRegular, the
                             // system's reason when Failed
    unsigned long mode = 0;  // the file's permission bits when Read
    bool othersFile = false; // when Read: owned by another user (POSIX)
};

// Follow: a link in path is followed, as an ordinary open does. Refuse: the last name
// must not be a link (the caller resolved the links it accepts); one is not opened.
enum class FinalLink { Follow, Refuse };

BoundedRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                            FinalLink link = FinalLink::Follow);

} // namespace ocuvell
