#include "ui/assets/artwork.h"

#include <QImageReader>
#include <QtGlobal>

// The resources sit in a static library; naming their initialiser here makes the
// linker keep them in every program that uses the controls.
static void registerOcuvellResources() {
    Q_INIT_RESOURCE(ocuvell);
}

namespace ocuvell {

void initArtwork() {
    static const bool done = (registerOcuvellResources(), true);
    (void)done;
}

QImage artImage(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap artPixmap(const QString& path) {
    return QPixmap::fromImage(artImage(path));
}

} // namespace ocuvell
