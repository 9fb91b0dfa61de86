// Start-up and the close sequence of the main window.

#include "mainwindow/Form1.h"

#include "common/Module1.h"
#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "job/GamePaths.h"
#include "platform/files.h"
#include "platform/hostpath.h"
#include "ui/QtFolderChooser.h"

#include <QRadioButton>

namespace tolvane {

namespace {

// The output folders belong inside an existing game folder; nothing is created elsewhere, and a
// folder that cannot be created is left to the job to report.
void createOutputFolders(const std::string& gameFolder) {
    if (gameFolder.empty() || !platform::folderExists(gameFolder)) {
        return;
    }
    for (auto suffix : {gamepaths::kCompressed, gamepaths::kDecompressed}) {
        const std::string folder = gamepaths::under(gameFolder, suffix);
        if (!platform::folderExists(folder)) {
            (void)platform::createFolder(folder);
        }
    }
}

// The drive of a path such as "D:\UT", as the drive list takes it; C: for any other path.
QString driveOf(const std::string& path) {
    const bool lettered =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return lettered ? QString::fromStdString(path.substr(0, 2)) + QLatin1Char('\\')
                    : QStringLiteral("C:\\");
}

// Where the browser starts: the game folder, or the nearest folder above it that exists. With
// none of its path reachable (no game folder, or one on a drive the prefix lacks), the root of
// C:, else of the first drive that can be read, so that the lists never start empty.
std::string startFolder(const std::string& gameFolder) {
    if (!gameFolder.empty()) {
        if (std::string nearest = platform::nearestExistingFolder(gameFolder); !nearest.empty()) {
            return nearest;
        }
    }
    if (platform::folderExists("C:\\")) {
        return "C:\\";
    }
    for (const auto& drive : platform::listDrives()) {
        if (platform::folderExists(drive.root)) {
            return drive.root;
        }
    }
    return {};
}

} // namespace

void Form1::Form_Load() {
    Module1::setGameLocation(locateGame());
    showGameFolder();
    Option1->setChecked(true);
}

ui::FolderChooser& Form1::folderChooser() {
    if (services_.folderChooser) {
        return *services_.folderChooser;
    }
    if (!ownFolderChooser_) {
        ownFolderChooser_ = std::make_unique<QtFolderChooser>(this);
    }
    return *ownFolderChooser_;
}

void Form1::showGameFolder() {
    const std::string gameFolder = Module1::GetGameFolder();
    // Made before the folder list is filled, so that it shows them from the start.
    createOutputFolders(gameFolder);

    // The drive list shows the drive of the folder the folder list starts on, among the drives
    // under which the game is seen.
    const std::string start = startFolder(gameFolder);
    Drive1->refresh();
    Drive1->setDrive(driveOf(start));
    if (!start.empty()) {
        Dir1->setPath(QString::fromStdString(start));
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
