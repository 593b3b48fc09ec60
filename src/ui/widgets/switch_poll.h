#pragma once
// The hover poll the switches of one top-level window share, and where it reads the pointer.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

class QWidget;
class QWindow;

namespace ocuvell {

class PointerProbe;
class SafeSwitch;

// Where a poll reads the pointer (screen pixels); a window's own stands in for the real one.
class CursorSource {
  public:
    virtual ~CursorSource() = default;
    virtual QPoint globalPos() const = 0;
};

// All switches of one top-level window share one 50 ms poll, and it runs only while the
// pointer is over one of them: a pointer that moves or enters the window over a switch's
// hover rectangle starts it, and a tick that leaves no enabled switch hovered stops it. In
// between it answers as a poll that never stops would, so hover looks the same, while a
// program whose pointer is elsewhere does not wake for it at all. The poll is a child of
// that window and goes with it.
class SwitchPoll : public QObject {
    Q_OBJECT
  public:
    static SwitchPoll* of(const QWidget* window);
    static SwitchPoll& ensure(QWidget* window);
    ~SwitchPoll() override;

    // The pointer read from here instead of the window system (nullptr: the real one). The
    // source stays its owner's and must outlive the window's polls.
    void setCursorSource(CursorSource* source) { source_ = source; }
    // The pointer for a poll, read when the poll runs.
    QPoint cursorPos();

    // The pointer reaches the window through its native window's events, whatever child is
    // under it and whether or not anyone tracks the mouse.
    void watch(QWindow* native);
    // A switch shown, enabled or pressed gets one poll soon, which stops again at once when
    // the pointer is elsewhere: a switch may appear or wake under a pointer that rests.
    void add(SafeSwitch* s);
    void wake();
    void remove(SafeSwitch* s);
    bool running() const { return timer_.isActive(); }
    // One poll of every switch of the window, as the timer runs it.
    void tick();

  protected:
    bool eventFilter(QObject*, QEvent* e) override;

  private:
    explicit SwitchPoll(QWidget* window);
    void compact();

    QTimer timer_;
    std::vector<SafeSwitch*> members_;
    bool ticking_ = false;
    CursorSource* source_ = nullptr;
    std::unique_ptr<PointerProbe> probe_;
    bool probeTried_ = false;
    QPointer<QWindow> watched_;
};

} // namespace ocuvell
