#pragma once
// Which of Qt's window-system plugins the program asks for, before the toolkit starts.

namespace ocuvell {

// Sets QT_QPA_PLATFORM when the user has not named a plugin and this system needs one
// named; leaves it alone otherwise.
void chooseWindowSystem();

} // namespace ocuvell
