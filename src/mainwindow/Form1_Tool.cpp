// Which tool a job runs, and how many of its lines at a time.

#include "mainwindow/Form1.h"

#include "common/HelperPrograms.h"
#include "mainwindow/UserSettings.h"
#include "platform/environment.h"
#include "platform/files.h"

#include <QAction>
#include <QMenu>

namespace tolvane {

namespace {

const QString kOwnToolKey = QStringLiteral("UseOwnCompressor");
const QString kOneAtATimeKey = QStringLiteral("ToolLinesOneAtATime");

// A remembered check mark: the item keeps it in the user's settings whenever it is toggled.
QAction* rememberedOption(QMenu* menu, const char* name, const QString& caption,
                          const QString& key) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    item->setChecked(userSettings().value(key, false).toBool());
    QObject::connect(item, &QAction::toggled, item,
                     [key](bool checked) { userSettings().setValue(key, checked); });
    return item;
}

} // namespace

void Form1::buildToolMenu() {
    mnuOwnTool = rememberedOption(mnuOptions, "mnuOwnTool",
                                  QStringLiteral("Use Tolvane's Own &Compressor"), kOwnToolKey);
    mnuOneAtATime =
        rememberedOption(mnuOptions, "mnuOneAtATime",
                         QStringLiteral("Run Tool Lines One at a &Time"), kOneAtATimeKey);
}

ToolChoice Form1::toolChoice() const {
    return {mnuOwnTool->isChecked(), bundledInterpreter()};
}

std::optional<std::string> Form1::toolProblem(const BatchJob& batch) const {
    const GameTool tool = batch.toolToRun();
    const bool own = isOwnTool(tool);
    if (!own && (mnuOwnTool->isChecked() || !platform::fileExists(tool.program)) &&
        !ownToolProgram()) {
        return "Tolvane's own compressor lies in " + platform::ownProgramFolder() +
               ", which no drive of the Wine prefix holds, so the batch file cannot name it.";
    }
#ifndef _WIN32
    // Another interpreter (Wine's own cmd) starts Windows programs only.
    if ((own || tool.native) && !bundledInterpreter()) {
        return (own ? std::string("Tolvane's own compressor") : "The game's tool " + tool.program) +
               " is a Linux program, and the command interpreter set in ComSpec (" +
               platform::environmentVariable("ComSpec") +
               ") cannot start it. Unset ComSpec to let Tolvane run the job itself" +
               (own && mnuOwnTool->isChecked()
                    ? ", or turn off Options > Use Tolvane's Own Compressor."
                    : ".");
    }
#endif
    return std::nullopt;
}

void Form1::setToolEnvironment(const BatchJob& batch) const {
    // Tolvane's own tool leaves decompressed files in the game folder's System folder, and the
    // bundled interpreter runs as many tool lines at a time as it is told.
    platform::setEnvironmentVariable("TOLVANE_GAME_FOLDER", batch.gameFolder);
    platform::setEnvironmentVariable("TOLVANE_PARALLEL", mnuOneAtATime->isChecked() ? "1" : "");
}

} // namespace tolvane
