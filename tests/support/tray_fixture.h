#pragma once
// The tray form's tests: a private program folder and lock folder, a simulated clock, and
// hooks that record what the tray and its main window would do outside the test (open a
// page, warn, end the run).
#include "core/display/backends.h"
#include "core/model/model.h"
#include "core/settings/paths.h"
#include "support/scratch_dir.h"
#include "support/sim_clock.h"
#include "ui/forms/form1.h"
#include "ui/forms/rest_windows.h"
#include "ui/tray/cd.h"

#include <QString>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ocuvell::testing {

class TrayFixture : public ::testing::Test {
  protected:
    // The program's folder, holding config.ini with these bytes; the single-instance lock
    // goes there too.
    void useProgramFolder(const std::string& config) {
        dir_ = freshTestDir("tray");
        ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setProgramDirectoryForTesting(dir_);
        putFile(dir_ / "config.ini", config);
    }
    void TearDown() override {
        setProgramDirectoryForTesting({});
        std::filesystem::remove_all(dir_);
    }

    cd::Hooks hooks(bool trayAvailable = true) {
        cd::Hooks h;
        h.makeForm1 = [this] {
            ++formsMade_;
            Form1Hooks f;
            f.warn = [](const QString&, const QString&) {};
            f.openUrl = [](const QUrl&) {};
            f.quit = [this] { ++formQuits_; };
            models_.push_back(std::make_unique<Model>(makeMemoryDisplay(), clock_));
            return std::make_unique<Form1>(*models_.back(), f);
        };
        h.openUrl = [this](const QUrl& url) { opened_.push_back(url.toString()); };
        h.quit = [this] { ++quits_; };
        h.trayAvailable = [trayAvailable] { return trayAvailable; };
        h.warn = [this](const QString& title, const QString& text) {
            warnings_.push_back(title + ": " + text);
        };
        return h;
    }

    // The popup and the rest screen attached to the main window's schedule, as the program
    // does once the tray has loaded; to go before the tray.
    static std::unique_ptr<RestForms> attachRestForms(Form1& form1) {
        return std::make_unique<RestForms>(form1.schedule());
    }

    std::filesystem::path dir_;
    SimClock clock_{10, 0};
    // Every model made, kept past the windows (and trays) that show them.
    std::vector<std::unique_ptr<Model>> models_;
    int formsMade_ = 0;
    int quits_ = 0;
    int formQuits_ = 0;
    std::vector<QString> warnings_;
    std::vector<QString> opened_;
};

} // namespace ocuvell::testing
