// The Start button: take the job, write its batch file and run it.

#include "mainwindow/Form1.h"

#include "common/Module1.h"
#include "job/GamePaths.h"
#include "job/Preflight.h"
#include "mainwindow/Messages.h"
#include "platform/files.h"

#include <QListWidget>
#include <QRadioButton>

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

} // namespace

BatchJob Form1::queuedJob() const {
    BatchJob batch;
    batch.gameFolder = Module1::GetGameFolder();
    batch.paths = entriesOf(List1);
    batch.names = entriesOf(List2);
    batch.mode = Option2->isChecked() ? JobMode::Decompress : JobMode::Compress;
    batch.tool = gameTool(batch.gameFolder, toolChoice());
    batch.outputFolder = outputFolder();
    return batch;
}

bool Form1::writeBatchFile(const Job& job) {
    const std::string path = gamepaths::batchFileWritten(job.batch.gameFolder);
    if (auto error = platform::writeFileBytes(path, batchBytes(job.text))) {
        messages().show("The batch file " + path + " could not be written:\r\n" + error.message,
                        kErrorTitle, ui::kMbIconStop);
        return false;
    }
    return true;
}

void Form1::KewlButtons2_Click() {
    BatchJob batch = queuedJob();
    std::size_t leftOut = 0;
    if (mnuSkip->isChecked() && !batch.paths.empty() && !batch.gameFolder.empty()) {
        leftOut = leaveOutDone(batch);
        if (batch.paths.empty()) {
            messages().show("All queued files are already done.", "Success!", ui::kMbOk);
            return;
        }
    }
    Job job = takeJob(std::move(batch));
    if (auto refusal = preflight(job)) {
        messages().show(refusal->text, kErrorTitle, refusal->stop ? ui::kMbIconStop : ui::kMbOk);
        return;
    }
    if (auto problem = toolProblem(job.batch)) {
        messages().show(*problem, kErrorTitle, ui::kMbIconStop);
        return;
    }
    // A chosen output folder that is gone is made again, as the game's own are at start.
    if (const std::string results = job.batch.resultsFolder(); !platform::folderExists(results)) {
        (void)platform::createFolder(results);
    }
    if (!writeBatchFile(job)) {
        return;
    }
    job_ = std::move(job);
    leftOut_ = leftOut;
    showOutputView();
    beginProgress(*job_);
    setToolEnvironment(job_->batch);
    ReadOutput1.SetCommand(gamepaths::batchFileRun(job_->batch.gameFolder));
    ReadOutput1.ProcessCommand();
}

} // namespace tolvane
