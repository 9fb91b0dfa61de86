#include "ui/QtMessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace tolvane {

int QtMessageBoxes::show(const std::string& text, const std::string& title, int style) {
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(body);
    box.setTextFormat(Qt::PlainText);
    // The icon is one value of its own bits, not a set of flags: 48 is the exclamation mark.
    switch (style & 0x70) {
    case ui::kMbIconStop:
        box.setIcon(QMessageBox::Critical);
        break;
    case ui::kMbIconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case ui::kMbIconExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case ui::kMbIconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }
    const bool yesNo = (style & 7) == ui::kMbYesNo;
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((style & 0xF00) == ui::kMbDefaultButton2 ? QMessageBox::No
                                                                      : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    int answer = box.exec();
    if (yesNo) {
        return answer == QMessageBox::Yes ? ui::kIdYes : ui::kIdNo;
    }
    return ui::kIdOk;
}

} // namespace tolvane
