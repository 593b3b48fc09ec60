#pragma once
// Where the mouse pointer is, for the switches' hover poll.
#include <memory>

namespace ocuvell {

class PointerProbe {
  public:
    virtual ~PointerProbe() = default;
    // The pointer in screen pixels; false when the window system does not answer.
    virtual bool position(int& x, int& y) = 0;
};

// An X11 probe on a connection of its own: each call is one QueryPointer round trip
// (about 20 microseconds of processor time with a local server). The toolkit's own
// connection is left alone: a reply there goes through its event reader thread and wakes
// the program more than once per poll. Nothing arrives on this connection unasked, so
// between polls it never wakes the program. nullptr without X11.
std::unique_ptr<PointerProbe> openX11PointerProbe();

} // namespace ocuvell
