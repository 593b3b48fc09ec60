#pragma once
// What the command line asks for, answered before the toolkit starts: --help and
// --version need no display, and a start with no display to show the program on, or with
// an option the program does not know, ends with one line that says so instead of the
// toolkit's abort.
#include <filesystem>
#include <string>
#include <vector>

namespace ocuvell {

// What the run script and the start-up benchmarks ask of a start, by options no one else
// needs (not in --help): --report-shown prints "shown" on stderr at the main window's first
// paint, --screenshot=PATH saves a picture of that frame.
struct FirstPaintReport {
    bool shown = false;
    std::string picture;
};

// What the answer depends on, gathered by answerCommandLine.
struct CommandLineFacts {
    std::string version;
    bool installed = false; // an installed copy: its settings are always the user's
    std::filesystem::path programDir;
    std::filesystem::path userConfigDir;
    bool display = true; // the session names a display (or a Qt platform) to show on
};

struct CommandLineAnswer {
    bool done = false; // false: go on and start the program
    int status = 0;
    std::string out; // for stdout
    std::string err; // for stderr
    // A command for the running copy, as the line to send; answerCommandLine sends it.
    std::string request;
    FirstPaintReport firstPaint; // for a start
};

// args without the program's name. A first argument naming a command for the running copy
// gives its request (or status 2 for bad usage). Qt's own options (-platform, -session,
// -style...) pass, with their values; --help and --version answer with status 0; anything
// else ends with a usage line and status 2; no display ends with status 1.
CommandLineAnswer readCommandLine(const std::vector<std::string>& args,
                                  const CommandLineFacts& facts);

// Gathers the facts, prints the answer, and returns true with the status to end with when
// the program should not start; otherwise gives what the start is asked to report.
bool answerCommandLine(int argc, char** argv, const char* version, int& status,
                       FirstPaintReport& firstPaint);

// Whether the session names a display to show windows on; one file per platform.
bool sessionHasDisplay();
// Makes what is printed next reach the terminal the program was started from: a Windows
// program of the windows subsystem has no console of its own. Nothing elsewhere.
void printToCallersConsole();

} // namespace ocuvell
