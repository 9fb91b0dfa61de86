#pragma once

#include "ui/MessageBoxes.h"

class QWidget;

namespace tolvane {

// Message boxes shown as real modal dialogs over a parent window.
class QtMessageBoxes : public ui::MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent) : parent_(parent) {}
    int show(const std::string& text, const std::string& title, int style) override;

private:
    QWidget* parent_;
};

} // namespace tolvane
