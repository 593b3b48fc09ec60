// The default ramp the build writes beside the program: read back, it is the identity.
#include "core/display/ramp_file.h"
#include "support/scratch_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace ocuvell {
namespace {

TEST(DefaultRampFile, BesideTheBuiltProgramAndTheIdentity) {
    const std::filesystem::path file = std::filesystem::path(OCUVELL_PROGRAM_DIR) / kRampFileName;
    ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
    const std::string text = testing::fileBytes(file);

    // 256 lines of "r,g,b", each ended by CR LF, as the Windows program's file was.
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at, ++lines)
        ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "line " << lines + 1;
    EXPECT_EQ(lines, 256u);
    EXPECT_EQ(text.substr(0, 7), "0,0,0\r\n");
    EXPECT_EQ(text.substr(text.size() - 10), "-1,-1,-1\r\n");
    // Past the middle the entries are written in their signed form.
    EXPECT_NE(text.find("\r\n-32640,-32640,-32640\r\n"), std::string::npos);

    GammaRamp ramp{};
    const RampFileResult result = parseRampText(text, ramp);
    ASSERT_EQ(result.status, RampFileStatus::Loaded) << result.detail;
    for (int channel = 0; channel < 3; ++channel)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            ASSERT_EQ(ramp.at(channel, j), 257 * j) << "channel " << channel << " entry " << j;
    // And through the loader the program uses.
    GammaRamp loaded{};
    EXPECT_EQ(loadRampFile(file, loaded).status, RampFileStatus::Loaded);
    EXPECT_TRUE(loaded == ramp);
}

} // namespace
} // namespace ocuvell
