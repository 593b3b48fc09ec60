#pragma once
// The program's model: the colour half (levels, eye-protection mode, the engine) and the
// rest schedule, with the settings they are loaded from and saved to. The main window is
// its view: it shows what the model holds and calls one operation per handler.
#include "core/display/display.h"
#include "core/model/colour_model.h"
#include "core/rest/clock.h"
#include "core/rest/rest_schedule.h"

#include <memory>
#include <string>

namespace ocuvell {

// The schedule keeps a reference to its panel for its whole life, and the window that
// is the panel is made after the model it shows: the schedule is given this stand-in,
// which passes everything to the window once one is attached and holds nothing itself.
class PanelRelay : public RestPanel {
  public:
    void attach(RestPanel* panel) { panel_ = panel; }

    std::string text1() const override { return panel_ ? panel_->text1() : std::string(); }
    void setText1(const std::string& s) override {
        if (panel_)
            panel_->setText1(s);
    }
    std::string text2() const override { return panel_ ? panel_->text2() : std::string(); }
    void setText2(const std::string& s) override {
        if (panel_)
            panel_->setText2(s);
    }
    std::string text3() const override { return panel_ ? panel_->text3() : std::string(); }
    void setText3(const std::string& s) override {
        if (panel_)
            panel_->setText3(s);
    }
    void setLabel5(const std::string& s) override {
        if (panel_)
            panel_->setLabel5(s);
    }
    void setDhhour(int index, const std::string& s) override {
        if (panel_)
            panel_->setDhhour(index, s);
    }
    void hidePpset() override {
        if (panel_)
            panel_->hidePpset();
    }
    void setRestHeadingGreen(bool green) override {
        if (panel_)
            panel_->setRestHeadingGreen(green);
    }
    void setEdit1Visible(bool visible) override {
        if (panel_)
            panel_->setEdit1Visible(visible);
    }

  private:
    RestPanel* panel_ = nullptr;
};

class Model {
  public:
    // The settings are read from and saved to place.
    Model(std::unique_ptr<Display> display, Clock& clock, SettingsPlace& place);
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // The window that shows the model; detach before it goes.
    void attach(RestPanel& panel, ColourView& view);
    void detach();

    ColourModel& colour() { return colour_; }
    const ColourModel& colour() const { return colour_; }
    RestSchedule& schedule() { return schedule_; }
    const RestSchedule& schedule() const { return schedule_; }

    // The load step's reads, in the order it makes them. The rest values go into the
    // schedule (and so into the window's boxes); the flags come back as stored text,
    // which the load step keeps in its hidden box as it always did.
    std::string loadRestSettings();
    std::string readEyeFlag() const;
    // The close from the main window: all nine keys, rest first, the eye flag last (it
    // is removed while the eye-protection switch was never used).
    void save() const;

  private:
    PanelRelay relay_;
    SettingsPlace& place_;
    ColourModel colour_;
    RestSchedule schedule_;
};

} // namespace ocuvell
