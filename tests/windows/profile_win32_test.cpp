// The kernel32 profile functions behind profileRead / profileWrite: what the differential
// scripts do not reach.
#include "core/settings/profile.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

fs::path scratch() {
    const char* tmp = std::getenv("OCUVELL_TEST_TMP");
    fs::path dir = tmp && *tmp ? fs::path(tmp) : fs::temp_directory_path();
    return dir / "profile-win32";
}

// A folder whose name the ANSI code page cannot spell (Chinese and an emoji under an
// English locale) is reached all the same, and the file's bytes are what the portable
// functions write.
TEST(ProfileWin32, FolderNameOutsideTheAnsiCodePage) {
    const fs::path parent = scratch() / "names";
    fs::remove_all(parent);
    const fs::path dir = parent / L"\u7528\u6237 \U0001F440";
    fs::create_directories(dir);
    const fs::path file = dir / L"config.ini";

    ASSERT_TRUE(profileWrite(file, "dsxx", "mei", std::string("45")));
    ASSERT_TRUE(profileWrite(file, "eye", "liangdu", std::string("-10")));
    EXPECT_EQ(profileRead(file, "dsxx", "mei", "mei", 256), "45");
    EXPECT_EQ(profileRead(file, "eye", "liangdu", "liangdu", 256), "-10");
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, "[dsxx]\r\nmei=45\r\n[eye]\r\nliangdu=-10\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(parent), fs::directory_iterator()), 1)
        << "written under a mangled folder name as well";
}

TEST(ProfileWin32, BufferSizesAtTheEdges) {
    const fs::path file = scratch() / "sizes.ini";
    fs::create_directories(scratch());
    fs::remove(file);
    ASSERT_TRUE(profileWrite(file, "s", "k", std::string("abcdef")));
    EXPECT_EQ(profileRead(file, "s", "k", "k", 0), "");
    EXPECT_EQ(profileRead(file, "s", "k", "k", 1), "");
    EXPECT_EQ(profileRead(file, "s", "k", "k", 4), "abc");
    EXPECT_EQ(profileRead(file, "s", "k", "k", 7), "abcdef");
}

} // namespace
} // namespace ocuvell
