#include "splash/Artwork.h"

#include <QApplication>

// The artwork lives in a static library, whose resources the linker would drop unless something
// refers to them; this does, and it must stand outside any namespace.
static void loadArtworkResources() {
    Q_INIT_RESOURCE(tolvane);
}

namespace tolvane {

namespace {

void ensureResources() {
    static const bool loaded = [] {
        loadArtworkResources();
        return true;
    }();
    (void)loaded;
}

} // namespace

QList<int> programIconSizes() {
    return {16, 24, 32, 48, 64, 72, 80, 96, 128, 256};
}

QIcon programIcon() {
    ensureResources();
    QIcon icon;
    for (int size : programIconSizes()) {
        icon.addFile(QStringLiteral(":/tolvane/tolvane-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

void useProgramIcon() {
    QApplication::setWindowIcon(programIcon());
}

QPixmap splashLogo() {
    ensureResources();
    return QPixmap(QStringLiteral(":/tolvane/logo.png"));
}

} // namespace tolvane
