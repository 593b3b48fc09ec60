#pragma once
// Where the mouse pointer is, for the switches' hover poll, without a blocking round
// trip to the window system on every poll.
#include <memory>

namespace ocuvell {

class PointerProbe {
  public:
    virtual ~PointerProbe() = default;
    // The pointer in screen pixels; false when the window system does not answer.
    virtual bool position(int& x, int& y) = 0;
};

// An X11 probe on a connection of its own. Each call collects the answer to the
// query the previous call sent (it is long in by then) and sends the next: a resting
// poll then only wakes the program for its own timer. An answer older than a few
// polls is not trusted; that call waits for a fresh one. nullptr without X11.
std::unique_ptr<PointerProbe> openX11PointerProbe();

} // namespace ocuvell
