#pragma once
// Gathers the text a fast job writes, so that the output box takes it in a few larger pieces.
// A job can hand over thousands of small pieces a second; adding each to the box on its own
// costs many times more than the text itself (layout, scroll bars, caret, painting). Text that
// comes after a quiet moment is delivered at once; text that follows it closely is held for at
// most one interval, short enough that the output still reads as streaming. Once text has kept
// coming for a while without a quiet moment, nobody reads it line by line any more, and it is
// held for the longer streaming interval.

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tolvane {

class OutputBatcher {
public:
    using Deliver = std::function<void(const QString& text)>;

    struct Pace {
        std::chrono::milliseconds interval;
        std::chrono::milliseconds streamingInterval;
        std::chrono::milliseconds streamingAfter; // of text without a quiet moment
    };

    OutputBatcher(Pace pace, Deliver deliver);
    OutputBatcher(const OutputBatcher&) = delete;
    OutputBatcher& operator=(const OutputBatcher&) = delete;

    void add(const QString& text);
    // Delivers whatever is held, now.
    void flush();
    // Forgets whatever is held.
    void discard();

private:
    Pace pace_;
    Deliver deliver_;
    QString held_;
    QTimer due_;
    QElapsedTimer sinceDelivery_;
    QElapsedTimer sinceQuiet_; // since text came after a quiet moment
};

} // namespace tolvane
