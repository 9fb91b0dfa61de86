#pragma once
// The file list: every file of one folder except hidden ones, with extended multiple selection
// (click, Shift+click, Ctrl+click), in the manner of the classic file list control.

#include <QListWidget>
#include <QString>

namespace tolvane {

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Lists the files of the folder. Fails, keeping the old list, when the folder cannot be read.
    bool setPath(const QString& winPath, QString* why = nullptr);
    // Reads the folder again; selections of files that are still there are kept.
    void refresh();

    // The name of entry i.
    QString fileName(int index) const;
    bool isSelected(int index) const;

signals:
    void MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool populate(const QString& winPath, QString* why);
    QString path_;
};

} // namespace tolvane
