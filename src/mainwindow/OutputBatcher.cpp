#include "mainwindow/OutputBatcher.h"

namespace tolvane {

OutputBatcher::OutputBatcher(std::chrono::milliseconds interval, Deliver deliver)
    : interval_(interval), deliver_(std::move(deliver)) {
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
                                                                   : interval_.count());
    if (quiet >= interval_) {
        flush();
    } else {
        due_.start(interval_ - quiet);
    }
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
