#pragma once

#include "ui/FolderChooser.h"

class QWidget;

namespace tolvane {

// The desktop's own folder dialog, modal over a parent window.
class QtFolderChooser : public ui::FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent) : parent_(parent) {}
    std::string chooseFolder(const std::string& title, const std::string& start) override;

private:
    QWidget* parent_;
};

} // namespace tolvane
