#include "splash/Artwork.h"
#include "splash/frmSplash.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
    tolvane::useProgramIcon();
    // The splash is all the program starts: when its countdown ends it opens the main window.
    auto* splash = new tolvane::frmSplash();
    splash->show();
    return QApplication::exec();
}
