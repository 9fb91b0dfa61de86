#pragma once
// A drop-down list of the drives, in the manner of the classic drive list control.

#include <QComboBox>
#include <QString>

namespace tolvane {

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The current drive as "C:\" (upper-case letter); empty when there is none.
    QString drive() const;
    // Takes the drive of a path such as "C:\" or "c:"; raises Change when it differs.
    // Returns false when no such drive exists.
    bool setDrive(const QString& drivePath);
    // Reads the list of drives again, keeping the current one where it still exists.
    void refresh();
    // Shows the drive that was current before the last change again, without raising Change;
    // for a drive that turned out to be unreadable.
    void restorePrevious();

signals:
    void Change();

protected:
    // Drives can come and go while the program runs; the list is read again when it opens.
    void showPopup() override;

private:
    void onActivated(int index);
    void takeDrive(const QString& root);
    QString current_;
    QString previous_;
};

} // namespace tolvane
