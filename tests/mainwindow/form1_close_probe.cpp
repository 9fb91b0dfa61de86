// Closes the main window from inside a nested event loop, the way a running job nests the
// event loop, and reports anything that runs after the close.

#include "mainwindow/Form1.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    auto* form = new tolvane::Form1();
    form->Show();
    const bool viaExitButton = argc > 1 && QByteArray(argv[1]) == "exit";
    QTimer::singleShot(0, [&] {
        QEventLoop nested;
        QTimer::singleShot(0, [&] {
            if (viaExitButton) {
                form->KewlButtons3->click();
            } else {
                form->close();
            }
            std::puts("handler ran on after the close");
        });
        QTimer::singleShot(50, [] { std::puts("a later handler ran"); });
        nested.exec();
        std::puts("nested loop returned");
    });
    QApplication::exec();
    std::puts("event loop returned");
    return 3;
}
