#pragma once
// Text that comes from outside the program (a file, an environment variable, a path, a
// system's error) is shown as it is. Read as markup, a name like <img src=/dev/zero> would
// have the box load that file; unprintable and direction-changing characters would hide
// or reorder what it says.
#include <QString>
#include <memory>
#include <string_view>

class QMessageBox;
class QWidget;

namespace ocuvell {

// bytes as text to show: unprintable and bidirectional controls escaped as \xNN.
QString plainText(std::string_view bytes);
// A warning box with an OK button that shows text as it is; the caller opens it.
std::unique_ptr<QMessageBox> plainWarningBox(QWidget* parent, const QString& title,
                                             const QString& text);

} // namespace ocuvell
