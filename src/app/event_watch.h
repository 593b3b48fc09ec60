#pragma once
// The one place the event loop watches descriptors: the display's connection (a Wayland
// compositor), the full-screen source's, the wall clock's timer file and the command
// line's socket (a pipe's event on Windows). Each is read when it has something and never waited
// for; what it read is handed to the given function. A watch goes before the file it watches: the
// program makes this after the sources, so it goes first (and a display's watcher with it).
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace ocuvell {

class DisplayEvents;

class EventWatch {
  public:
    EventWatch();
    ~EventWatch();
    EventWatch(const EventWatch&) = delete;
    EventWatch& operator=(const EventWatch&) = delete;

    // Runs ready from the event loop whenever fd can be read; nothing for fd < 0.
    void watch(int fd, std::function<void()> ready);
    // Windows: runs ready whenever the event handle is signalled (the command line's pipe);
    // nothing elsewhere, and nothing for a null handle.
    void watchHandle(void* handle, std::function<void()> ready);
    // A display with news of its own: read whenever its connection has something, written
    // to while it has something waiting; changed runs after each look, once its number
    // and wishes are followed (a closed connection is no longer watched).
    void watchDisplay(DisplayEvents& events, std::function<void()> changed);
    // Every watch ends: the program's end, before the files close.
    void stopWatching();

  private:
    QObject owner_; // the notifiers are its children
    std::vector<DisplayEvents*> displays_;
};

} // namespace ocuvell
