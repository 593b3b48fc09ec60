// The helpers of the main window's start: a picture drawn in bands looks as a QLabel
// draws it, and work waiting for a window's first frame runs after it, or in time
// without one.
#include "ui/assets/artwork.h"
#include "ui/widgets/after_first_frame.h"
#include "ui/widgets/banded_picture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace ocuvell;

namespace {

// An opaque child over the picture, as the next-rest monitor has, makes the clip
// something other than a rectangle.
template <class Picture> QImage drawnWithAChildOver(const QPixmap& picture) {
    Picture label;
    label.setPixmap(picture);
    label.setGeometry(0, 0, picture.width(), picture.height());
    auto* child = new QFrame(&label);
    child->setAutoFillBackground(true);
    child->setGeometry(14, 18, 100, 70);
    return label.grab().toImage();
}

TEST(BandedPicture, DrawsTheSamePixelsAsALabel) {
    initArtwork();
    for (const char* name : {":/ocuvell/monitor_blank.png", ":/ocuvell/monitor_eye.png"}) {
        const QPixmap picture = artPixmap(QString::fromLatin1(name));
        ASSERT_FALSE(picture.isNull()) << name;
        EXPECT_EQ(drawnWithAChildOver<BandedPicture>(picture), drawnWithAChildOver<QLabel>(picture))
            << name;
    }
}

void runEventsUntil(const bool& done, int ms) {
    for (QDeadlineTimer t(ms); !done && !t.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(AfterFirstFrame, RunsOnceAfterThePaintOrInTimeWithoutOne) {
    QWidget shown;
    bool ran = false;
    int runs = 0;
    new AfterFirstFrame(&shown, &shown, [&] { ran = true, ++runs; });
    shown.show();
    EXPECT_FALSE(ran); // nothing before the event loop paints
    runEventsUntil(ran, AfterFirstFrame::kLatestMs / 2);
    EXPECT_TRUE(ran);
    shown.update();
    runEventsUntil(ran, AfterFirstFrame::kLatestMs * 2); // the fallback must not run it again
    EXPECT_EQ(runs, 1);

    QWidget hidden;
    bool late = false;
    new AfterFirstFrame(&hidden, &hidden, [&] { late = true; });
    runEventsUntil(late, AfterFirstFrame::kLatestMs * 4);
    EXPECT_TRUE(late);
}

} // namespace
