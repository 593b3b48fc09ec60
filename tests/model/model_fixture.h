#pragma once
// The model on a private program directory and an in-memory display that counts what it
// is given, with a view that records what the model tells it.
#include "core/display/backends.h"
#include "core/model/model.h"
#include "core/settings/ini.h"
#include "support/scratch_dir.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ocuvell::test {

// The in-memory display, counting the ramps written to it; it refuses them while
// *refusing is set.
class CountingDisplay : public Display {
  public:
    explicit CountingDisplay(int* writes, const bool* refusing = nullptr)
        : inner_(makeMemoryDisplay()), writes_(writes), refusing_(refusing) {}
    bool readRamp(GammaRamp& out) override { return inner_->readRamp(out); }
    bool writeRamp(const GammaRamp& ramp) override {
        ++*writes_;
        return !(refusing_ && *refusing_) && inner_->writeRamp(ramp);
    }
    std::string name() const override { return "counting"; }

  private:
    std::unique_ptr<Display> inner_;
    int* writes_;
    const bool* refusing_;
};

struct Notice {
    Level level;
    int value;
    GammaRamp shownThen; // what the display showed when the view was told
    bool operator==(const Notice& o) const { return level == o.level && value == o.value; }
};

class RecordingView : public ColourView {
  public:
    std::vector<Notice> notices;
    std::vector<std::pair<std::string, std::string>> warnings;
    std::function<void()> onWarn;
    Display* display = nullptr;
    int troubleChanges = 0;

    void levelChanged(Level level, int value) override {
        GammaRamp r{};
        if (display)
            display->readRamp(r);
        notices.push_back({level, value, r});
    }
    void warn(const std::string& title, const std::string& text) override {
        warnings.emplace_back(title, text);
        if (onWarn)
            onWarn();
    }
    void troubleChanged() override { ++troubleChanges; }
};

class ColourModelTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    int writes = 0;
    bool refusing = false;
    RecordingView view;
    std::unique_ptr<SettingsPlace> settings;
    std::unique_ptr<ColourModel> colour;

    void SetUp() override {
        dir = testing::freshTestDir("model");
        settings = std::make_unique<SettingsPlace>(SettingsFolders{dir, dir / "user"});
    }
    // A key as stored in the settings file.
    std::string stored(const std::string& section, const std::string& key) {
        return readIniValue(*settings, section, key);
    }

    // A colour model on a display that shows start, loaded as at start-up.
    ColourModel& start(const GammaRamp& startRamp = GammaRamp::identity()) {
        auto display = std::make_unique<CountingDisplay>(&writes, &refusing);
        display->writeRamp(startRamp);
        colour = std::make_unique<ColourModel>(std::move(display), *settings);
        view.display = &colour->engine().display();
        colour->setView(&view);
        colour->captureDisplay();
        writes = 0;
        return *colour;
    }
    GammaRamp shown() {
        GammaRamp r{};
        colour->engine().display().readRamp(r);
        return r;
    }
    void writeConfig(const std::string& text) { testing::putFile(dir / "config.ini", text); }
    // A ramp file written as the restore command reads it: entry-major, signed.
    void writeMonitor(const GammaRamp& ramp) {
        std::string text;
        for (int j = 0; j < 256; ++j)
            for (int c = 0; c < 3; ++c)
                text += std::to_string(static_cast<std::int16_t>(ramp.at(c, j))) + "\r\n";
        testing::putFile(dir / "monitor.txt", text);
    }
};

inline GammaRamp halfRamp() {
    GammaRamp r = GammaRamp::identity();
    for (auto& e : r.entries)
        e /= 2;
    return r;
}

// What the engine makes of a base with one kind of adjustment.
template <class Adjust> GammaRamp built(const GammaRamp& base, Adjust adjust) {
    auto display = makeMemoryDisplay();
    display->writeRamp(base);
    GammaEngine e(std::move(display));
    e.capture();
    adjust(e);
    return e.newramp();
}
inline GammaRamp colourRamp(const GammaRamp& base, int r, int g, int b) {
    return built(base, [=](GammaEngine& e) { e.colour(r, g, b); });
}
inline GammaRamp brightnessRamp(const GammaRamp& base, int level) {
    return built(base, [=](GammaEngine& e) { e.rampall(level); });
}
inline GammaRamp contrastRamp(const GammaRamp& base, int percent) {
    return built(base, [=](GammaEngine& e) { e.contrast(percent); });
}

} // namespace ocuvell::test
