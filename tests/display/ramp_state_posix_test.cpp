// The ramp record on a POSIX file system: what it leaves behind, and what it refuses to
// trust. The record decides what the screen is computed from, so another user must not be
// able to set it.
#include "core/display/ramp_state.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;
using testing::fileBytes;
using testing::putFile;

constexpr uid_t kNobody = 65534;

GammaRamp tinted() {
    GammaRamp ramp = GammaRamp::identity();
    for (int j = 0; j < GammaRamp::kSize; ++j)
        ramp.at(2, j) = static_cast<std::uint16_t>(ramp.at(2, j) / 2);
    return ramp;
}

// A record of base identity and a blue tint, left where file is.
void plantRecord(const fs::path& file) {
    putFile(file, formatRampRecord({GammaRamp::identity(), tinted()}));
}

TEST(RampStatePosix, WritesArePrivateWholeAndClearWhatEndedWritersLeft) {
    const fs::path dir = testing::freshTestDir("display");
    const fs::path file = dir / "a" / "b" / kRampStateFileName;
    fs::create_directories(file.parent_path());
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string stale = ".ramps.txt.tmp-" + std::to_string(ended) + "-7";
    putFile(file.parent_path() / stale, "half");

    const mode_t saved = ::umask(022);
    RampState(file).applied(GammaRamp::identity(), tinted());
    RampState(file).applied(GammaRamp::identity(), GammaRamp::identity());
    ::umask(saved);
    EXPECT_EQ(parseRampRecord(fileBytes(file))->applied, GammaRamp::identity());
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Only the record is left: the ended writer's temporary file is gone.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);

    // Missing folders are made private to the user.
    const fs::path fresh = dir / "new" / "deeper" / kRampStateFileName;
    RampState(fresh).applied(GammaRamp::identity(), tinted());
    ASSERT_EQ(::stat(fresh.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder that cannot be made: nothing written, one line on stderr, no crash.
    putFile(dir / "plain", "x");
    ::testing::internal::CaptureStderr();
    RampState(dir / "plain" / kRampStateFileName).applied(GammaRamp::identity(), tinted());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot remember"), std::string::npos);
}

TEST(RampStatePosix, ARecordInAFolderOpenToAllIsIgnored) {
    const fs::path dir = testing::freshTestDir("display");
    const fs::path folder = dir / "Ocuvell";
    fs::create_directories(folder);
    const fs::path file = folder / kRampStateFileName;
    plantRecord(file);
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_EQ(RampState(file).baseFor(tinted()), GammaRamp::identity());

    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(RampState(file).baseFor(tinted()), std::nullopt);
    // Nor is a record written there, where others could replace it.
    ::testing::internal::CaptureStderr();
    RampState(file).applied(GammaRamp::identity(), GammaRamp::identity());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("open to all"), std::string::npos);
    EXPECT_EQ(parseRampRecord(fileBytes(file))->applied, tinted());

    // A sticky folder such as /tmp keeps others from renaming the user's own record.
    ASSERT_EQ(::chmod(folder.c_str(), 01777), 0);
    EXPECT_EQ(RampState(file).baseFor(tinted()), GammaRamp::identity());
}

TEST(RampStatePosix, RecordsAndLinksOfAnotherUserAreIgnored) {
    const fs::path dir = testing::freshTestDir("display");
    const fs::path shared = dir / "shared";
    fs::create_directories(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const fs::path theirs = dir / "theirs.txt";
    plantRecord(theirs);
    const fs::path file = shared / kRampStateFileName;
    fs::create_symlink(theirs, file);
    if (::lchown(file.c_str(), kNobody, kNobody) != 0)
        GTEST_SKIP() << "cannot give a file to another user without root";
    EXPECT_EQ(RampState(file).baseFor(tinted()), std::nullopt);

    // The user's own link is followed; a record another user owns is not read through it.
    fs::remove(file);
    fs::create_symlink(theirs, file);
    EXPECT_EQ(RampState(file).baseFor(tinted()), GammaRamp::identity());
    ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(RampState(file).baseFor(tinted()), std::nullopt);
}

} // namespace
} // namespace ocuvell
