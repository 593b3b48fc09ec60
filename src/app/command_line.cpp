#include "app/command_line.h"

#include "core/remote/remote_control.h"
#include "core/remote/remote_socket.h"
#include "core/settings/settings_place.h"
#include "core/settings/settings_problem.h"

#include <cstdio>
#include <string_view>

namespace ocuvell {
namespace {

constexpr const char* kUsage = "Usage: ocuvell [--help | --version | COMMAND [ARGS]]\n";

// The options QApplication takes for itself (it removes them before the program sees the
// rest), and whether each takes a value. A session manager restarts a program with
// -session; the others are for people who know Qt.
struct QtOption {
    std::string_view name;
    bool value;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},    {"session", true},
    {"display", true},         {"style", true},
    {"stylesheet", true},      {"reverse", false},
    {"widgetcount", false},
};

// The option's entry when arg is one of Qt's (-name, --name, -name=value), else nullptr;
// inline says the value came with it.
const QtOption* qtOption(std::string_view arg, bool& inline_) {
    if (arg.size() < 2 || arg[0] != '-')
        return nullptr;
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    const std::size_t equals = arg.find('=');
    inline_ = equals != std::string_view::npos;
    const std::string_view name = arg.substr(0, equals);
    for (const QtOption& o : kQtOptions)
        if (o.name == name && (o.value || !inline_))
            return &o;
    return nullptr;
}

std::string helpText(const CommandLineFacts& facts) {
    const std::string user = printableText((facts.userConfigDir / "config.ini").string());
    std::string where;
    if (facts.installed)
        where = "This copy is installed: its settings are kept in " + user + ".\n";
    else
        where = "Its settings are kept in config.ini beside the program (" +
                printableText(facts.programDir.string()) +
                ") while that folder can be written; after a write there fails, in " + user + ".\n";
    return std::string(kUsage) +
           "Ocuvell is an eye-care utility that lives in the notification area: it sets\n"
           "the screen's brightness, contrast and colour balance, and reminds you to rest.\n" +
           where + remoteCommandsHelp();
}

CommandLineAnswer ended(int status, std::string out, std::string err) {
    CommandLineAnswer answer;
    answer.done = true;
    answer.status = status;
    answer.out = std::move(out);
    answer.err = std::move(err);
    return answer;
}

// The toolkit is never started for this: the socket is plain, and so is the process.
CommandLineAnswer askTheRunningCopy(const std::string& request) {
    const RemoteExchange exchange = askRunningCopy(request);
    std::optional<RemoteReply> reply;
    if (exchange.result == RemoteExchange::Result::Answered)
        reply = RemoteControl::readWireReply(exchange.reply);
    if (!reply)
        return ended(RemoteReply::kNoRunningCopy, {}, "ocuvell: " + exchange.why + "\n");
    if (reply->status == RemoteReply::kDone)
        return ended(reply->status, reply->text, {});
    return ended(reply->status, {}, "ocuvell: " + reply->text);
}

} // namespace

CommandLineAnswer readCommandLine(const std::vector<std::string>& args,
                                  const CommandLineFacts& facts) {
    CommandLineAnswer answer;
    // A command for the running copy: read here, so bad usage needs no running copy.
    if (!args.empty() && isRemoteCommand(args[0])) {
        const ParsedRequest parsed = parseRemoteRequest(args);
        if (!parsed.request)
            return ended(2, {}, "ocuvell: " + printableText(parsed.problem) + "\n" + kUsage);
        answer.done = true;
        answer.request = remoteLine(args);
        return answer;
    }
    bool platformNamed = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--version") {
            answer = ended(0, "Ocuvell " + facts.version + "\n", {});
            return answer;
        }
        if (arg == "--help" || arg == "-h") {
            answer = ended(0, helpText(facts), {});
            return answer;
        }
        if (arg == "--report-shown") {
            answer.firstPaint.shown = true;
            continue;
        }
        if (arg.starts_with("--screenshot=") && arg.size() > 13) {
            answer.firstPaint.picture = arg.substr(13);
            continue;
        }
        bool inlineValue = false;
        const QtOption* qt = qtOption(arg, inlineValue);
        if (qt && qt->value && !inlineValue && i + 1 == args.size())
            qt = nullptr; // its value is missing
        if (!qt && !answer.done) {
            answer =
                ended(2, {}, "ocuvell: unknown argument " + printableText(arg) + "\n" + kUsage);
            continue; // a later --help or --version still answers
        }
        if (qt && qt->name == "platform")
            platformNamed = true;
        if (qt && qt->value && !inlineValue)
            ++i;
    }
    if (answer.done)
        return answer;
    if (!facts.display && !platformNamed)
        answer = ended(1, {},
                       "ocuvell: there is no display to show the program on (neither DISPLAY nor "
                       "WAYLAND_DISPLAY is set).\n");
    return answer;
}

bool answerCommandLine(int argc, char** argv, const char* version, int& status,
                       FirstPaintReport& firstPaint) {
    std::vector<std::string> args(argv + 1, argv + argc);
    CommandLineFacts facts;
    facts.version = version;
    facts.display = sessionHasDisplay();
    // Asked only for --help, so a normal start decides nothing twice.
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            const SettingsPlace place(SettingsFolders::ofThisProgram());
            facts.installed = place.installedCopy();
            facts.programDir = place.folders().program;
            facts.userConfigDir = place.folders().user;
        }
    CommandLineAnswer answer = readCommandLine(args, facts);
    if (!answer.request.empty())
        answer = askTheRunningCopy(answer.request);
    if (!answer.out.empty() || !answer.err.empty())
        printToCallersConsole();
    std::fputs(answer.out.c_str(), stdout);
    std::fputs(answer.err.c_str(), stderr);
    status = answer.status;
    firstPaint = answer.firstPaint;
    return answer.done;
}

} // namespace ocuvell
