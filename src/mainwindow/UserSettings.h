#pragma once
// What Tolvane remembers for the user between runs: the game folder chosen and the options.

#include <QSettings>

namespace tolvane {

inline QSettings userSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tolvane"),
                     QStringLiteral("Tolvane"));
}

} // namespace tolvane
