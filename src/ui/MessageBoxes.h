#pragma once
// Every message the user sees goes through this interface, so that tests can answer them.

#include <string>

namespace tolvane::ui {

// Style bits, combined by adding them.
constexpr int kMbOk = 0;
constexpr int kMbYesNo = 4;
constexpr int kMbIconStop = 16;
constexpr int kMbIconQuestion = 32;
constexpr int kMbIconExclamation = 48;
constexpr int kMbIconInformation = 64;
constexpr int kMbDefaultButton2 = 256; // the second button answers Enter, not the first

// Answers.
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box and returns the button pressed.
    virtual int show(const std::string& text, const std::string& title, int style) = 0;
};

} // namespace tolvane::ui
