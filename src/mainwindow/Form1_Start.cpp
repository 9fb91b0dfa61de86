// The Start button: write the batch file for the queue and run it.

#include "mainwindow/Form1.h"

#include "common/Module1.h"
#include "mainwindow/BatchFile.h"
#include "mainwindow/Messages.h"
#include "platform/files.h"

#include <QListWidget>
#include <QRadioButton>

#include <ctime>

namespace tolvane {

using messages::kErrorTitle;

namespace {

std::vector<std::string> entriesOf(const QListWidget* list) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i) {
        out.push_back(list->item(i)->text().toStdString());
    }
    return out;
}

std::string joinLines(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) {
        out += "\r\n" + name;
    }
    return out;
}

} // namespace

void Form1::KewlButtons2_Click() {
    if (List1->count() == 0) {
        messages().show("No files to compile.", kErrorTitle, platform::kMbOk);
        return;
    }
    const std::string gameFolder = Module1::GetGameFolder();
    if (gameFolder.empty()) {
        messages().show(messages::kGameFolderMissing, kErrorTitle, platform::kMbIconStop);
        return;
    }

    BatchJob job;
    job.gameFolder = gameFolder;
    job.paths = entriesOf(List1);
    job.names = entriesOf(List2);
    job.mode = Option2->isChecked() ? JobMode::Decompress : JobMode::Compress;
    const BatchText text = makeBatchText(job);
    const std::string batchPath = buildPath(gameFolder, "\\uccMake.Bat");
    if (!text.notCompressed.empty()) {
        messages().show("Only .uz files can be decompressed:" + joinLines(text.notCompressed),
                        kErrorTitle, platform::kMbOk);
        return;
    }
    // The tool leaves each decompressed file in the System folder and the job then moves it
    // out: a file of that name already there (the game's own Core.u, or the tool itself) would
    // be overwritten and then taken away from the game.
    if (job.mode == JobMode::Decompress) {
        std::vector<std::string> inSystem;
        for (const auto& name : job.names) {
            auto base = decompressedName(name);
            if (base && platform::fileExists(gameFolder + "\\system\\" + *base)) {
                inSystem.push_back(*base);
            }
        }
        if (!inSystem.empty()) {
            messages().show("These files are already in the game's System folder. Decompressing "
                            "would replace them and then move them out of it:" +
                                joinLines(inSystem),
                            kErrorTitle, platform::kMbIconStop);
            return;
        }
    }
    if (!text.notRepresentable.empty()) {
        messages().show("The batch file " + batchPath +
                            " cannot name these files, since the Windows code page has no "
                            "place for some of their characters:" +
                            joinLines(text.notRepresentable),
                        kErrorTitle, platform::kMbIconStop);
        return;
    }

    // Results older than this moment belong to an earlier job.
    jobStarted_ = static_cast<std::int64_t>(std::time(nullptr));
    if (auto error = platform::writeFileBytes(batchPath, batchBytes(text))) {
        messages().show("The batch file " + batchPath + " could not be written:\r\n" +
                            error.message,
                        kErrorTitle, platform::kMbIconStop);
        return;
    }

    showOutputView();
    ReadOutput1.SetCommand(gameFolder + "\\uccmake.bat");
    ReadOutput1.ProcessCommand();
}

} // namespace tolvane
