#pragma once
// A main window for tests: scripted message boxes and folder dialog, folder windows that are only
// recorded, and a program end that is only counted.

#include "mainwindow/Form1.h"
#include "support/RecordingFolderWindows.h"
#include "support/ScriptedFolderChooser.h"
#include "support/ScriptedMessageBoxes.h"

#include <memory>

namespace tolvane::test {

struct Form1Fixture {
    ScriptedMessageBoxes messages;
    int endRequests = 0;
    RecordingFolderWindows folders;
    ScriptedFolderChooser chooser;
    std::unique_ptr<Form1> form = std::make_unique<Form1>(
        Form1::Services{&messages, [this] { ++endRequests; }, &folders, &chooser});
};

} // namespace tolvane::test
