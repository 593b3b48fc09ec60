// A Windows program always has a desktop to show its windows on.
#include "app/command_line.h"

namespace ocuvell {

bool sessionHasDisplay() {
    return true;
}

} // namespace ocuvell
