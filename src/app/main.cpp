#include "mainwindow/Form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    auto* form = new tolvane::Form1();
    form->Show();
    return QApplication::exec();
}
