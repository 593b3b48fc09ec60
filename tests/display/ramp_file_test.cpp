#include "core/display/ramp_file.h"
#include "core/settings/paths.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace ocuvell {
namespace {

// The identity ramp written entry-major, in the signed form the files use.
std::string identityText(const std::function<std::string(int j, int c)>& separatorAfter) {
    std::string text;
    for (int j = 0; j < 256; ++j)
        for (int c = 0; c < 3; ++c)
            text += std::to_string(static_cast<std::int16_t>(257 * j)) + separatorAfter(j, c);
    return text;
}

GammaRamp sentinel() {
    GammaRamp r;
    r.entries.fill(1234);
    return r;
}

TEST(RampFileParse, EveryLayoutGivesTheSameRamp) {
    const std::string layouts[] = {
        identityText([](int, int) { return "\n"; }),
        identityText([](int, int) { return "\r\n"; }),
        identityText([](int, int c) { return c < 2 ? ", " : "\r\n"; }),
        identityText([](int, int c) { return c < 2 ? "," : "\n"; }),
        identityText([](int, int) { return "\t"; }),
        identityText([](int j, int) { return j % 2 ? " ,\t " : " \r\n\r\n"; }),
        "\xEF\xBB\xBF  \n" + identityText([](int, int) { return " "; }),
    };
    for (const std::string& text : layouts) {
        GammaRamp out = sentinel();
        const RampFileResult r = parseRampText(text, out);
        EXPECT_EQ(r.status, RampFileStatus::Loaded) << r.detail;
        EXPECT_EQ(out, GammaRamp::identity());
    }
    EXPECT_EQ(identityText([](int, int) { return ","; }).substr(0, 18), "0,0,0,257,257,257,");
}

TEST(RampFileParse, SignedAndUnsignedFormsAreTheSamePattern) {
    std::string text = identityText([](int, int) { return "\n"; });
    // Entry 255 of all three channels: -1 and 65535 both mean full intensity.
    text = text.substr(0, text.size() - 9) + "65535\n+65535\n-1\n";
    GammaRamp out;
    ASSERT_EQ(parseRampText(text, out).status, RampFileStatus::Loaded);
    EXPECT_EQ(out, GammaRamp::identity());
}

TEST(RampFileParse, LongIsTrimmedShortAndBadLeaveTheRampAlone) {
    const std::string full = identityText([](int, int) { return ","; });
    GammaRamp out = sentinel();
    EXPECT_EQ(parseRampText(full + "99999, garbage", out).status, RampFileStatus::Loaded);
    EXPECT_EQ(out, GammaRamp::identity());

    struct Case {
        std::string text;
        RampFileStatus status;
        const char* detailHas;
    };
    const Case cases[] = {
        {"", RampFileStatus::TooShort, "only 0 of the 768"},
        {full.substr(0, full.rfind(',', full.size() - 2)), RampFileStatus::TooShort, "767"},
        {"1,2,abc," + full, RampFileStatus::BadNumber, "number 3 is \"abc\""},
        {"1,2,3.5," + full, RampFileStatus::BadNumber, "3.5"},
        {"1,-,3," + full, RampFileStatus::BadNumber, "number 2"},
        {"1,65536,3," + full, RampFileStatus::BadNumber, "outside -32768..65535"},
        {"-32769," + full, RampFileStatus::BadNumber, "outside"},
        {"99999999999999999999," + full, RampFileStatus::BadNumber, "outside"},
        {"1,2,3-4," + full, RampFileStatus::BadNumber, "3-4"},
        {std::string("1,\0,3,", 6) + full, RampFileStatus::BadNumber, "number 2"},
        {identityText([](int, int) { return ";"; }), RampFileStatus::BadNumber, "number 1"},
    };
    for (const Case& c : cases) {
        GammaRamp untouched = sentinel();
        const RampFileResult r = parseRampText(c.text, untouched);
        EXPECT_EQ(r.status, c.status) << r.detail;
        EXPECT_NE(r.detail.find(c.detailHas), std::string::npos) << r.detail;
        EXPECT_EQ(untouched, sentinel());
    }
    // The edge values themselves are fine, and 768 zeros would black the screen.
    EXPECT_EQ(parseRampText("-32768 " + full, out).status, RampFileStatus::Loaded);
    GammaRamp zeros = sentinel();
    std::string allZero;
    for (int i = 0; i < 768; ++i)
        allZero += "0\n";
    EXPECT_EQ(parseRampText(allZero, zeros).status, RampFileStatus::AllZero);
    EXPECT_EQ(zeros, sentinel());
}

TEST(RampFileParse, NearBlackRampsAreRefusedLikeBadFiles) {
    auto ramp = [](const std::function<int(int j, int c)>& entry) {
        std::string text;
        for (int j = 0; j < 256; ++j)
            for (int c = 0; c < 3; ++c)
                text += std::to_string(entry(j, c)) + "\n";
        return text;
    };
    const std::string dark[] = {
        ramp([](int j, int c) { return j == 255 && c == 2 ? 1 : 0; }), // 767 zeros and a 1
        ramp([](int, int) { return 1; }),
        ramp([](int j, int c) { return c == 1 ? 63 * j : 257 * j; }), // green tops at 16065
        ramp([](int j, int) { return j == 255 ? 65535 : 0; }),        // 765 zeros, then full
    };
    for (const std::string& text : dark) {
        GammaRamp out = sentinel();
        const RampFileResult r = parseRampText(text, out);
        EXPECT_EQ(r.status, RampFileStatus::NearBlack);
        EXPECT_EQ(out, sentinel());
        EXPECT_NE(rampFileMessage(r).find("all-black ramp"), std::string::npos);
    }
    GammaRamp out;
    EXPECT_NE(rampFileMessage(parseRampText(dark[2], out)).find("green"), std::string::npos);
    // A quarter of full scale is still a ramp a display may have.
    EXPECT_EQ(parseRampText(ramp([](int j, int) { return 64 * j + 64; }), out).status,
              RampFileStatus::Loaded);
}

TEST(RampFileParse, MessagesShowOnlyPrintableText) {
    GammaRamp out;
    const std::string cases[][2] = {
        {std::string("12\0x4", 5), "\"12\\x00x4\""},
        {"7\xFF\xC3", "\"7\\xFF\\xC3\""},     // broken UTF-8
        {"\xE4\xBA\x94", "\"\xE4\xBA\x94\""}, // a whole character stays
        {"\x1B[2J", "\"\\x1B[2J\""},          // no terminal escapes
    };
    for (const auto& [token, shown] : cases) {
        const RampFileResult r = parseRampText("1 2 " + token + " 4", out);
        ASSERT_EQ(r.status, RampFileStatus::BadNumber);
        EXPECT_NE(rampFileMessage(r).find("number 3 is " + shown), std::string::npos)
            << rampFileMessage(r);
    }
}

struct RampFileDisk : ::testing::Test {
    std::filesystem::path dir;
    void SetUp() override {
        dir = testing::freshTestDir("display");
        std::filesystem::create_directories(dir / "program");
    }
    void write(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
};

TEST_F(RampFileDisk, LoadsAndTellsFailuresApart) {
    GammaRamp out = sentinel();
    const RampFileResult missing = loadRampFile(dir / "monitor.txt", out);
    EXPECT_EQ(missing.status, RampFileStatus::Missing);
    EXPECT_EQ(rampFileMessage(missing),
              "Not found the default data file, can only be restored to the state before the "
              "adjustment!");
    EXPECT_STREQ(kRampFileTitle, "tips");
    std::filesystem::create_directories(dir / "folder.txt"); // not an ordinary file
    EXPECT_EQ(loadRampFile(dir / "folder.txt", out).status, RampFileStatus::NotRegular);

    // Bigger than one read chunk, with a number split across the chunk boundary.
    std::string big(16383, ' ');
    write(dir / "big.txt", big + identityText([](int, int) { return "\r\n"; }));
    EXPECT_EQ(loadRampFile(dir / "big.txt", out).status, RampFileStatus::Loaded);
    EXPECT_EQ(out, GammaRamp::identity());

    write(dir / "short.txt", "0, 0, 0\r\n257, 257");
    out = sentinel();
    const RampFileResult shortFile = loadRampFile(dir / "short.txt", out);
    EXPECT_EQ(shortFile.status, RampFileStatus::TooShort);
    EXPECT_EQ(shortFile.numbersRead, 5);
    EXPECT_EQ(out, sentinel());
    EXPECT_NE(rampFileMessage(shortFile).find("only 5 of the 768"), std::string::npos);
    EXPECT_NE(rampFileMessage(shortFile).find("can only be restored"), std::string::npos);
}

TEST_F(RampFileDisk, HugeFilesAreRefusedUnread) {
    GammaRamp out = sentinel();
    write(dir / "huge.txt",
          identityText([](int, int) { return "\n"; }) + std::string(kRampFileMaxBytes, ' '));
    const RampFileResult huge = loadRampFile(dir / "huge.txt", out);
    EXPECT_EQ(huge.status, RampFileStatus::TooLarge);
    EXPECT_EQ(out, sentinel());
    EXPECT_EQ(rampFileMessage(huge), "Cannot read the default data file (more than 1024 KiB), "
                                     "can only be restored to the state before the adjustment!");
}

TEST_F(RampFileDisk, TheProgramFolderThenTheUserFolderThenTheInstalledDataFolder) {
    const SettingsFolders folders{dir / "prefix" / "bin", dir / "config" / "Ocuvell"};
    const auto beside = folders.program / "monitor.txt";
    const auto installed = dir / "prefix" / "share" / "ocuvell" / "monitor.txt";
    const auto user = folders.user / "monitor.txt";
    EXPECT_EQ(rampFilePath(folders), beside); // none exists
    for (const auto& file : {installed, user, beside}) {
        std::filesystem::create_directories(file.parent_path());
        write(file, "1");
        EXPECT_EQ(rampFilePath(folders), file);
    }
}

} // namespace
} // namespace ocuvell
