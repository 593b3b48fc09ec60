#pragma once
// Form1: the main window, the view of the program's model (the colour levels and
// eye-protection mode, the rest schedule). It shows them on a caption-less window with a
// home-made title strip, a main page and a settings overlay with a colour and a rest
// page; each handler calls one operation of the model.
#include "core/model/model.h"

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
    QWidget* eyeset() { return overlay(eyeset_); }
    QWidget* xxset() { return overlay(xxset_); }
    QWidget* hsset() { return overlay(hsset_); }
    QWidget* gjset() { return overlay(gjset_); }
    QLineEdit* Text2() { return overlay(Text2_); }
    QLineEdit* Text3() { return overlay(Text3_); }
    QLabel* colo(int i) { return overlay(colo_[i]); }
    // The colour page's line saying that colours cannot be changed here; hidden when
    // they can.
    QLabel* colourNotice() { return overlay(colourNotice_); }
    QSlider* Slider1() { return overlay(Slider1_); }
    QSlider* Slider2() { return overlay(Slider2_); }
    QSlider* Slider3(int i) { return overlay(Slider3_[i]); }
    QLineEdit* Text4(int i) { return overlay(Text4_[i]); }
    QPushButton* Command3() { return overlay(Command3_); }
    QPushButton* Command4() { return overlay(Command4_); }
    ClickImage* Image7() { return overlay(Image7_); }
    ClickImage* Image8() { return overlay(Image8_); }
    ClickImage* setok(int i) { return overlay(setok_[i]); }
    ClickImage* setno(int i) { return overlay(setno_[i]); }
    bool overlayBuilt() const { return ppset_ != nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // SchedulePanelView: Label5, dhhour, Text2 and Text3, ppset, the rest heading.
    void showNextRest(const std::string& time) override;
    void showRestValues(const std::string& interval, const std::string& restLength) override;
    void showIntervalEntry(const std::string& text) override;
    void showRestLengthEntry(const std::string& text) override;
    void closeSettings() override;
    void showReminders(bool on) override;
    RestViews restViews() { return {.panel = this}; }
    // ColourView: the sliders and their value displays follow the model's levels.
    void levelChanged(Level level, int value) override;
    void warn(const std::string& title, const std::string& text) override;
    void writeTroubleChanged() override { showColourNotice(); }
    void eyeModeShown(bool on) override;

    // Building the window (form1_layout.cpp).
    void buildFrame();
    void buildMainPage();
    void buildOverlay();
    // Builds the overlay if it is not there yet, showing what the model told it meanwhile.
    void ensureOverlay();
    template <typename W> W* overlay(W*& member) {
        ensureOverlay();
        return member;
    }
    // Closes the overlay, built or not.
    void hideOverlay();
    void connectOverlay();
    void buildColourPage();
    void buildRestPage();
    void layOutRestSummary();
    void buildHiddenControls();
    void loadSwitchProperties();
    void connectHandlers();
    void connectColourPage();

    // Colour page (form1_colour_page.cpp).
    void Slider1_Change();
    void Slider2_Change();
    void Slider3_Change(int index);
    void showColourNotice();
    void showNightNotice();

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

    // What the overlay shows while it is not built yet, for the moment it is.
    struct OverlayState {
        bool hidden = false; // it covers the main page until the load step closes it
        std::array<std::optional<int>, 5> levels; // the last the model reported of each
        std::array<bool, 2> valueShown{};         // colo(1), colo(3) show their slider's value
        bool noticeAsked = false;                 // the colour notice was looked at
        std::optional<QString> intervalEntry, restLengthEntry;
    } pending_;

    QWidget* ppset_ = nullptr;
    std::array<QFrame*, 2> Line1_{};
    QWidget* eyeset_ = nullptr;
    QWidget* xxset_ = nullptr;
    QWidget* hsset_ = nullptr;
    QWidget* gjset_ = nullptr;

    std::array<QLabel*, 8> colo_{};
    QLabel* colourNotice_ = nullptr;
    QSlider* Slider1_ = nullptr;
    QSlider* Slider2_ = nullptr;
    std::array<QSlider*, 3> Slider3_{};
    std::array<QLineEdit*, 3> Text4_{};
    QPushButton* Command3_ = nullptr;
    QPushButton* Command4_ = nullptr;
    ClickImage* Image7_ = nullptr;
    ClickImage* Image8_ = nullptr;

    QLabel* xxsentence_ = nullptr;
    QLineEdit* Text2_ = nullptr;
    QLineEdit* Text3_ = nullptr;
    std::array<ClickImage*, 4> setok_{}; // 1..3 used
    std::array<ClickImage*, 4> setno_{};

    QPushButton* okdsxxadd_ = nullptr;
    QPushButton* form2tip_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
};

} // namespace ocuvell
