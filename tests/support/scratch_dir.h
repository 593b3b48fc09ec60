#pragma once
// Scratch folders under the build's test area, and the bytes of the files in them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace ocuvell::testing {

// The build's test area (OCUVELL_TEST_TMP, else the system's temporary folder), created.
inline std::filesystem::path testArea() {
    const char* base = std::getenv("OCUVELL_TEST_TMP");
    std::filesystem::path root =
        base && *base ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(root);
    return root;
}

// An empty folder of the running test's own: area/suite/test.
inline std::filesystem::path freshTestDir(const char* area = "settings") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path dir = testArea() / area / info->test_suite_name() / info->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void putFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace ocuvell::testing
