#include "mainwindow/OutputBatcher.h"

namespace tolvane {

OutputBatcher::OutputBatcher(Pace pace, Deliver deliver)
    : pace_(pace), deliver_(std::move(deliver)) {
    due_.setSingleShot(true);
    QObject::connect(&due_, &QTimer::timeout, &due_, [this] { flush(); });
}

void OutputBatcher::add(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    held_ += text;
    if (due_.isActive()) {
        return;
    }
    const std::chrono::milliseconds quiet(sinceDelivery_.isValid() ? sinceDelivery_.elapsed()
                                                                   : pace_.interval.count());
    if (quiet >= pace_.interval) {
        sinceQuiet_.start();
        flush();
        return;
    }
    const bool streaming = std::chrono::milliseconds(sinceQuiet_.elapsed()) >= pace_.streamingAfter;
    const auto wait = streaming ? pace_.streamingInterval : pace_.interval;
    due_.start(quiet < wait ? wait - quiet : std::chrono::milliseconds(0));
}

void OutputBatcher::flush() {
    due_.stop();
    if (held_.isEmpty()) {
        return;
    }
    const QString text = std::exchange(held_, QString());
    sinceDelivery_.start();
    deliver_(text);
}

void OutputBatcher::discard() {
    due_.stop();
    held_.clear();
}

} // namespace tolvane
