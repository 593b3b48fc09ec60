#pragma once
// The one way the program writes a file of its own: the whole file at once, never seen
// half written, and never through a link or into a place another user controls. config.ini
// and the ramp record both go through here; one file per platform implements it.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ocuvell {

// Where file leads, link by link. A link is followed only where the kernel's
// protected-symlinks rule would follow it: in a folder others may write to, only a link of
// this user or of the folder's owner. Nothing, with why, when a link may not be followed.
std::optional<std::filesystem::path> followOwnLinks(const std::filesystem::path& file,
                                                    std::string& why);

// Whether a file this user did not write may still be trusted as theirs: its folder
// belongs to this user or to the system and no other user may rename files in it. False,
// with why, otherwise. (Windows has no such sharing of a user's own folders: always true.)
bool folderIsTheUsers(const std::filesystem::path& file, std::string& why);

struct WholeFileWrite {
    // The new file's permission bits: those of the file it replaces, else newFileMode
    // less the umask. (POSIX only.)
    std::optional<unsigned> keepMode;
    unsigned newFileMode = 0666;
    // Missing folders are made, private to the user.
    bool makeFolders = false;
};

// Writes bytes to a new temporary file beside target, with its final mode from creation,
// flushes it to disk, renames it over target and syncs the folder. Temporary files left by
// processes that ended before their rename are removed first. target is a name already
// resolved by followOwnLinks: a link in its place is replaced, not followed. False, with
// why, when anything failed; target is then as it was.
bool replaceWholeFile(const std::filesystem::path& target, std::string_view bytes,
                      const WholeFileWrite& how, std::string& why);

} // namespace ocuvell
