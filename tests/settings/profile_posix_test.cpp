// What only our own implementation promises: the temp-file-and-rename write, its failure
// message, links and file modes left as they were, and no file but a regular one of
// sensible size read or replaced.
#include "core/settings/profile.h"
#include "core/settings/settings_problem.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ocuvell;
using namespace ocuvell::testing;
namespace fs = std::filesystem;

TEST(ProfilePortable, UnwritableFolderKeepsTheOldFileAndSaysWhy) {
    const fs::path dir = freshTestDir() / "locked";
    fs::create_directories(dir);
    const fs::path file = dir / "config.ini";
    const std::string old = "[dsxx]\r\nmei=45\r\nunknown=1\r\n";
    putFile(file, old);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir.c_str(), W_OK) == 0) {
        fs::permissions(dir, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }

    std::string why;
    bool written = profileWrite(file, "dsxx", "mei", std::string("30"), &why);
    fs::permissions(dir, fs::perms::owner_all);

    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_EQ(why, "Permission denied");
}

TEST(ProfilePortable, UnreadableFileIsNotOverwritten) {
    // A folder where the file should be cannot be read, so nothing may replace it.
    const fs::path file = freshTestDir() / "config.ini";
    fs::create_directories(file / "inside");
    std::string why;
    EXPECT_FALSE(profileWrite(file, "dsxx", "mei", std::string("30"), &why));
    EXPECT_TRUE(fs::exists(file / "inside"));
    EXPECT_EQ(why, "it is a folder, not a file");
}

TEST(ProfilePortable, RefusedValueIsReportedAndFileUntouched) {
    const fs::path file = freshTestDir() / "config.ini";
    putFile(file, "[dsxx]\r\nmei=45\r\n");
    std::string why;
    EXPECT_FALSE(profileWrite(file, "dsxx", "mei", std::string("1\n[eye]\npdrun=1"), &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(fileBytes(file), "[dsxx]\r\nmei=45\r\n");
}

TEST(ProfilePortable, LinkAndModeStayAsTheyWere) {
    const fs::path dir = freshTestDir();
    const fs::path real = dir / "real.ini";
    const fs::path link = dir / "config.ini";
    putFile(real, "[eye]\r\nrgbr=1\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.ini", link);

    ASSERT_TRUE(profileWrite(link, "eye", "rgbr", std::string("2")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(fileBytes(real), "[eye]\r\nrgbr=2\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

namespace {

// Runs f in a child process and brings back its answer. A call that hangs (a pipe opened
// for reading waits for a writer) fails the test instead of blocking the whole run.
std::optional<std::string> inChild(const std::function<std::string()>& f) {
    int out[2];
    if (::pipe(out) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        const std::string answer = f();
        (void)!::write(out[1], answer.data(), answer.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string answer;
    bool finished = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            finished = true;
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (!finished)
        ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return finished ? std::optional(answer) : std::nullopt;
}

// Reads a key and tries to write one; answers "<value>|<written>|<problems told>", and the
// reasons given in *whys.
std::string readThenWrite(const fs::path& file, std::string* whys = nullptr) {
    std::string readWhy;
    std::string writeWhy;
    std::string value = profileRead(file, "dsxx", "mei", "mei", 256, &readWhy);
    bool written = profileWrite(file, "dsxx", "mei", std::string("30"), &writeWhy);
    if (whys)
        *whys += readWhy + "|" + writeWhy + "\n";
    const int told = !readWhy.empty() + !writeWhy.empty();
    return value + "|" + (written ? "written" : "refused") + "|" + std::to_string(told);
}

bool makeDevice(const fs::path& node, unsigned minor) {
    return ::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0;
}

} // namespace

TEST(ProfilePortable, SpecialFilesAreRefusedWithoutHangingOrBeingReplaced) {
    const fs::path dir = freshTestDir();
    // The answer and the reasons given, from a child process.
    const auto tried = [](const fs::path& file) {
        return inChild([&] {
            std::string whys;
            const std::string answer = readThenWrite(file, &whys);
            return answer + "#" + whys;
        });
    };

    const fs::path fifo = dir / "fifo" / "config.ini";
    fs::create_directories(fifo.parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(tried(fifo), "mei|refused|2#it is a pipe, not a file|it is a pipe, not a file\n");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    // Reading the system's own zero device through a link must end; writing is left to
    // the private nodes below, so a fault here can never touch /dev.
    const fs::path zeroLink = dir / "zero-link" / "config.ini";
    fs::create_directories(zeroLink.parent_path());
    fs::create_symlink("/dev/zero", zeroLink);
    EXPECT_EQ(inChild([&] { return profileRead(zeroLink, "dsxx", "mei", "mei", 256); }), "mei");

    const fs::path huge = dir / "huge" / "config.ini";
    fs::create_directories(huge.parent_path());
    putFile(huge, "[dsxx]\r\nmei=45\r\n");
    fs::resize_file(huge, 100u << 20);
    const std::optional<std::string> hugeAnswer = tried(huge);
    ASSERT_TRUE(hugeAnswer);
    EXPECT_EQ(hugeAnswer->substr(0, 14), "mei|refused|2#");
    EXPECT_NE(hugeAnswer->find("larger than 1 MiB"), std::string::npos) << *hugeAnswer;
    EXPECT_EQ(fs::file_size(huge), 100u << 20);

    // Just at the limit is still a settings file.
    const fs::path big = dir / "big" / "config.ini";
    fs::create_directories(big.parent_path());
    putFile(big, "[dsxx]\r\nmei=45\r\n" + std::string((1u << 20) - 40, ';') + "\r\n");
    EXPECT_EQ(inChild([&] { return readThenWrite(big); }), "45|written|0");

    const fs::path nodes = dir / "nodes";
    fs::create_directories(nodes);
    if (makeDevice(nodes / "zero", 5) && makeDevice(nodes / "null", 3)) {
        for (const char* device : {"zero", "null"}) {
            const fs::path link = nodes / (std::string("config-") + device + ".ini");
            fs::create_symlink(device, link);
            EXPECT_EQ(inChild([&] { return readThenWrite(link); }), "mei|refused|2") << device;
            EXPECT_TRUE(fs::is_character_file(nodes / device)) << device;
            EXPECT_EQ(inChild([&] { return readThenWrite(nodes / device); }), "mei|refused|2");
            EXPECT_TRUE(fs::is_character_file(nodes / device)) << device;
        }
    }
}

// A file just under the read limit that a write would take past it: the next start would
// read nothing, so the write is refused and the file stays as it was.
TEST(ProfilePortable, AWriteThatWouldOutgrowTheReadLimitIsRefused) {
    const fs::path file = freshTestDir() / "config.ini";
    const std::string old = "[dsxx]\r\nmei=45\r\n;" + std::string((1u << 20) - 24, 'x') + "\r\n";
    ASSERT_EQ(old.size(), (1u << 20) - 5);
    putFile(file, old);
    std::string why;
    EXPECT_FALSE(profileWrite(file, "eye", "liangdu", std::string("-10"), &why));
    EXPECT_EQ(why, "it would grow larger than 1 MiB, too large to be read back");
    EXPECT_EQ(fileBytes(file), old);
    // A change that keeps it within the limit is still written.
    EXPECT_TRUE(profileWrite(file, "dsxx", "mei", std::string("30")));
    EXPECT_EQ(profileRead(file, "dsxx", "mei", "mei", 256), "30");
}

TEST(ProfilePortable, LinksOfOtherUsersInSharedFoldersAreNotFollowed) {
    const fs::path dir = freshTestDir();
    const fs::path shared = dir / "shared";
    fs::create_directories(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const fs::path victim = dir / "victim.txt";
    putFile(victim, "precious\n");
    const fs::path planted = shared / "config.ini";
    fs::create_symlink(victim, planted);
    const uid_t nobody = 65534;
    if (::lchown(planted.c_str(), nobody, nobody) != 0)
        GTEST_SKIP() << "cannot give a link to another user without root";

    std::string whys;
    EXPECT_EQ(readThenWrite(planted, &whys), "mei|refused|2");
    EXPECT_EQ(fileBytes(victim), "precious\n");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(planted)));

    // A link of the user's own that leads through the other user's link is refused too.
    const fs::path mine = dir / "config.ini";
    fs::create_symlink(planted, mine);
    EXPECT_EQ(readThenWrite(mine), "mei|refused|2");
    EXPECT_EQ(fileBytes(victim), "precious\n");
    EXPECT_NE(whys.find("link owned by another user"), std::string::npos) << whys;

    // The user's own link in the shared folder, and another user's link in a folder that
    // only its owner writes, are followed as before.
    const fs::path own = shared / "own.ini";
    fs::create_symlink(victim, own);
    EXPECT_EQ(readThenWrite(own), "mei|written|0");
    const fs::path privateFolder = dir / "private";
    fs::create_directories(privateFolder);
    ::chmod(privateFolder.c_str(), 0755);
    const fs::path theirs = privateFolder / "config.ini";
    fs::create_symlink(victim, theirs);
    ASSERT_EQ(::lchown(theirs.c_str(), nobody, nobody), 0);
    EXPECT_EQ(readThenWrite(theirs), "30|written|0");
    EXPECT_EQ(fileBytes(victim), "precious\n[dsxx]\r\nmei=30\r\n");
}

TEST(ProfilePortable, WritesClearTemporaryFilesOfEndedProcessesOnly) {
    const fs::path dir = freshTestDir();
    const fs::path file = dir / "config.ini";
    putFile(file, "[dsxx]\r\nmei=45\r\n");
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string stale = ".config.ini.tmp-" + std::to_string(ended) + "-3";
    const std::string live = ".config.ini.tmp-" + std::to_string(::getppid()) + "-0";
    const std::string own = ".config.ini.tmp-" + std::to_string(::getpid()) + "-999";
    for (const std::string& name : {stale, live, own, std::string(".config.ini.tmp-x-1"),
                                    std::string(".other.ini.tmp-") + std::to_string(ended) + "-0"})
        putFile(dir / name, "half");

    ASSERT_TRUE(profileWrite(file, "dsxx", "mei", std::string("30")));
    EXPECT_FALSE(fs::exists(dir / stale));
    EXPECT_TRUE(fs::exists(dir / live));
    EXPECT_TRUE(fs::exists(dir / own));
    EXPECT_TRUE(fs::exists(dir / ".config.ini.tmp-x-1"));
    EXPECT_TRUE(fs::exists(dir / (".other.ini.tmp-" + std::to_string(ended) + "-0")));
    EXPECT_EQ(fileBytes(file), "[dsxx]\r\nmei=30\r\n");
}

TEST(ProfilePortable, NewFilesTakeTheUmaskAndOldFilesKeepTheirMode) {
    const fs::path dir = freshTestDir();
    const mode_t saved = ::umask(077);
    ASSERT_TRUE(profileWrite(dir / "private.ini", "s", "k", std::string("v")));
    ::umask(022);
    ASSERT_TRUE(profileWrite(dir / "plain.ini", "s", "k", std::string("v")));
    putFile(dir / "shared.ini", "[s]\r\nk=v\r\n");
    ::chmod((dir / "shared.ini").c_str(), 0664);
    ASSERT_TRUE(profileWrite(dir / "shared.ini", "s", "k", std::string("w")));
    ::umask(saved);

    const auto mode = [&](const char* name) {
        struct stat st {};
        ::stat((dir / name).c_str(), &st);
        return st.st_mode & 07777;
    };
    EXPECT_EQ(mode("private.ini"), 0600u);
    EXPECT_EQ(mode("plain.ini"), 0644u);
    EXPECT_EQ(mode("shared.ini"), 0664u); // the group's write, which the umask would take
}

TEST(SettingsProblem, MessagesNameTheFileInPrintableText) {
    EXPECT_EQ(printableText("plain 中文 text"), "plain 中文 text");
    EXPECT_EQ(printableText(std::string("a\0b\nc\x7f", 6)), "a\\x00b\\x0Ac\\x7F");
    // Not UTF-8: a lone continuation byte, a cut sequence, an overlong slash, a surrogate.
    EXPECT_EQ(printableText("\x80|\xE4\xB8|\xC0\xAF|\xED\xA0\x80"),
              "\\x80|\\xE4\\xB8|\\xC0\\xAF|\\xED\\xA0\\x80");
    EXPECT_EQ(printableText("\xC2\x85"), "\\xC2\\x85"); // a C1 control
    // Direction overrides and isolates would show "\x01" U+202E "LIAF" as "FAIL".
    EXPECT_EQ(printableText("\x01\u202ELIAF"), "\\x01\\xE2\\x80\\xAELIAF");
    EXPECT_EQ(printableText("a\u202Ab\u2069c\u200Fd"),
              "a\\xE2\\x80\\xAAb\\xE2\\x81\\xA9c\\xE2\\x80\\x8Fd");

    SettingsProblem problem{SettingsProblem::Kind::Write, fs::path("/x/\xff\n/config.ini"),
                            "it is a pipe, not a file"};
    EXPECT_EQ(settingsProblemMessage(problem),
              "The settings file /x/\\xFF\\x0A/config.ini cannot be written: it is a pipe, not "
              "a file. Changed settings will not be kept after the program ends.");
}
