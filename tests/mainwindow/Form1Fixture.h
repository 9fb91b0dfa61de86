#pragma once
// A main window for tests: scripted message boxes, and a program end that is only recorded.

#include "mainwindow/Form1.h"
#include "support/RecordingFolderWindows.h"
#include "support/ScriptedMessageBoxes.h"

#include <memory>

namespace tolvane::test {

struct Form1Fixture {
    Form1Fixture();
    ~Form1Fixture();

    ScriptedMessageBoxes messages;
    int endRequests = 0;
    RecordingFolderWindows folders;
    std::unique_ptr<Form1> form;
};

} // namespace tolvane::test
