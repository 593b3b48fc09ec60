#pragma once
// The tray form's tests: the program as main builds it (settings place, model, windows,
// warning boxes, tray) over a private program folder, a simulated clock, and hooks that
// record what would leave the test (open a page, warn, end the run).
#include "core/display/backends.h"
#include "core/model/model.h"
#include "core/settings/settings_place.h"
#include "support/scratch_dir.h"
#include "support/sim_clock.h"
#include "ui/forms/form1.h"
#include "ui/forms/notices.h"
#include "ui/forms/rest_windows.h"
#include "ui/tray/cd.h"

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

    // What main builds, in its order, with the boxes recorded instead of shown.
    struct Program {
        Program(TrayFixture& f, cd::Hooks hooks)
            : notices([&f](const QString& title, const QString& text, bool) {
                  f.warnings_.push_back(title + ": " + text);
                  if (f.whileBoxOpen_)
                      f.whileBoxOpen_();
              }),
              place({f.dir_, f.dir_ / "user"},
                    [this](const SettingsProblem& p) { notices.settingsProblem(p); }),
              model(makeMemoryDisplay(), f.clock_, place), form1(model, formHooks(f)),
              restForms(model.schedule()), tray(form1, std::move(hooks)) {
            notices.setWindow(&form1);
        }
        Form1Hooks formHooks(TrayFixture& f) {
            Form1Hooks h;
            h.warn = [this](const QString& title, const QString& text) {
                notices.tell(title, text);
            };
            h.openUrl = [](const QUrl&) {};
            h.quit = [&f] { ++f.formQuits_; };
            return h;
        }
        Notices notices;
        SettingsPlace place;
        Model model;
        Form1 form1;
        RestForms restForms;
        cd tray;
    };

    // Builds the program and loads the tray form, as main does; the boxes that waited for
    // the program to be wired come from the event loop.
    cd& load(cd::Hooks h) {
        program_ = std::make_unique<Program>(*this, std::move(h));
        program_->tray.load();
        program_->notices.ready();
        return program_->tray;
    }
    // The same, and the event loop run until the icon, which waits for the main window's
    // first frame, is there.
    cd& start(cd::Hooks h) {
        load(std::move(h));
        for (QDeadlineTimer icon(5000); !program_->tray.trayIcon() && !icon.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return program_->tray;
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
