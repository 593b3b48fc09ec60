#pragma once
// The per-user folder for what the program remembers between runs on its own (not
// settings the user chose), and a whole-file write that is never seen half done.
#include <filesystem>
#include <string>
#include <string_view>

namespace ocuvell {

// $XDG_STATE_HOME/Ocuvell, else ~/.local/state/Ocuvell; %LOCALAPPDATA%\Ocuvell on
// Windows (else %USERPROFILE%\AppData\Local\Ocuvell); a variable holding a relative
// path counts as unset. Empty when no home folder can be found. Not created here.
std::filesystem::path stateDirectory();

// Creates the folder if needed (private to the user), writes bytes to a new file
// beside file, with its final mode from the start, flushes it to disk and renames it
// over file. False with *why set when anything failed; file is then as it was.
bool replaceStateFile(const std::filesystem::path& file, std::string_view bytes,
                      std::string* why = nullptr);

} // namespace ocuvell
