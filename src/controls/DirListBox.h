#pragma once
// The folder list: the current folder with its ancestors above it and its sub-folders below,
// in the manner of the classic folder list control. Double-click or Enter on an entry opens it.
// Paths are Windows paths.

#include <QString>
#include <QTreeWidget>

namespace tolvane {

class DirListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder: no trailing backslash except at a drive root ("C:\").
    QString path() const { return path_; }
    // Shows the folder and raises Change when the path differs. Fails, changing nothing, when
    // the folder cannot be read; `why` then holds the system's reason.
    bool setPath(const QString& winPath, QString* why = nullptr);
    // Reads the current folder again; a folder that has gone moves the list to the nearest
    // folder above it that still exists.
    void refresh();

signals:
    void Change();
    // A mouse button went down over the list (right button = Qt::RightButton).
    void MouseDown(Qt::MouseButton button, const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool populate(const QString& winPath, QString* why);
    QString path_;
};

} // namespace tolvane
