#pragma once
// The per-user folder for what the program remembers between runs on its own (not
// settings the user chose).
#include <filesystem>

namespace ocuvell {

// $XDG_STATE_HOME/Ocuvell, else ~/.local/state/Ocuvell; %LOCALAPPDATA%\Ocuvell on
// Windows (else %USERPROFILE%\AppData\Local\Ocuvell); a variable holding a relative
// path counts as unset. Empty when no home folder can be found. Not created here.
std::filesystem::path stateDirectory();

} // namespace ocuvell
