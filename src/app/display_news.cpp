#include "app/display_news.h"

namespace ocuvell {

DisplayNews::DisplayNews(Model& model) : events_(model.colour().engine().display().events()) {
    if (!events_ || events_->fd() < 0) {
        events_ = nullptr;
        return;
    }
    reading_ = std::make_unique<QSocketNotifier>(events_->fd(), QSocketNotifier::Read);
    writing_ = std::make_unique<QSocketNotifier>(events_->fd(), QSocketNotifier::Write);
    writing_->setEnabled(events_->wantsWrite());
    DisplayEvents* events = events_;
    QObject::connect(reading_.get(), &QSocketNotifier::activated, [events] { events->dispatch(); });
    QObject::connect(writing_.get(), &QSocketNotifier::activated, [events] { events->dispatch(); });
    events_->setWatcher([this, &model] {
        // A closed connection's number may soon be another file's: stop watching it now.
        const bool open = events_->fd() >= 0;
        reading_->setEnabled(open);
        writing_->setEnabled(open && events_->wantsWrite());
        model.colour().displayChanged();
    });
}

// The display outlives this watch: it must not call back into it.
DisplayNews::~DisplayNews() {
    if (events_)
        events_->setWatcher({});
}

} // namespace ocuvell
