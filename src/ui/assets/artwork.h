#pragma once
// The pictures of the windows and controls are compiled into the program as Qt
// resources under ":/ocuvell/". Call this once before loading them; the controls do.
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace ocuvell {

void initArtwork();

// One of those pictures, read as the PNG it is. Left to tell the format from the name,
// Qt would first load every image-format plugin installed (JPEG, GIF, ICO...) to ask each
// whether it reads PNG, which costs start-up time and memory for nothing.
QImage artImage(const QString& path);
QPixmap artPixmap(const QString& path);

// Starts reading these pictures on a second thread, for artImage() to take when asked.
// Called from the main thread once the application object exists, it lets the largest
// pictures of the first frame decode while the program reads its settings and opens the
// display.
void startReadingArt(const QStringList& paths);

} // namespace ocuvell
