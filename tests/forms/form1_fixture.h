#pragma once
// A main window on a private program directory, an in-memory display, a clock moved by
// hand and hooks that record instead of opening boxes, browsers or ending the run.
#include "core/display/backends.h"
#include "core/settings/ini.h"
#include "support/sim_clock.h"
#include "ui/forms/form1.h"
#include "ui/forms/schedule_timer.h"

#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ocuvell::test {

class Form1Test : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    testing::SimClock clock{12, 0};
    std::vector<std::pair<QString, QString>> warnings;
    std::vector<QUrl> opened;
    int trayRemoved = 0;
    int quits = 0;
    // The model outlives the window that shows it.
    std::unique_ptr<SettingsPlace> settings;
    std::unique_ptr<Model> model;
    std::unique_ptr<Form1> form;
    std::unique_ptr<ScheduleTimer> ticks; // the schedule's clock, as the program has it

    void SetUp() override {
        const char* tmp = std::getenv("OCUVELL_TEST_TMP");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::path(tmp ? tmp : "/tmp") / "form1" /
              (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        settings = std::make_unique<SettingsPlace>(SettingsFolders{dir, dir / "user"});
    }
    void TearDown() override {
        ticks.reset();
        form.reset();
        model.reset();
    }
    // A key as stored in the settings file.
    std::string stored(const std::string& section, const std::string& key) {
        return readIniValue(*settings, section, key);
    }

    void writeConfig(const std::string& text) { std::ofstream(dir / "config.ini") << text; }
    std::string readConfig() const {
        std::ifstream in(dir / "config.ini");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // A ramp file written as the restore command reads it: entry-major, signed.
    void writeMonitor(const GammaRamp& ramp) {
        std::ofstream out(dir / "monitor.txt");
        for (int j = 0; j < 256; ++j)
            for (int c = 0; c < 3; ++c)
                out << static_cast<std::int16_t>(ramp.at(c, j)) << "\r\n";
    }

    Form1Hooks hooks() {
        Form1Hooks h;
        h.warn = [this](const QString& t, const QString& m) { warnings.emplace_back(t, m); };
        h.openUrl = [this](const QUrl& u) { opened.push_back(u); };
        h.removeTrayIcon = [this] { ++trayRemoved; };
        h.quit = [this] { ++quits; };
        h.stopClock = [this] { ticks->stop(); };
        return h;
    }
    // A new window on a display that shows start (the identity when not given).
    Form1& make(const GammaRamp* start = nullptr) {
        auto display = makeMemoryDisplay();
        if (start)
            display->writeRamp(*start);
        return makeOn(std::move(display));
    }
    Form1& makeOn(std::unique_ptr<Display> display) {
        ticks.reset();
        form.reset();
        model = std::make_unique<Model>(std::move(display), clock, *settings);
        form = std::make_unique<Form1>(*model, hooks());
        ticks = std::make_unique<ScheduleTimer>(model->schedule());
        return *form;
    }
    Form1& start(const GammaRamp* startRamp = nullptr) {
        make(startRamp).load();
        return *form;
    }
    GammaRamp shown() {
        GammaRamp r;
        model->colour().engine().display().readRamp(r);
        return r;
    }
};

inline GammaRamp halfRamp() {
    GammaRamp r = GammaRamp::identity();
    for (auto& e : r.entries)
        e /= 2;
    return r;
}

} // namespace ocuvell::test
