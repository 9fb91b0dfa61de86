// tolvane-folder <Windows folder path>: a window on the folder that lives on its own.

#include "FolderWindow.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane folder"));
    // Read after QApplication has taken its own options out.
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvane-folder <Windows folder path>\n");
        return 2;
    }
    tolvane::FolderWindow window;
    window.openFolder(argv[1]);
    window.show();
    return QApplication::exec();
}
