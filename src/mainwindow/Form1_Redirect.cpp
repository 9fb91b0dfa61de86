// A redirect server's download folder: where results go, and the packages not yet in it.

#include "mainwindow/Form1.h"

#include "common/Module1.h"
#include "job/GamePaths.h"
#include "job/NewPackages.h"
#include "mainwindow/Messages.h"
#include "mainwindow/UserSettings.h"
#include "platform/files.h"
#include "platform/hostpath.h"
#include "platform/winpath.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>

#include <map>

namespace tolvane {

namespace {

const QString kOutputFolderKey = QStringLiteral("OutputFolder");

std::string rememberedOutputFolder() {
    return QFile::encodeName(userSettings().value(kOutputFolderKey).toString()).toStdString();
}

} // namespace

void Form1::buildRedirectMenu() {
    mnuOutput = mnuOptions->addAction(QStringLiteral("Output &Folder…"));
    mnuOutput->setObjectName(QStringLiteral("mnuOutput"));
    connect(mnuOutput, &QAction::triggered, this, &Form1::mnuOutput_Click);
    mnuOutputReset = mnuOptions->addAction(QStringLiteral("&Reset Output Folder"));
    mnuOutputReset->setObjectName(QStringLiteral("mnuOutputReset"));
    mnuOutputReset->setEnabled(!rememberedOutputFolder().empty());
    connect(mnuOutputReset, &QAction::triggered, this, [this] {
        userSettings().remove(kOutputFolderKey);
        mnuOutputReset->setEnabled(false);
    });
    mnuQueueNew = mnuOptions->addAction(QStringLiteral("Queue &New Packages"));
    mnuQueueNew->setObjectName(QStringLiteral("mnuQueueNew"));
    connect(mnuQueueNew, &QAction::triggered, this, &Form1::mnuQueueNew_Click);
}

void Form1::mnuOutput_Click() {
    std::string start = rememberedOutputFolder();
    if (start.empty()) {
        start =
            platform::toHostPath(gamepaths::under(Module1::GetGameFolder(), gamepaths::kCompressed))
                .value_or(std::filesystem::path())
                .string();
    }
    const std::string picked = folderChooser().chooseFolder("Choose the output folder", start);
    if (picked.empty()) {
        return;
    }
    if (!platform::toWindowsPath(picked)) {
        messages().show("No drive of the Wine prefix holds the folder " + picked +
                            ", so the batch file cannot name it.",
                        messages::kErrorTitle, ui::kMbIconStop);
        return;
    }
    userSettings().setValue(kOutputFolderKey, QFile::decodeName(QByteArray::fromStdString(picked)));
    mnuOutputReset->setEnabled(true);
}

std::string Form1::outputFolder() const {
    const std::string host = rememberedOutputFolder();
    return host.empty() ? std::string() : platform::toWindowsPath(host).value_or(std::string());
}

void Form1::mnuQueueNew_Click() {
    if (ReadOutput1.busy()) {
        return; // the queue of a running job is emptied at its end
    }
    const std::string game = Module1::GetGameFolder();
    std::size_t upToDate = 0;
    const BatchJob batch = newPackagesJob(game, outputFolder(), upToDate);
    // Already queued files are not queued twice.
    std::map<QString, QStringList> byFolder;
    for (const auto& path : batch.paths) {
        const QString text = QString::fromStdString(path);
        if (List1->findItems(text, Qt::MatchFixedString).isEmpty()) {
            const auto cut = text.lastIndexOf(QLatin1Char('\\'));
            byFolder[text.left(cut)] << text.mid(cut + 1);
        }
    }
    if (byFolder.empty()) {
        messages().show("All packages are up to date.", "Success!", ui::kMbOk);
        return;
    }
    Option1->setChecked(true);
    for (const auto& [folder, names] : byFolder) {
        queueFiles(folder, names);
    }
}

} // namespace tolvane
