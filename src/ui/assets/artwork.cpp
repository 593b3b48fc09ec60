#include "ui/assets/artwork.h"

#include <QHash>
#include <QImageReader>
#include <QThread>
#include <QtGlobal>
#include <utility>

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

namespace {

QImage readPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The pictures read ahead: written by the reading thread only, read once it has ended.
struct ReadAhead {
    QThread* thread = nullptr;
    QHash<QString, QImage> images;
    // A run that ends before it shows anything (a second copy) never takes them.
    ~ReadAhead() {
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
};
ReadAhead& readAhead() {
    static ReadAhead ahead;
    return ahead;
}

} // namespace

void startReadingArt(const QStringList& paths) {
    initArtwork();
    ReadAhead& ahead = readAhead();
    if (ahead.thread)
        return;
    ahead.thread = QThread::create([paths, &ahead] {
        for (const QString& path : paths)
            ahead.images.insert(path, readPng(path));
    });
    ahead.thread->start();
}

QImage artImage(const QString& path) {
    ReadAhead& ahead = readAhead();
    if (ahead.thread) {
        ahead.thread->wait();
        delete std::exchange(ahead.thread, nullptr);
    }
    if (const auto it = ahead.images.constFind(path); it != ahead.images.constEnd()) {
        QImage image = *it;
        ahead.images.erase(it);
        return image;
    }
    return readPng(path);
}

QPixmap artPixmap(const QString& path) {
    return QPixmap::fromImage(artImage(path));
}

} // namespace ocuvell
