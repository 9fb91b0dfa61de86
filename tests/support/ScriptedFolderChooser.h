#pragma once
// The folder dialog as tests answer it: each request is recorded, and the next queued folder is
// returned (cancelled when the queue is empty).

#include "ui/FolderChooser.h"

#include <deque>
#include <string>

namespace tolvane::test {

struct ScriptedFolderChooser : ui::FolderChooser {
    std::string chooseFolder(const std::string&, const std::string& start) override {
        starts.push_back(start);
        if (answers.empty()) {
            return {};
        }
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::string> answers;
    std::deque<std::string> starts;
};

} // namespace tolvane::test
