#pragma once
// Form1: the main window, the view of the program's model (the colour levels and
// eye-protection mode, the rest schedule). It shows them on a caption-less window with a
// home-made title strip, a main page and a settings overlay with a colour and a rest
// page; each handler calls one operation of the model. The pages are views of their own
// (colour_page.h, rest_page.h): the window passes on what the model tells it and keeps
// none of the model's values.
#include "core/model/model.h"
#include "ui/forms/move.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QUrl;

namespace ocuvell {

class ClickImage;
class ColourPage;
class RestPage;
class SafeSwitch;

// Effects that leave the window: tests replace them, the program keeps the defaults.
struct Form1Hooks {
    // The restore command's warning (default: a warning message box).
    std::function<void(const QString& title, const QString& text)> warn;
    // The maker's home page on close (default: the desktop's URL handler).
    std::function<void(const QUrl& url)> openUrl;
    // Removes the notification-area icon before the program ends (set by the tray).
    std::function<void()> removeTrayIcon;
    // Ends the program (default: leaves the event loop with code 0).
    std::function<void()> quit;
    // The close's first step once the settings are saved: the program stops the
    // schedule's clock, so nothing runs while the browser starts.
    std::function<void()> stopClock;
};

class Form1 : public QWidget, private SchedulePanelView, private ColourView {
    Q_OBJECT
  public:
    static constexpr const char* kHomePage = "https://www.tevaro.example/";
    static constexpr int kWidth = 641;  // 9615 twips, the title strip's width
    static constexpr int kHeight = 315; // 4725 twips
    // The largest pictures of the first frame: the two monitors.
    static QStringList firstFramePictures();

    // The model outlives the window; the window attaches itself as its view.
    explicit Form1(Model& model, Form1Hooks hooks = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // The load step; runs once, later calls do nothing.
    void load();
    bool loaded() const { return loaded_; }
    // What the tray does to bring the window up: load if needed, show, and centre
    // on the screen the first time.
    void Show();

    // The tray sets this once it owns an icon.
    void setRemoveTrayIcon(std::function<void()> f) { hooks_.removeTrayIcon = std::move(f); }
    // Without a notification area a hidden window could never be shown again: the
    // minus glyph then minimises to the task bar instead of hiding.
    void setHideMinimises(bool minimise) { hideMinimises_ = minimise; }

    Model& model() { return model_; }
    RestSchedule& schedule() { return schedule_; }
    // Night colour moved on, or was switched: the colour page's notice line follows.
    void nightChanged() { showColourNotice(); }
    const std::optional<std::string>& Pdeyerun() const { return model_.colour().eyeModeFlag(); }

    // Handlers, callable as the operations of the same names.
    void edit_Click(int index);
    void Image1_Click();
    void image2_Click();
    void colorload();
    void Command3_Click();
    void Command4_Click();
    void Image7_Click();
    void Image8_Click();
    void SafeSwitch1_Click(bool value);
    void SafeSwitch2_Click(bool value);
    // The rest page and the schedule's own controls; each is one operation of the schedule.
    void Timer1_Timer(); // a tick of the schedule, as its clock gives it
    void dsxxadd();
    void form2tip_Click();
    void okdsxxadd_Click();
    void setok_Click(int index);
    void setno_Click(int index);
    void Command1_Click();
    void Command2_Click();

    // Controls, for the tray and for tests.
    QWidget* pmenu() const { return pmenu_; }
    QLabel* title() const { return title_; }
    ClickImage* Image1() const { return Image1_; }
    ClickImage* image2() const { return image2_; }
    QLabel* Label2(int i) const { return Label2_[i]; }
    ClickImage* edit(int i) const { return edit_[i]; }
    QLabel* Label5() const { return Label5_; }
    QLabel* dhhour(int i) const { return dhhour_[i]; }
    SafeSwitch* SafeSwitch1() const { return SafeSwitch1_; }
    SafeSwitch* SafeSwitch2() const { return SafeSwitch2_; }
    // The settings overlay and its pages are built the first time anything asks for them
    // (an edit icon, or these accessors): the first frame never shows them.
    QWidget* ppset() { return overlay(ppset_); }
    ColourPage* colourPage() { return overlay(colourPage_); }
    RestPage* restPage() { return overlay(restPage_); }
    QWidget* eyeset();
    QWidget* xxset();
    QWidget* hsset() { return overlay(hsset_); }
    QWidget* gjset() { return overlay(gjset_); }
    QLineEdit* Text2();
    QLineEdit* Text3();
    QLabel* colo(int i);
    // The colour page's line saying that colours cannot be changed here; hidden when
    // they can.
    QLabel* colourNotice();
    QSlider* Slider1();
    QSlider* Slider2();
    QSlider* Slider3(int i);
    QLineEdit* Text4(int i);
    QPushButton* Command3();
    QPushButton* Command4();
    ClickImage* Image7();
    ClickImage* Image8();
    ClickImage* setok(int i);
    ClickImage* setno(int i);
    bool overlayBuilt() const { return ppset_ != nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // SchedulePanelView: Label5, dhhour, Text2 and Text3, ppset, the rest heading.
    void showNextRest(int minuteOfDay) override;
    void showRestValues(const std::string& interval, const std::string& restLength) override;
    void showIntervalEntry(const std::string& text) override;
    void showRestLengthEntry(const std::string& text) override;
    void closeSettings() override;
    void showReminders(bool on) override;
    RestViews restViews() { return {.panel = this}; }
    // ColourView: passed on to the colour page once it is built.
    void levelChanged(Level level, int value) override;
    void warn(const std::string& title, const std::string& text) override;
    void troubleChanged() override { showColourNotice(); }
    void eyeModeShown(bool on) override;

    // Building the window (form1_layout.cpp).
    void buildFrame();
    void buildMainPage();
    void buildOverlay();
    // Builds the overlay if it is not there yet; its pages show the model as it is now.
    void ensureOverlay();
    template <typename W> W* overlay(W*& member) {
        ensureOverlay();
        return member;
    }
    // Closes the overlay; one not built yet is built closed after the load step.
    void hideOverlay();
    void connectOverlay();
    void layOutRestSummary();
    void buildHiddenControls();
    void loadSwitchProperties();
    void connectHandlers();
    void showColourNotice();

    void setHeadingGreen(QLabel* heading, bool green);

    Model& model_;
    RestSchedule& schedule_; // the model's
    Form1Hooks hooks_;
    bool loaded_ = false;
    bool shownOnce_ = false;
    bool hideMinimises_ = false;

    QFrame* Shape1_ = nullptr;
    QWidget* pmenu_ = nullptr;
    QLabel* title_ = nullptr;
    ClickImage* Image1_ = nullptr;
    ClickImage* image2_ = nullptr;
    std::array<QLabel*, 4> Label2_{};
    std::array<ClickImage*, 4> edit_{};
    std::array<QLabel*, 4> Label3_{}; // Label3(1): the sentence around dhhour
    QLabel* Image3_ = nullptr;
    QLabel* Picture1_ = nullptr;
    QFrame* Shape2_ = nullptr;
    QLabel* Label4_ = nullptr;
    QLabel* Label5_ = nullptr;
    std::array<QLabel*, 2> dhhour_{};
    SafeSwitch* SafeSwitch1_ = nullptr;
    SafeSwitch* SafeSwitch2_ = nullptr;
    SafeSwitch* SafeSwitch3_ = nullptr;
    SafeSwitch* SafeSwitch4_ = nullptr;
    FormDrag drag_{*this};

    // The settings overlay, built on first use; until the load step it covers the main page.
    QWidget* ppset_ = nullptr;
    std::array<QFrame*, 2> Line1_{};
    ColourPage* colourPage_ = nullptr;
    RestPage* restPage_ = nullptr;
    QWidget* hsset_ = nullptr;
    QWidget* gjset_ = nullptr;
    std::array<ClickImage*, 4> setok_{}; // 2 and 3, on the pages never shown
    std::array<ClickImage*, 4> setno_{};

    QPushButton* okdsxxadd_ = nullptr;
    QPushButton* form2tip_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
};

} // namespace ocuvell
