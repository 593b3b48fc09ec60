#include "controls/pointer_probe.h"

#include <chrono>
#include <cstdlib>
#include <xcb/xcb.h>

namespace ocuvell {
namespace {

using Clock = std::chrono::steady_clock;
// A query sent longer ago than this (the poll rested while its window was hidden)
// tells where the pointer was, not where it is.
constexpr auto kFresh = std::chrono::milliseconds(200);

class XcbPointerProbe : public PointerProbe {
  public:
    XcbPointerProbe(xcb_connection_t* c, xcb_window_t root) : c_(c), root_(root) {}
    ~XcbPointerProbe() override {
        if (pending_)
            xcb_discard_reply(c_, cookie_.sequence);
        xcb_disconnect(c_);
    }

    bool position(int& x, int& y) override {
        const auto now = Clock::now();
        if (pending_ && now - sent_ > kFresh) {
            xcb_discard_reply(c_, cookie_.sequence);
            pending_ = false;
        }
        if (!pending_)
            send(now);
        const bool ok = collect();
        send(now);
        x = x_;
        y = y_;
        return ok;
    }

  private:
    void send(Clock::time_point now) {
        cookie_ = xcb_query_pointer(c_, root_);
        xcb_flush(c_);
        sent_ = now;
        pending_ = true;
    }

    bool collect() {
        pending_ = false;
        xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(c_, cookie_, nullptr);
        if (!r)
            return false;
        x_ = r->root_x;
        y_ = r->root_y;
        std::free(r);
        return true;
    }

    xcb_connection_t* c_;
    xcb_window_t root_;
    xcb_query_pointer_cookie_t cookie_{};
    Clock::time_point sent_{};
    bool pending_ = false;
    int x_ = 0, y_ = 0;
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
