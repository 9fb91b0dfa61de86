// The folder shortcuts of "&Quick Snap" and the folder windows of "Open Folder".

#include "mainwindow/Form1.h"

#include "common/HelperPrograms.h"
#include "common/Module1.h"
#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Messages.h"
#include "platform/files.h"

#include <QAction>

namespace tolvane {

using messages::kErrorTitle;

void Form1::connectShortcuts() {
    connect(mnuMaps, &QAction::triggered, this, &Form1::mnuMaps_Click);
    connect(mnuSystem, &QAction::triggered, this, &Form1::mnuSystem_Click);
    connect(mnuTexs, &QAction::triggered, this, &Form1::mnuTexs_Click);
    connect(mnuSounds, &QAction::triggered, this, &Form1::mnuSounds_Click);
    connect(mnuMusic, &QAction::triggered, this, &Form1::mnuMusic_Click);
    connect(mnuComp, &QAction::triggered, this, &Form1::mnuComp_Click);
    connect(mnuDecomp, &QAction::triggered, this, &Form1::mnuDecomp_Click);

    connect(mnuopMaps, &QAction::triggered, this, &Form1::mnuopMaps_Click);
    connect(mnuopTextures, &QAction::triggered, this, &Form1::mnuopTextures_Click);
    connect(mnuopSounds, &QAction::triggered, this, &Form1::mnuopSounds_Click);
    connect(mnuopSystem, &QAction::triggered, this, &Form1::mnuopSystem_Click);
    connect(mnuopMusic, &QAction::triggered, this, &Form1::mnuopMusic_Click);
    connect(mnuopComp, &QAction::triggered, this, &Form1::mnuopComp_Click);
    connect(mnuopDecomp, &QAction::triggered, this, &Form1::mnuopDecomp_Click);
}

void Form1::mnuMaps_Click() {
    snapTo("\\Maps");
}
void Form1::mnuSystem_Click() {
    snapTo("\\System");
}
void Form1::mnuTexs_Click() {
    snapTo("\\Textures");
}
void Form1::mnuSounds_Click() {
    snapTo("\\Sounds");
}
void Form1::mnuMusic_Click() {
    snapTo("\\Music");
}
void Form1::mnuComp_Click() {
    snapTo("\\Compressed");
}
void Form1::mnuDecomp_Click() {
    snapTo("\\Decompressed");
}

void Form1::mnuopMaps_Click() {
    openGameFolderWindow("\\Maps");
}
void Form1::mnuopTextures_Click() {
    openGameFolderWindow("\\Textures");
}
void Form1::mnuopSounds_Click() {
    openGameFolderWindow("\\Sounds");
}
void Form1::mnuopSystem_Click() {
    openGameFolderWindow("\\System");
}
void Form1::mnuopMusic_Click() {
    openGameFolderWindow("\\Music");
}
void Form1::mnuopComp_Click() {
    openGameFolderWindow("\\Compressed");
}
void Form1::mnuopDecomp_Click() {
    openGameFolderWindow("\\Decompressed");
}

// Only the folder list moves (the file list follows it); the drive list and the queue stay.
void Form1::snapTo(const char* suffix) {
    const std::string gameFolder = Module1::GetGameFolder();
    if (gameFolder.empty()) {
        messages().show(messages::kGameFolderMissing, kErrorTitle, platform::kMbIconStop);
        return;
    }
    const std::string folder = gameFolder + suffix;
    if (!platform::folderExists(folder)) {
        messages().show("The folder " + folder + " does not exist.", kErrorTitle,
                        platform::kMbIconStop);
        return;
    }
    const QString before = Dir1->path();
    QString why;
    if (!Dir1->setPath(QString::fromStdString(folder), &why)) {
        messages().show("The folder " + folder + " cannot be read: " + why.toStdString(),
                        kErrorTitle, platform::kMbIconStop);
        return;
    }
    if (Dir1->path() == before) {
        // Already there: no change to follow, but the user expects the files as they are now.
        File1->refresh();
    }
}

// A folder that does not exist still gets its window, which says so: the user may create the
// folder later and refresh it.
void Form1::openGameFolderWindow(const char* suffix) {
    const std::string gameFolder = Module1::GetGameFolder();
    if (gameFolder.empty()) {
        messages().show(messages::kGameFolderMissing, kErrorTitle, platform::kMbIconStop);
        return;
    }
    OpenFolderWindow(gameFolder + suffix);
}

void Form1::OpenFolderWindow(const std::string& winPath) {
    if (services_.folders) {
        browser_ = services_.folders;
    } else {
        if (!ownFolders_) {
            ownFolders_ =
                std::make_unique<platform::DetachedFolderWindowLauncher>(folderWindowProgram());
        }
        browser_ = ownFolders_.get();
    }
    const platform::SystemError error = browser_->open(winPath);
    // The window lives on by itself; nothing here keeps hold of it.
    browser_ = nullptr;
    if (error) {
        messages().show("The folder window for " + winPath + " could not be opened.\n\n" +
                            error.message,
                        kErrorTitle, platform::kMbIconStop);
    }
}

} // namespace tolvane
