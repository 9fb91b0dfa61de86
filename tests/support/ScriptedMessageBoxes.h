#pragma once
// Message boxes that tests answer: each shown box is recorded, and the next queued answer is
// returned (OK, or No for a Yes/No box, when the queue is empty).

#include "ui/MessageBoxes.h"

#include <cstring>
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

// Failed comparisons show the box itself.
inline char* toString(const ShownBox& box) {
    const std::string text = box.title + " [" + std::to_string(box.style) + "]: " + box.text;
    char* out = new char[text.size() + 1];
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

class ScriptedMessageBoxes : public ui::MessageBoxes {
public:
    int show(const std::string& text, const std::string& title, int style) override {
        shown.push_back({text, title, style});
        if (onShow) {
            onShow(shown.back());
        }
        if (!answers.empty()) {
            int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (style & 7) == ui::kMbYesNo ? ui::kIdNo : ui::kIdOk;
    }

    std::deque<int> answers;
    std::vector<ShownBox> shown;
    std::function<void(const ShownBox&)> onShow;
};

} // namespace tolvane::test
