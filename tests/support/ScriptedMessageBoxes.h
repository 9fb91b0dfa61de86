#pragma once
// Message boxes that tests answer: each shown box is recorded, and the next queued answer is
// returned (OK, or No for a Yes/No box, when the queue is empty).

#include "ui/MessageBoxes.h"

#include <QDebug>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::test {

struct ShownBox {
    std::string text;
    std::string title;
    int style = 0;
    bool operator==(const ShownBox&) const = default;
};

// Failed comparisons of shown boxes print them.
inline QDebug operator<<(QDebug debug, const ShownBox& box) {
    return debug.nospace() << box.title.c_str() << " [" << box.style << "]: " << box.text.c_str();
}

struct ScriptedMessageBoxes : ui::MessageBoxes {
    int show(const std::string& text, const std::string& title, int style) override {
        shown.push_back({text, title, style});
        if (onShow) {
            onShow(shown.back());
        }
        if (answers.empty()) {
            return (style & 7) == ui::kMbYesNo ? ui::kIdNo : ui::kIdOk;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<int> answers;
    std::vector<ShownBox> shown;
    std::function<void(const ShownBox&)> onShow;
};

} // namespace tolvane::test
