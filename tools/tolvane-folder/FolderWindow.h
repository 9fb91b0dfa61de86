#pragma once
// A window on one folder: its sub-folders and files with icon, name, size, type and date, in
// the manner of the system's own folder windows. The folder is a Windows path.

#include "platform/files.h"

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QStackedLayout;
class QTreeWidget;
class QTreeWidgetItem;

namespace tolvane {

class FolderWindow : public QWidget {
    Q_OBJECT
public:
    explicit FolderWindow(QWidget* parent = nullptr);

    // Shows the folder's contents and takes its path as the window title. A folder that cannot
    // be listed leaves words saying why in place of the contents.
    void openFolder(const std::string& winPath);
    // Lists the folder again (F5, and whenever the window becomes active again).
    void refresh();
    // Goes to the folder above (Backspace).
    void openParent();

    const std::string& folder() const { return folder_; }
    QTreeWidget* contents() const { return contents_; }
    // What the window says instead of the contents; empty while they are shown.
    QString notice() const;

    enum Column { NameColumn, SizeColumn, TypeColumn, ModifiedColumn };

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openItem(QTreeWidgetItem* item);
    void showNotice(const QString& text);

    QStackedLayout* stack_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QLabel* notice_ = nullptr;
    std::string folder_;
    // What the list shows, to leave it alone when a refresh finds nothing new.
    std::vector<platform::FileInfo> shown_;
    bool listed_ = false;
};

} // namespace tolvane
