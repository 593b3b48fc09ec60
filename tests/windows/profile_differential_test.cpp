// The settings file's operation scripts against the pure text functions and against the
// file functions of this platform: Windows' own GetPrivateProfileStringA and
// WritePrivateProfileStringA under Wine, the portable implementation elsewhere.
#include "profile_scripts.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace ocuvell::profiletest {
namespace {

std::string scratchDir() {
    const char* tmp = std::getenv("OCUVELL_TEST_TMP");
    std::filesystem::path dir =
        tmp && *tmp ? std::filesystem::path(tmp) : std::filesystem::temp_directory_path();
    dir /= "profile-differential";
    std::filesystem::create_directories(dir);
    return dir.string();
}

class ProfileDifferential : public ::testing::TestWithParam<std::size_t> {};

// What Wine still has to match in a case marked as a known difference.
Entry comparable(Entry entry, Script::Compare compare) {
    if (compare == Script::Unparsed) {
        entry.bytes = "(not compared)";
        return entry;
    }
    if (entry.isRead)
        return entry;
    // Reads only: whether a file is left at all is part of the known difference.
    if (compare == Script::ReadsOnly)
        entry.bytes = "(not compared)";
    else if (entry.bytes)
        entry.bytes = normalised(*entry.bytes);
    return entry;
}

// Whether the file backend is the system's own profile functions (set by the build).
constexpr bool kAgainstTheSystem = OCUVELL_SYSTEM_PROFILE;

TEST_P(ProfileDifferential, SameReadsAndFileBytesAfterEveryStep) {
    const Script& script = scripts()[GetParam()];
    SCOPED_TRACE(script.name);
    TextBackend text;
    FileBackend file(scratchDir());
    const std::vector<Entry> ours = run(script, text);
    const std::vector<Entry> theirs = run(script, file);
    ASSERT_EQ(ours.size(), theirs.size());

    // Against Windows' own functions (under Wine), a script may name a known difference.
    const bool known = kAgainstTheSystem && !script.wineDiffers.empty();
    if (known) {
        std::printf("Known Wine difference: %s\n", script.wineDiffers.c_str());
        for (std::size_t i = 0; i < ours.size(); ++i)
            if (!(ours[i] == theirs[i]))
                std::printf("  step %zu\n    portable: %s\n    Wine:     %s\n", i + 1,
                            ours[i].describe().c_str(), theirs[i].describe().c_str());
    }
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (known)
            EXPECT_EQ(comparable(ours[i], script.wineCompare).describe(),
                      comparable(theirs[i], script.wineCompare).describe())
                << "step " << i + 1 << ", beyond the known difference";
        else
            EXPECT_EQ(ours[i].describe(), theirs[i].describe()) << "step " << i + 1;
    }
}

std::string caseName(const ::testing::TestParamInfo<std::size_t>& info) {
    std::string name = "case" + std::to_string(info.param + 1) + "_";
    for (char c : scripts()[info.param].name)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            name += c;
        else if (name.back() != '_')
            name += '_';
    while (name.back() == '_')
        name.pop_back();
    return name;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ProfileDifferential,
                         ::testing::Range<std::size_t>(0, scripts().size()), caseName);

} // namespace
} // namespace ocuvell::profiletest
