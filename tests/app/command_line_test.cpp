// The command line is answered before the toolkit starts: the help, the version, an
// option the program does not know, and a start with no display.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace ocuvell {
namespace {

TEST(CommandLine, AnswersRefusesOrStarts) {
    CommandLineFacts facts;
    facts.version = "1.0";
    facts.programDir = "/opt/ocuvell/bin";
    facts.userConfigDir = "/home/u/.config/Ocuvell";
    const auto read = [&facts](std::vector<std::string> args) {
        return readCommandLine(args, facts);
    };

    // The program starts with nothing, or with Qt's own options and their values.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"-session", "10d2f"}, {"--platform", "xcb"}, {"-style=fusion", "-reverse"}}) {
        const CommandLineAnswer a = read(args);
        EXPECT_FALSE(a.done) << (args.empty() ? "" : args[0]);
        EXPECT_TRUE(a.out.empty() && a.err.empty());
    }

    // The run script's and the benchmarks' report of the first frame starts the program;
    // a screenshot without a path is no option.
    const CommandLineAnswer report = read({"--report-shown", "--screenshot=/tmp/first.png"});
    EXPECT_FALSE(report.done);
    EXPECT_TRUE(report.firstPaint.shown);
    EXPECT_EQ(report.firstPaint.picture, "/tmp/first.png");
    EXPECT_FALSE(read({}).firstPaint.shown);
    EXPECT_EQ(read({"--screenshot="}).status, 2);

    const CommandLineAnswer version = read({"--version"});
    EXPECT_TRUE(version.done);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Ocuvell 1.0\n");

    // The help says where this copy's settings are.
    CommandLineAnswer help = read({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: ocuvell [--help | --version | COMMAND [ARGS]]\n", 0), 0u)
        << help.out;
    EXPECT_NE(help.out.find("beside the program (/opt/ocuvell/bin) while that folder can be "
                            "written; after a write there fails, in "
                            "/home/u/.config/Ocuvell/config.ini."),
              std::string::npos)
        << help.out;
    facts.installed = true;
    help = read({"-h"});
    EXPECT_NE(help.out.find("This copy is installed: its settings are kept in "
                            "/home/u/.config/Ocuvell/config.ini.\n"),
              std::string::npos)
        << help.out;
    EXPECT_EQ(help.out.find("/opt/ocuvell"), std::string::npos);

    // Anything else ends with a short usage line on stderr and status 2, even with no
    // display; a --help after it still helps.
    facts.display = false;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--verbose"}, {"-x"}, {"file.txt"}, {"-session"}, {"-reverse=1"}, {"--helpme"}}) {
        const CommandLineAnswer a = read(args);
        EXPECT_TRUE(a.done);
        EXPECT_EQ(a.status, 2) << args[0];
        EXPECT_TRUE(a.out.empty());
        EXPECT_EQ(a.err, "ocuvell: unknown argument " + args[0] +
                             "\nUsage: ocuvell [--help | --version | COMMAND [ARGS]]\n");
    }
    EXPECT_EQ(read({"--bad\x1b[2J"}).err.find('\x1b'), std::string::npos);
    EXPECT_EQ(read({"--bad", "--help"}).status, 0);

    // No display: one line, status 1, unless a Qt platform is named.
    const CommandLineAnswer none = read({});
    EXPECT_TRUE(none.done);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "ocuvell: there is no display to show the program on (neither DISPLAY "
                        "nor WAYLAND_DISPLAY is set).\n");
    EXPECT_FALSE(read({"-platform", "offscreen"}).done);
    EXPECT_EQ(read({"--version"}).status, 0);
}

} // namespace
} // namespace ocuvell
