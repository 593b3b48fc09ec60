// Ocuvell: main reads the command line, chooses the window system and runs the program,
// which builds and wires everything it is made of.
#include "app/command_line.h"
#include "app/program.h"
#include "app/window_system.h"

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>

#ifndef OCUVELL_VERSION
#define OCUVELL_VERSION "0"
#endif

int main(int argc, char** argv) {
    ocuvell::ProgramParts parts;
    if (int status = 0;
        ocuvell::answerCommandLine(argc, argv, OCUVELL_VERSION, status, parts.firstPaint))
        return status;

    if (std::string trouble; !ocuvell::chooseWindowSystem(trouble)) {
        std::fprintf(stderr, "%s\n", trouble.c_str());
        return 1;
    }
    std::optional<ocuvell::DisplayConnectWatch> connecting(std::in_place);
    QApplication app(argc, argv);
    connecting.reset();
    ocuvell::Program::prepareApplication();
    ocuvell::Program program(std::move(parts));
    return program.run();
}
