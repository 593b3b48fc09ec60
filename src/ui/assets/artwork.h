#pragma once
// The pictures of the windows and controls are compiled into the program as Qt
// resources under ":/ocuvell/". Call this once before loading them; the controls do.
#include <QImage>
#include <QPixmap>
#include <QString>

namespace ocuvell {

void initArtwork();

// One of those pictures, read as the PNG it is. Left to tell the format from the name,
// Qt would first load every image-format plugin installed (JPEG, GIF, ICO...) to ask each
// whether it reads PNG, which costs start-up time and memory for nothing.
QImage artImage(const QString& path);
QPixmap artPixmap(const QString& path);

} // namespace ocuvell
