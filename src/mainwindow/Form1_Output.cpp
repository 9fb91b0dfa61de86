// The job's output, a failed start, and the end of a job.

#include "mainwindow/Form1.h"

#include "job/GamePaths.h"
#include "job/NameList.h"
#include "mainwindow/Messages.h"
#include "mainwindow/OutputBatcher.h"
#include "platform/files.h"

#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

namespace tolvane {

namespace {
// Output that streams faster than anyone reads is shown five times a second: each showing lays
// out and paints a screenful of new lines, and doing that for every few lines a fast job writes
// would take processor time from the job itself. Once it has streamed for two seconds without a
// pause, it is shown twice a second. A line that comes after a pause is shown at once, so a tool
// that reports now and then is seen as it reports.
constexpr OutputBatcher::Pace kOutputPace{std::chrono::milliseconds(200),
                                          std::chrono::milliseconds(500), std::chrono::seconds(2)};
} // namespace

void Form1::connectJob() {
    pendingOutput_ = std::make_unique<OutputBatcher>(kOutputPace, [this](const QString& text) {
        addOutput(text);
        // Every step is echoed output, so the bar and the title follow the output's pace.
        if (progressToShow_) {
            showProgress();
        }
    });
    // After every change of the text, whoever made it.
    connect(txtOutput, &QPlainTextEdit::textChanged, this, &Form1::txtOutput_Change);
    connect(KewlButtons2, &QPushButton::clicked, this, &Form1::KewlButtons2_Click);
    ReadOutput1.Starting = [this] { ReadOutput1_Starting(); };
    ReadOutput1.GotChunk = [this](const std::string& sChunk, bool LastChunk) {
        ReadOutput1_GotChunk(sChunk, LastChunk);
    };
    ReadOutput1.Error = [this](const std::string& Error, std::int32_t LastDLLError) {
        ReadOutput1_Error(Error, LastDLLError);
    };
    ReadOutput1.Complete = [this] { ReadOutput1_Complete(); };
}

void Form1::ReadOutput1_Starting() {
    pendingOutput_->discard();
    txtOutput->clear();
    // The last job's output is gone, and this one's is in view. A job that could not start
    // leaves the last one's output to be shown again.
    mnuLastOutput->setEnabled(false);
    if (leftOut_ > 0) {
        txtOutput->setPlainText(
            QStringLiteral("Left out %1 queued %2 already done.")
                .arg(leftOut_)
                .arg(leftOut_ == 1 ? QStringLiteral("file") : QStringLiteral("files")));
    }
}

void Form1::ReadOutput1_GotChunk(const std::string& sChunk, bool LastChunk) {
    // Carriage returns are dropped and every line feed makes one line break, so CR LF split
    // between two chunks still gives one break, and a lone CR gives none.
    // A fast job reaches hundreds of lines a second: the step is shown with its output.
    if (progress_ && progress_->add(sChunk)) {
        progressToShow_ = true;
    }
    QString text = QString::fromStdString(sChunk);
    text.remove(QLatin1Char('\r'));
    pendingOutput_->add(text);
    // Outside a running job (and at its end) nobody would come back for held text.
    if (LastChunk || !ReadOutput1.busy()) {
        pendingOutput_->flush();
    }
}

// Only the new text is added, at the end whatever the user's caret: re-setting the whole text on
// every chunk would make a long job's output cost quadratic time, and a read ends anywhere in a
// line. Whoever reads at the end keeps seeing the newest output. Whoever holds a selection (to
// copy it) or has scrolled away from the end (to read what went before) keeps it, until they are
// back at the end with nothing selected.
void Form1::addOutput(const QString& text) {
    QTextCursor end(txtOutput->document());
    end.movePosition(QTextCursor::End);
    const QRect endLine = txtOutput->cursorRect(end);
    followOutput_ = !txtOutput->textCursor().hasSelection() && endLine.top() >= 0 &&
                    endLine.bottom() <= txtOutput->viewport()->height();
    end.insertText(text);
    followOutput_ = false;
}

// The user's own typing leaves the caret where they type.
void Form1::txtOutput_Change() {
    if (!followOutput_) {
        return;
    }
    QTextCursor caret = txtOutput->textCursor();
    caret.movePosition(QTextCursor::End); // selection length 0, caret after the last character
    // The lines follow the output; a long line read further right stays in view.
    QScrollBar* columns = txtOutput->horizontalScrollBar();
    const int column = columns->value();
    txtOutput->setTextCursor(caret);
    txtOutput->ensureCursorVisible();
    columns->setValue(column);
}

void Form1::mnuLastOutput_Click() {
    if (ReadOutput1.busy()) {
        return;
    }
    const bool show = !txtOutput->isVisible();
    if (show) {
        showOutputView();
        txtOutput->setFocus();
    } else {
        showBrowserView();
        txtOutput->setVisible(false);
    }
    mnuLastOutput->setChecked(show);
}

void Form1::ReadOutput1_Error(const std::string& Error, std::int32_t LastDLLError) {
    pendingOutput_->flush();
    endProgress();
    messages().show("Error!\r\nDescription: " + Error +
                        "\r\nLastDLLError: " + std::to_string(LastDLLError),
                    "Error", ui::kMbIconStop);
    // Nothing ran, so the queue is kept and the browser comes back for another try.
    if (txtOutput->isVisible()) {
        showBrowserView();
        txtOutput->setVisible(false);
    }
}

bool Form1::askToExit(const std::vector<std::string>& missing) {
    if (missing.empty()) {
        return messages().show("Compiling Completed! Would you like to eixt?", "Success!",
                               ui::kMbYesNo) == ui::kIdYes;
    }
    const std::string text =
        "Compiling finished with errors. These files were not produced:" + listedNames(missing) +
        "\r\nWould you like to exit?";
    return messages().show(text, messages::kErrorTitle, ui::kMbYesNo + ui::kMbIconStop) ==
           ui::kIdYes;
}

void Form1::ReadOutput1_Complete() {
    pendingOutput_->flush();
    // The job as it was taken at Start: a registry value or an option changed meanwhile does not
    // send the check, the batch file's deletion or the folder window elsewhere.
    static const Job noJob;
    const Job& job = job_ ? *job_ : noJob;
    endProgress();
    mnuLastOutput->setEnabled(true);
    const bool leave = askToExit(finishJob(job));
    const std::string results = resultsFolder(job.batch);
    if (leave) {
        // A batch file that is already gone or cannot be removed must not keep the user here.
        (void)platform::deleteFile(gamepaths::batchFileRun(job.batch.gameFolder), true);
    }
    if (mnuOpen->isChecked()) {
        OpenFolderWindow(results);
    }
    if (leave) {
        close();
        return;
    }
    showBrowserView();
    List1->clear();
    List2->clear();
    txtOutput->setVisible(false);
}

} // namespace tolvane
