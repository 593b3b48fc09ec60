#include "core/controls/pointer_probe.h"

#include <cstdlib>
#include <xcb/xcb.h>

namespace ocuvell {
namespace {

// Asks the X server where the pointer is now and waits for the answer: a poll must see
// the pointer where it is when the poll runs, or a click made just after the pointer
// arrives finds the switch still thinking it is elsewhere.
class XcbPointerProbe : public PointerProbe {
  public:
    XcbPointerProbe(xcb_connection_t* c, xcb_window_t root) : c_(c), root_(root) {}
    ~XcbPointerProbe() override { xcb_disconnect(c_); }

    bool position(int& x, int& y) override {
        xcb_query_pointer_reply_t* r =
            xcb_query_pointer_reply(c_, xcb_query_pointer(c_, root_), nullptr);
        if (!r)
            return false;
        x = r->root_x;
        y = r->root_y;
        std::free(r);
        // The server sends some events to every client unasked (a changed keyboard
        // mapping); this connection reads none, so drop what came along.
        while (xcb_generic_event_t* e = xcb_poll_for_queued_event(c_))
            std::free(e);
        return true;
    }

  private:
    xcb_connection_t* c_;
    xcb_window_t root_;
};

} // namespace

std::unique_ptr<PointerProbe> openX11PointerProbe() {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return nullptr;
    }
    return std::make_unique<XcbPointerProbe>(c, it.data->root);
}

} // namespace ocuvell
