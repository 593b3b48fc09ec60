// The profile functions on real files. Written against the file functions alone so the
// same cases hold for the system's own functions on Windows.
#include "core/settings/profile.h"
#include "support/scratch_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace ocuvell;
using namespace ocuvell::testing;
namespace fs = std::filesystem;

TEST(ProfileFile, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
    const fs::path file = freshTestDir() / "config.ini";
    EXPECT_EQ(profileRead(file, "dsxx", "pdrun", "pdrun", 256), "pdrun");
    EXPECT_FALSE(fs::exists(file));

    ASSERT_TRUE(profileWrite(file, "dsxx", "mei", std::string("45")));
    EXPECT_EQ(fileBytes(file), "[dsxx]\r\nmei=45\r\n");
    EXPECT_EQ(profileRead(file, "dsxx", "mei", "mei", 256), "45");

    // Removing a key from no file succeeds and leaves an empty file, as Windows does.
    // Wine's own functions create no file there (its conformance test is todo_wine).
    const fs::path none = file.parent_path() / "none.ini";
    ASSERT_TRUE(profileWrite(none, "eye", "pdrun", std::nullopt));
    if (std::getenv("OCUVELL_TEST_UNDER_WINE") && !fs::exists(none))
        return;
    ASSERT_TRUE(fs::exists(none));
    EXPECT_EQ(fs::file_size(none), 0u);
}

TEST(ProfileFile, WritesKeepUnknownKeysAndRemoveOnlyTheirOwnLine) {
    const fs::path file = freshTestDir() / "config.ini";
    putFile(file,
            "; kept\r\n[dsxx]\r\nmei=45\r\nmine=yes\r\n[eye]\r\npdrun=1\r\n[extra]\r\na=b\r\n");
    ASSERT_TRUE(profileWrite(file, "DSXX", "Mei", std::string("30")));
    ASSERT_TRUE(profileWrite(file, "eye", "pdrun", std::nullopt));
    ASSERT_TRUE(profileWrite(file, "eye", "liangdu", std::string("-12")));
    EXPECT_EQ(fileBytes(file), "; kept\r\n[dsxx]\r\nmei=30\r\nmine=yes\r\n[eye]\r\nliangdu=-12\r\n"
                               "[extra]\r\na=b\r\n");
    EXPECT_EQ(profileRead(file, "eye", "pdrun", "pdrun", 256), "pdrun");
}

TEST(ProfileFile, LongValueReadsBackCut) {
    const fs::path file = freshTestDir() / "config.ini";
    ASSERT_TRUE(profileWrite(file, "dsxx", "mei", std::string(300, '7')));
    EXPECT_EQ(profileRead(file, "dsxx", "mei", "mei", 256), std::string(255, '7'));
}

TEST(ProfileFile, FailedWriteLeavesNothingBehind) {
    const fs::path dir = freshTestDir();
    const fs::path file = dir / "missing-folder" / "config.ini";
    EXPECT_FALSE(profileWrite(file, "dsxx", "mei", std::string("45")));
    EXPECT_FALSE(fs::exists(file.parent_path()));
    EXPECT_EQ(profileRead(file, "dsxx", "mei", "mei", 256), "mei");

    // Repeated writes leave only the file itself in its folder.
    const fs::path good = dir / "config.ini";
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(profileWrite(good, "eye", "rgbr", std::to_string(i)));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1);
}
