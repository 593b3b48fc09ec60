// Requests from outside: what the command line and the running copy accept, and what each
// one does to the model and answers.
#include "core/remote/remote_control.h"
#include "core/remote/remote_socket.h"
#include "model_fixture.h"
#include "support/env_var.h"
#include "support/rest_fakes.h"
#include "support/sim_clock.h"

#include <sys/stat.h>

namespace ocuvell::test {
namespace {

class RecordingFront : public RemoteFront {
  public:
    int shown = 0, quits = 0;
    void showWindow() override { ++shown; }
    void quit() override { ++quits; }
};

class RemoteControlTest : public ColourModelTest {
  protected:
    testing::SimClock clock{9, 10, 30};
    testing::FakePanel panel;
    testing::RecordingWindows windows;
    RecordingFront front;
    std::unique_ptr<Model> model;
    std::unique_ptr<RemoteControl> control;

    void build(DisplayTrouble trouble = DisplayTrouble::NoTrouble) {
        model = std::make_unique<Model>(makeMemoryDisplay(trouble), clock, *settings);
        model->attach(view, {.panel = &panel, .tip = &windows, .restScreen = &windows});
        model->colour().captureDisplay();
        model->loadRestSettings();
        model->schedule().rescheduleFromNow();
        control = std::make_unique<RemoteControl>(*model, front);
    }
    RemoteReply ask(const std::string& line) {
        const std::optional<RemoteReply> reply = control->answerLine(line);
        EXPECT_TRUE(reply) << line;
        return reply.value_or(RemoteReply{-1, {}});
    }
};

TEST(RemoteRequest, BadUsageAndMalformedLinesAreTold) {
    EXPECT_TRUE(isRemoteCommand("brightness") && isRemoteCommand("quit"));
    EXPECT_FALSE(isRemoteCommand("--help") || isRemoteCommand("bright"));
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"brightness"},
                                               {"red", "5", "6"},
                                               {"blue", "+"},
                                               {"green", "1.5"},
                                               {"contrast", "9999999"},
                                               {"eye", "maybe"},
                                               {"reminders", "toggle"},
                                               {"rest"},
                                               {"rest", "later", "0"},
                                               {"rest", "later", "121"},
                                               {"status", "--xml"},
                                               {"quit", "now"}}) {
        const ParsedRequest p = parseRemoteRequest(bad);
        EXPECT_FALSE(p.request) << remoteLine(bad);
        EXPECT_FALSE(p.problem.empty() || p.malformed) << remoteLine(bad);
    }
    for (const char* line : {"", "status ", " status", "status  --json", "status\t",
                             "brightness \xe4\xba\xae", "status\r"})
        EXPECT_TRUE(parseRemoteLine(line).malformed) << line;
    EXPECT_TRUE(parseRemoteLine(std::string(kMaxRequestBytes + 1, 'a')).malformed);
    const ParsedRequest down = parseRemoteLine("brightness -5");
    ASSERT_TRUE(down.request);
    EXPECT_TRUE(down.request->relative);
    EXPECT_EQ(down.request->amount, -5);
    const ParsedRequest below = parseRemoteLine("red =-7");
    ASSERT_TRUE(below.request);
    EXPECT_FALSE(below.request->relative);
    EXPECT_EQ(below.request->amount, -7);
}

// Each operation goes through the model as the window's would, and the answers carry the
// exit statuses the command line ends with.
TEST_F(RemoteControlTest, OperationsMoveTheModelAndAnswer) {
    writeConfig("[eye]\nliangdu=-20\nduibidu=80\n");
    build();
    ColourModel& colour = model->colour();

    // Levels: a value within the slider's range, steps that stop at its ends.
    EXPECT_EQ(ask("brightness 30").text, "brightness 30\n");
    EXPECT_EQ(ask("brightness +15").text, "brightness 45\n");
    EXPECT_EQ(ask("brightness +15").text, "brightness 50\n");
    EXPECT_EQ(ask("brightness =-10").text, "brightness -10\n");
    EXPECT_EQ(ask("contrast -500").text, "contrast 1\n");
    EXPECT_EQ(ask("contrast 0").status, RemoteReply::kBadUsage);
    EXPECT_EQ(colour.level(Level::Contrast), 1);
    EXPECT_EQ(ask("blue -3").text, "blue -3\n");
    // The window's slider follows as it does for the window's own moves.
    EXPECT_EQ(view.notices.back(), (Notice{Level::Blue, -3, {}}));
    EXPECT_EQ(colour.engine().shown(), colour.engine().newramp());
    // Nothing is stored before the window's OK or close, as with a slider.
    EXPECT_EQ(stored("eye", "liangdu"), "-20");

    // Eye protection: on applies the stored levels; asked again it keeps what moved since.
    EXPECT_EQ(ask("eye toggle").text, "eye protection on\n");
    EXPECT_EQ(colour.level(Level::Brightness), -20);
    EXPECT_EQ(colour.level(Level::Contrast), 80);
    ask("green +4");
    EXPECT_EQ(ask("eye on").status, RemoteReply::kDone);
    EXPECT_EQ(colour.level(Level::Green), 4);
    EXPECT_EQ(ask("eye toggle").text, "eye protection off\n");
    EXPECT_FALSE(colour.eyeModeIsOn());
    EXPECT_EQ(colour.level(Level::Brightness), 0);

    // Rests: later by the stored postpone or by the minutes asked; now opens the rest
    // screen; nothing of the schedule while reminders are off.
    EXPECT_EQ(model->schedule().nextRestTime(), "09:56");
    EXPECT_EQ(ask("rest later").text, "next rest 10:06\n");
    EXPECT_EQ(ask("rest later 25").text, "next rest 10:31\n");
    EXPECT_EQ(ask("rest now").status, RemoteReply::kDone);
    EXPECT_TRUE(windows.restShown);
    EXPECT_EQ(model->schedule().stage(), RestSchedule::Stage::Resting);
    EXPECT_EQ(ask("reminders off").text, "reminders off\n");
    EXPECT_FALSE(panel.remindersShownOn);
    EXPECT_EQ(ask("rest now").status, RemoteReply::kRefused);
    EXPECT_EQ(ask("rest later 5").text, "reminders are off\n");
    ask("reminders on");
    EXPECT_TRUE(model->schedule().remindersOn());

    // Status, as lines and as JSON.
    const std::string text = ask("status").text;
    for (const char* line :
         {"brightness: 0\n", "contrast: 100\n", "eye protection: off\n", "reminders: on\n",
          "interval: 45 min\n", "rest length: 5 min\n", "stage: resting\n", "night colour: off\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_EQ(text.find("display trouble"), std::string::npos);
    const std::string json = ask("status --json").text;
    EXPECT_EQ(json.front(), '{');
    for (const char* field :
         {"\"brightness\": 0,", "\"eye_protection\": false", "\"stage\": \"resting\"",
          "\"night_colour\": false", "\"display_trouble\": null"})
        EXPECT_NE(json.find(field), std::string::npos) << field << json;

    // The windows' own: show and quit.
    ask("show");
    ask("quit");
    EXPECT_EQ(front.shown, 1);
    EXPECT_EQ(front.quits, 1);

    // A line of the protocol that makes no request is bad usage; others go unanswered.
    EXPECT_EQ(ask("dance").status, RemoteReply::kBadUsage);
    EXPECT_FALSE(control->answerLine("status\xff"));

    // The wire: the status on the first line, then the text.
    const std::string wire = RemoteControl::wireReply({4, "no\n"});
    EXPECT_EQ(RemoteControl::readWireReply(wire)->text, "no\n");
    EXPECT_FALSE(RemoteControl::readWireReply("x\n"));
}

// Where the colours cannot be changed, the value is kept and the caller hears why.
TEST_F(RemoteControlTest, ADisplayThatCannotBeChangedRefuses) {
    build(DisplayTrouble::NoRandrGamma);
    const RemoteReply reply = ask("red +5");
    EXPECT_EQ(reply.status, RemoteReply::kRefused);
    EXPECT_NE(reply.text.find(troubleWords(DisplayTrouble::NoRandrGamma)), std::string::npos);
    EXPECT_EQ(model->colour().level(Level::Red), 5);
    EXPECT_NE(ask("status").text.find("display trouble: "), std::string::npos);
}

// The socket is made only in a folder of this user's alone.
TEST(RemoteSocket, RefusesARuntimeFolderOthersCanReach) {
    // Short: a socket's path has room for about a hundred bytes.
    char name[] = "/tmp/ocuvell-remote.XXXXXX";
    ASSERT_TRUE(::mkdtemp(name));
    const std::filesystem::path dir = name;
    ::chmod(dir.c_str(), 0755);
    testing::EnvVar runtime("XDG_RUNTIME_DIR", dir.c_str());
    std::string problem;
    EXPECT_FALSE(openRemoteServer([](std::string_view) { return std::nullopt; }, problem));
    EXPECT_NE(problem.find("0700"), std::string::npos) << problem;
    EXPECT_EQ(askRunningCopy("status").result, RemoteExchange::Result::NoRunningCopy);
    ::chmod(dir.c_str(), 0700);
    EXPECT_TRUE(openRemoteServer([](std::string_view) { return std::nullopt; }, problem))
        << problem;
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace ocuvell::test
