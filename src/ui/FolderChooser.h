#pragma once
// The desktop's folder dialog, behind an interface so that tests can answer it.

#include <string>

namespace tolvane::ui {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Lets the user pick a folder, starting at a host path; the host path picked, or empty when
    // the dialog was cancelled.
    virtual std::string chooseFolder(const std::string& title, const std::string& start) = 0;
};

} // namespace tolvane::ui
