#pragma once
// The popup (Form2) and the rest screen (Form3) behind the schedule's RestWindows.
// Each form is created on first use; a write to a control of an unloaded form loads
// it without showing it; unloading deletes it and the next use creates it afresh.
// The schedule reaches them once attached with RestSchedule::setWindows; they detach
// themselves when they go.
#include "core/rest/rest_schedule.h"

namespace ocuvell {

class Form2;
class Form3;

class RestForms : public RestWindows {
  public:
    explicit RestForms(RestSchedule& schedule);
    ~RestForms() override;
    RestForms(const RestForms&) = delete;
    RestForms& operator=(const RestForms&) = delete;

    Form2* tip();  // loads the popup if needed
    Form3* rest(); // loads the rest screen if needed
    Form2* loadedTip() const { return form2_; }
    Form3* loadedRest() const { return form3_; }

    // RestWindows
    void showTip() override;
    void setTipCaption(const std::string& s) override;
    void setTipproValue(int value) override;
    void setTipproMax(int max) override;
    bool tipLoaded() const override { return form2_ != nullptr; }
    void unloadTip() override;
    void restSnapshot() override;
    void setRestCaption(const std::string& s) override;
    void showRest() override;
    void unloadRest() override;

  private:
    RestSchedule& schedule_;
    Form2* form2_ = nullptr;
    Form3* form3_ = nullptr;
};

} // namespace ocuvell
