#pragma once
// The file list: every file of one folder except hidden ones, with extended multiple selection
// (click, Shift+click, Ctrl+click) and a current entry, in the manner of the classic file list
// control.

#include <QListWidget>
#include <QSet>
#include <QString>

#include <vector>

namespace tolvane {

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Lists the files of the folder. When the folder cannot be read the list is left empty,
    // `why` holds the system's reason, and false is returned.
    bool setPath(const QString& winPath, QString* why = nullptr);
    // Reads the folder again; selections of files that are still there are kept, and so is the
    // current entry. False when the folder can no longer be read (the list is then empty).
    bool refresh();

    // The name of entry i.
    QString fileName(int index) const;
    // False for a file whose name no Windows path can hold (see isUsableWindowsName): joined
    // to its folder, its name would lead to another file or to none.
    bool hasUsableName(int index) const;
    bool isSelected(int index) const;
    // The rows of the selected entries, in ascending order.
    std::vector<int> selectedRows() const;
    // The name of the current entry; empty when there is none.
    QString currentName() const;

signals:
    void MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    // A double-click with the left button on an entry.
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool populate(const QString& winPath, QString* why);
    QString path_;
    QSet<QString> unusable_;
};

} // namespace tolvane
