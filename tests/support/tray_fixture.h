#pragma once
// The tray form's and the whole program's tests: the Program main runs, over a private
// program folder, a simulated clock, and hooks that record what would leave the test
// (open a page, warn, end the run).
#include "app/program.h"
#include "core/display/backends.h"
#include "core/model/model.h"
#include "support/scratch_dir.h"
#include "support/sim_clock.h"
#include "ui/forms/rest_windows.h"
#include "ui/forms/schedule_timer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ocuvell::testing {

class TrayFixture : public ::testing::Test {
  protected:
    // The program's folder, holding config.ini with these bytes.
    void useProgramFolder(const std::string& config) {
        dir_ = freshTestDir("tray");
        putFile(dir_ / "config.ini", config);
    }
    void TearDown() override {
        program_.reset();
        std::filesystem::remove_all(dir_);
    }

    cd::Hooks hooks(bool trayAvailable = true) {
        cd::Hooks h;
        h.openUrl = [this](const QUrl& url) { opened_.push_back(url.toString()); };
        h.quit = [this] { ++quits_; };
        h.trayAvailable = [trayAvailable] { return trayAvailable; };
        // The desktop's announcements are not listened to: a test calls arrived() itself.
        h.watchTray = [this](std::function<void()> arrived) {
            trayArrived_ = std::move(arrived);
            return std::make_unique<QObject>();
        };
        return h;
    }

    // The program as main builds it, with the boxes recorded instead of shown, the memory
    // display, the simulated clock and nothing that faces outside. The boxes that waited
    // for the program to be wired come from the event loop.
    cd& load(cd::Hooks h) {
        ProgramParts parts;
        parts.display = [] { return makeMemoryDisplay(); };
        parts.clock = &clock_;
        parts.idle = [] { return std::unique_ptr<IdleSource>(); };
        parts.fullscreen = [] { return std::unique_ptr<FullscreenSource>(); };
        parts.settingsFolders = SettingsFolders{dir_, dir_ / "user"};
        parts.stateFolder = std::filesystem::path();
        parts.showBox = [this](const QString& title, const QString& text, bool) {
            warnings_.push_back(title + ": " + text);
            if (whileBoxOpen_)
                whileBoxOpen_();
        };
        parts.windowHooks.openUrl = [](const QUrl&) {};
        parts.windowHooks.quit = [this] { ++formQuits_; };
        parts.trayHooks = std::move(h);
        parts.claimInstance = false;
        parts.outsideServices = false;
        parts.writeRampsInBackground = false; // a step is on the display when it returns
        program_ = std::make_unique<Program>(std::move(parts));
        return program_->tray();
    }
    // The same, and the event loop run until the icon, which waits for the main window's
    // first frame, is there.
    cd& start(cd::Hooks h) {
        load(std::move(h));
        for (QDeadlineTimer icon(5000); !program_->tray().trayIcon() && !icon.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return program_->tray();
    }
    cd& start(bool trayAvailable = true) { return start(hooks(trayAvailable)); }

    std::filesystem::path dir_;
    SimClock clock_{10, 0};
    std::unique_ptr<Program> program_;
    int quits_ = 0;
    int formQuits_ = 0;
    std::vector<QString> warnings_;
    std::function<void()> whileBoxOpen_; // what happens while a box is open
    std::vector<QString> opened_;
    std::function<void()> trayArrived_; // what the tray form hears a notification area by
};

} // namespace ocuvell::testing
