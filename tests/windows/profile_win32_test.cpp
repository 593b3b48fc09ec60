// The kernel32 profile functions behind profileRead / profileWrite: what the differential
// scripts do not reach.
#include "core/settings/profile.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

fs::path scratch() {
    const char* tmp = std::getenv("OCUVELL_TEST_TMP");
    fs::path dir = tmp && *tmp ? fs::path(tmp) : fs::temp_directory_path();
    return dir / "profile-win32";
}

// A folder name outside ASCII must reach the ANSI functions in the system's code page,
// not in whatever narrow form the C++ runtime would make of it.
TEST(ProfileWin32, FolderNameInTheAnsiCodePage) {
    const std::wstring name = L"caf\u00e9";
    BOOL lossy = FALSE;
    char narrow[16];
    ::WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, narrow, sizeof narrow, nullptr, &lossy);
    if (lossy)
        GTEST_SKIP() << "the ANSI code page has no e-acute";
    const fs::path dir = scratch() / name;
    fs::create_directories(dir);
    const fs::path file = dir / L"config.ini";
    fs::remove(file);

    ASSERT_TRUE(profileWrite(file, "dsxx", "mei", std::string("45")));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(profileRead(file, "dsxx", "mei", "mei", 256), "45");
    EXPECT_FALSE(fs::exists(scratch() / "caf\xC3\xA9")) << "written under a mangled name";
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
