#pragma once
// The tip popup (Form2) and the rest screen (Form3) as the schedule's tip and rest-screen
// views. Each form is created on first use; a request to an unloaded form loads it
// without showing it; removing it deletes it and the next use creates it afresh. The
// pair attaches itself to the schedule when made and detaches when it goes.
#include "core/rest/rest_schedule.h"

namespace ocuvell {

class Form2;
class Form3;

class RestForms : public TipView, public RestScreenView {
  public:
    explicit RestForms(RestSchedule& schedule);
    ~RestForms() override;
    RestForms(const RestForms&) = delete;
    RestForms& operator=(const RestForms&) = delete;

    Form2* tip();  // loads the popup if needed
    Form3* rest(); // loads the rest screen if needed
    Form2* loadedTip() const { return form2_; }
    Form3* loadedRest() const { return form3_; }

    // TipView: Form2, its caption Label1 and its progress control tippro.
    void showTip(const std::string& restLength) override;
    void startProgress(int total) override;
    void showProgress(int done) override;
    void removeTip() override;
    // RestScreenView: Form3 and its countdown label Label1.
    void showRestScreen() override;
    void showRemaining(int hours, int minutes, int seconds) override;
    void removeRestScreen() override;

  private:
    RestSchedule& schedule_;
    Form2* form2_ = nullptr;
    Form3* form3_ = nullptr;
};

} // namespace ocuvell
