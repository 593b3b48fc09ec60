#pragma once
// A display with news of its own (a Wayland compositor) is read from the event loop
// whenever its connection has something, and written to when it can take what waits;
// never waited for. The colour model hears of each change, and its view with it.
#include "core/model/model.h"

#include <QSocketNotifier>
#include <memory>

namespace ocuvell {

class DisplayNews {
  public:
    // Nothing to watch for a display without a connection of its own.
    explicit DisplayNews(Model& model);
    ~DisplayNews();
    DisplayNews(const DisplayNews&) = delete;
    DisplayNews& operator=(const DisplayNews&) = delete;

  private:
    DisplayEvents* events_ = nullptr;
    std::unique_ptr<QSocketNotifier> reading_, writing_;
};

} // namespace ocuvell
