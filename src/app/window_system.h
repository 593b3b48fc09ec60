#pragma once
// Which of Qt's window-system plugins the program asks for, before the toolkit starts.
#include <string>

namespace ocuvell {

// Sets QT_QPA_PLATFORM when the user has not named a plugin and this system needs one
// named; leaves it alone otherwise. False, with a line for stderr in trouble, when the
// display the environment names does not answer (a stale DISPLAY at autostart or over
// ssh): Qt would end in an abort that advises reinstalling.
bool chooseWindowSystem(std::string& trouble);

} // namespace ocuvell
