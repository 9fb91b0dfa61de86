#pragma once
// The program's icon and the splash logo, built into the executable.

#include <QIcon>
#include <QList>
#include <QPixmap>

namespace tolvane {

// The pixel sizes the icon comes in.
QList<int> programIconSizes();

// The program's icon, with an image for every size.
QIcon programIcon();

// Makes the program's icon the icon of every window of the application.
void useProgramIcon();

// The splash logo, 90 by 88 pixels.
QPixmap splashLogo();

} // namespace tolvane
