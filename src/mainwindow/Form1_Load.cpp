// Start-up and the close sequence of the main window.

#include "mainwindow/Form1.h"

#include "common/Module1.h"
#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "platform/files.h"

#include <QRadioButton>

namespace tolvane {

void Form1::Form_Load() {
    const std::string gameFolder = Module1::GetGameFolder();

    Drive1->setDrive(QStringLiteral("C:\\"));

    // With no game folder the browser starts at the root of C:; with one that has gone, at the
    // nearest folder above it that still exists.
    std::string start =
        gameFolder.empty() ? std::string("C:\\") : platform::nearestExistingFolder(gameFolder);
    if (!start.empty()) {
        Dir1->setPath(QString::fromStdString(start));
    }

    Option1->setChecked(true);

    // The output folders belong inside an existing game folder; nothing is created elsewhere,
    // and a folder that cannot be created is left to the job to report.
    if (!gameFolder.empty() && platform::folderExists(gameFolder)) {
        for (const char* suffix : {"\\Compressed", "\\Decompressed"}) {
            const std::string folder = gameFolder + suffix;
            if (!platform::folderExists(folder)) {
                (void)platform::createFolder(folder);
            }
        }
    }
}

void Form1::Form_Unload() {
    closeSequence();
}

void Form1::closeSequence() {
    if (closing_) {
        return;
    }
    closing_ = true;
    browser_ = nullptr;
    if (splash_) {
        splash_->close();
    }
    hide();
    services_.endProgram();
}

} // namespace tolvane
