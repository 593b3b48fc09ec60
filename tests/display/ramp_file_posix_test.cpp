// monitor.txt as something other than a file: a FIFO must not hold the program.
#include "core/display/ramp_file.h"
#include "core/settings/paths.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>

namespace ocuvell {
namespace {

TEST(RampFilePosix, FifoAndDevicesAreRefusedAtOnce) {
    const auto dir = testing::freshTestDir("display");
    ASSERT_EQ(::mkfifo((dir / "monitor.txt").c_str(), 0600), 0);
    GammaRamp out = GammaRamp::identity();
    const auto start = std::chrono::steady_clock::now();
    const RampFileResult fifo = loadRampFile(dir / "monitor.txt", out);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(fifo.status, RampFileStatus::NotRegular);
    EXPECT_EQ(rampFileMessage(fifo), "Cannot read the default data file (not a regular file), "
                                     "can only be restored to the state before the adjustment!");
    EXPECT_EQ(loadRampFile("/dev/zero", out).status, RampFileStatus::NotRegular);
    EXPECT_EQ(out, GammaRamp::identity());
}

} // namespace
} // namespace ocuvell
