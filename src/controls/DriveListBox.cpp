#include "controls/DriveListBox.h"

#include "platform/hostpath.h"

namespace tolvane {

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    refresh();
    connect(this, &QComboBox::activated, this, &DriveListBox::onActivated);
}

QString DriveListBox::drive() const {
    return current_;
}

void DriveListBox::refresh() {
    QSignalBlocker block(this);
    clear();
    for (const auto& info : platform::listDrives()) {
        QString root = QString::fromStdString(info.root);
        addItem(root.left(2).toLower(), root);
        setItemData(count() - 1, QString::fromStdString(info.target.string()), Qt::ToolTipRole);
    }
    int index = findData(current_);
    if (index < 0 && count() > 0) {
        index = 0;
    }
    setCurrentIndex(index);
    if (current_.isEmpty() && index >= 0) {
        current_ = itemData(index).toString();
    }
}

bool DriveListBox::setDrive(const QString& drivePath) {
    if (drivePath.size() < 2 || drivePath[1] != QLatin1Char(':')) {
        return false;
    }
    QString root = drivePath.left(1).toUpper() + QStringLiteral(":\\");
    int index = findData(root);
    if (index < 0) {
        refresh();
        index = findData(root);
        if (index < 0) {
            return false;
        }
    }
    {
        QSignalBlocker block(this);
        setCurrentIndex(index);
    }
    takeDrive(root);
    return true;
}

void DriveListBox::restorePrevious() {
    if (previous_.isEmpty()) {
        return;
    }
    current_ = previous_;
    QSignalBlocker block(this);
    int index = findData(current_);
    if (index < 0) {
        refresh();
    } else {
        setCurrentIndex(index);
    }
}

void DriveListBox::showPopup() {
    refresh();
    QComboBox::showPopup();
}

void DriveListBox::takeDrive(const QString& root) {
    if (root != current_) {
        previous_ = current_;
        current_ = root;
        emit Change();
    }
}

void DriveListBox::onActivated(int index) {
    takeDrive(itemData(index).toString());
}

} // namespace tolvane
