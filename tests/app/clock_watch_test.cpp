// The timer file's news reaches the schedule through the program's event watch. Setting
// the clock takes a privilege a test does not have, so the watch is asked to report a
// moment just past, which goes the same way from the file to the schedule.
#include "app/clock_watch.h"
#include "app/event_watch.h"
#include "core/rest/rest_schedule.h"
#include "support/rest_fakes.h"
#include "support/sim_clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace ocuvell {
namespace {

TEST(ClockWatch, ItsNewsMakesTheScheduleLookAtOnce) {
    testing::SimClock clock(10, 0, 0);
    RestSchedule schedule(clock);
    testing::RecordingWindows windows;
    schedule.attach({.tip = &windows, .restScreen = &windows});
    schedule.loadStored("5", "1");
    schedule.switchReminders(true); // due 10:05
    int told = 0;
    ClockWatch watch([&] {
        ++told;
        schedule.clockSet();
    });
    ASSERT_TRUE(watch.watching());
    EventWatch events;
    events.watch(watch.fd(), [&watch] { watch.dispatch(); });

    clock.set(10, 20, 0);
    const auto waitForNews = [&told](int count) {
        QElapsedTimer waited;
        waited.start();
        while (told < count && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    };
    watch.alsoAt(std::chrono::system_clock::now());
    waitForNews(1);
    EXPECT_TRUE(windows.tipShown);
    // Armed afresh after its news, it tells again.
    watch.alsoAt(std::chrono::system_clock::now());
    waitForNews(2);
    EXPECT_EQ(told, 2);
}

} // namespace
} // namespace ocuvell
