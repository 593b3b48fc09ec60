// Ocuvell's start on Linux: a small program without the toolkit. It answers the command
// line itself (--help, --version, usage errors, and commands for the running copy, which
// need nothing but the socket) and otherwise becomes the window program, so that a command
// costs a process of a few libraries rather than the toolkit's dozens.
#include "app/command_line.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#ifndef OCUVELL_VERSION
#define OCUVELL_VERSION "0"
#endif
// Where the window program lies, from this program's folder.
#ifndef OCUVELL_WINDOW_PROGRAM
#define OCUVELL_WINDOW_PROGRAM "../libexec/ocuvell/ocuvell"
#endif

namespace {

// This program's folder, as the kernel has it: a link to it elsewhere (in ~/bin, say)
// still finds the window program beside the real one.
std::string ownFolder() {
    char path[PATH_MAX];
    const ssize_t size = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (size <= 0)
        return ".";
    std::string self(path, static_cast<std::size_t>(size));
    return self.substr(0, self.rfind('/'));
}

} // namespace

int main(int argc, char** argv) {
    // A start's own options (the first-paint report) pass on with the arguments.
    ocuvell::FirstPaintReport passedOn;
    if (int status = 0; ocuvell::answerCommandLine(argc, argv, OCUVELL_VERSION, status, passedOn))
        return status;
    // The window program under this process's own name and arguments: the desktop, the
    // session manager and ps see the same ocuvell as before.
    const std::string program = ownFolder() + "/" + OCUVELL_WINDOW_PROGRAM;
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "ocuvell: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 1;
}
