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
    box.setIcon((style & ui::kMbIconStop) ? QMessageBox::Critical : QMessageBox::NoIcon);
    const bool yesNo = (style & 7) == ui::kMbYesNo;
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
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
