#include "mainwindow/Form1.h"
#include "splash/Artwork.h"
#include "splash/frmSplash.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv); // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf(
            "Usage: tolvane [FOLDER]\n"
            "Compresses and decompresses Unreal Tournament packages with the game's tool.\n"
            "FOLDER is the game folder to work on; without it, Tolvane works on the folder\n"
            "chosen before, or looks for the game where it is usually installed.\n");
        return 0;
    }
    // A folder named on the command line, as a file manager's "Open With" passes it.
    tolvane::Form1::Services services;
    if (argc > 1) {
        services.namedFolder = argv[1];
    }
    tolvane::useProgramIcon();
    // The splash is all the program starts: when its countdown ends it opens the main window.
    auto* splash = new tolvane::frmSplash([services] { return new tolvane::Form1(services); });
    splash->show();
    return QApplication::exec();
}
