// Where the game is: found at start, or chosen by the user, and remembered.

#include "mainwindow/Form1.h"

#include "common/GameSearch.h"
#include "common/Module1.h"
#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "mainwindow/UserSettings.h"
#include "platform/environment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>

#include <filesystem>

namespace tolvane {

namespace {

constexpr const char* kMessageTitle = "Tolvane";

const QString kGameFolderKey = QStringLiteral("GameFolder");

std::string rememberedGameFolder() {
    return QFile::encodeName(userSettings().value(kGameFolderKey).toString()).toStdString();
}

void rememberGameFolder(const std::string& hostFolder) {
    userSettings().setValue(kGameFolderKey,
                            QFile::decodeName(QByteArray::fromStdString(hostFolder)));
}

// With the game nowhere and no folder chosen: the registry of the prefix Wine would use, so that
// a game installed there later counts, and the host's drives when there is no prefix at all.
GameLocation noGameLocation() {
    std::string prefix = platform::environmentVariable("WINEPREFIX");
    if (prefix.empty()) {
        const std::filesystem::path home = platform::environmentVariable("HOME");
        std::error_code code;
        if (!home.empty() && std::filesystem::is_directory(home / ".wine" / "dosdevices", code)) {
            prefix = (home / ".wine").string();
        }
    }
    return GameLocation{{}, prefix, true, {}};
}

} // namespace

void Form1::buildGameFolderMenu() {
    mnuOptions->addSeparator();
    mnuGame = mnuOptions->addAction(QStringLiteral("Choose &Game Folder…"));
    mnuGame->setObjectName(QStringLiteral("mnuGame"));
    connect(mnuGame, &QAction::triggered, this, &Form1::mnuGame_Click);
}

GameLocation Form1::locateGame() {
    const GameSearchResult search = findGame({services_.namedFolder, rememberedGameFolder()});
    if (!search.namedProblem.empty()) {
        messages_->show(search.namedProblem + "\n\nTolvane looks for the game in its usual places.",
                        kMessageTitle, ui::kMbIconExclamation);
    }
    if (search.found) {
        return *search.found;
    }
    std::string text = search.chosenVanished ? "The game folder you chose is no longer there."
                                             : "Tolvane could not find Unreal Tournament.";
    text += " It looked in:\n";
    for (const auto& place : search.looked) {
        text += "\n    " + place;
    }
    text += "\n\nChoose the game folder (the one that holds System or System64) in the next "
            "window. You can also start Tolvane with the folder: tolvane FOLDER";
    messages_->show(text, kMessageTitle, ui::kMbIconExclamation);
    if (auto chosen = askForGameFolder()) {
        return *chosen;
    }
    return noGameLocation();
}

std::optional<GameLocation> Form1::askForGameFolder() {
    std::string start = rememberedGameFolder();
    if (start.empty()) {
        start = platform::environmentVariable("HOME");
    }
    const std::string picked = folderChooser().chooseFolder("Choose the game folder", start);
    if (picked.empty()) {
        return std::nullopt;
    }
    std::string whyNot;
    auto location = locateFolder(picked, whyNot);
    if (!location) {
        messages_->show(whyNot, kMessageTitle, ui::kMbIconStop);
        return std::nullopt;
    }
    rememberGameFolder(location->hostFolder);
    return location;
}

void Form1::mnuGame_Click() {
    if (ReadOutput1.busy()) {
        return; // a running job keeps the folder it started in
    }
    if (auto location = askForGameFolder()) {
        Module1::setGameLocation(*location);
        showGameFolder();
    }
}

} // namespace tolvane
