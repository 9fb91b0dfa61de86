// Big jobs: the progress of a running job, stopping it, leaving out files already done, the
// warning about results that are not smaller than their packages, and files dropped onto the
// queue from the desktop's file manager.

#include "mainwindow/Form1.h"

#include "controls/FileListBox.h"
#include "job/NameList.h"
#include "job/ResultCheck.h"
#include "mainwindow/Messages.h"
#include "mainwindow/Twips.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/hostpath.h"
#include "platform/winpath.h"

#include <QAction>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <map>

namespace tolvane {

namespace {

// The output box's place in the output view; during a job it gives the bottom row to the bar.
const QRect kOutputBox = twipsRect(120, 120, 8655, 6795);
const QRect kOutputBoxWithBar = twipsRect(120, 120, 8655, 6345);
const QRect kProgressBar = twipsRect(120, 6540, 8655, 375);

// The files of the game's package kinds, which a dropped folder gives to the queue.
bool isPackage(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    const std::string extension = platform::foldCase(name.substr(dot + 1));
    for (const char* kind : {"u", "unr", "utx", "uax", "umx", "usx", "ukx", "upx", "uz"}) {
        if (extension == kind) {
            return true;
        }
    }
    return false;
}

} // namespace

void Form1::buildJobExtras() {
    ProgressBar1 = new QProgressBar(txtOutput->parentWidget());
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(kProgressBar);
    ProgressBar1->setVisible(false);

    mnuSkip = mnuOptions->addAction(QStringLiteral("&Skip Files Already Done"));
    mnuSkip->setObjectName(QStringLiteral("mnuSkip"));
    mnuSkip->setCheckable(true);
    connect(mnuSkip, &QAction::triggered, this, [this] {
        mnuSkip->setChecked(!mnuSkip->isChecked()); // the handler alone decides the mark
        mnuSkip_Click();
    });
    mnuStop = mnuOptions->addAction(QStringLiteral("S&top Job"));
    mnuStop->setObjectName(QStringLiteral("mnuStop"));
    mnuStop->setEnabled(false);
    connect(mnuStop, &QAction::triggered, this, &Form1::mnuStop_Click);
    mnuLastOutput = mnuOptions->addAction(QStringLiteral("Show Last &Output"));
    mnuLastOutput->setObjectName(QStringLiteral("mnuLastOutput"));
    mnuLastOutput->setCheckable(true);
    mnuLastOutput->setEnabled(false); // until a job has ended
    connect(mnuLastOutput, &QAction::triggered, this, [this] {
        mnuLastOutput->setChecked(!mnuLastOutput->isChecked()); // the handler alone decides
        mnuLastOutput_Click();
    });

    for (QWidget* target : {File1->viewport(), List1->viewport()}) {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }
}

void Form1::mnuSkip_Click() {
    mnuSkip->setChecked(!mnuSkip->isChecked());
}

void Form1::mnuStop_Click() {
    if (!ReadOutput1.busy() || stopped_) {
        return;
    }
    if (messages().show("Stop the job? Files already done are kept.", "Stop",
                        ui::kMbYesNo + ui::kMbIconQuestion + ui::kMbDefaultButton2) == ui::kIdYes) {
        stopped_ = true;
        ReadOutput1.Stop();
    }
}

void Form1::beginProgress(const Job& job) {
    progress_.emplace(job.text.lines, job.batch.mode);
    stopped_ = false;
    titleBeforeJob_ = windowTitle();
    // The bar counts what the title counts: files compressed, then files moved.
    ProgressBar1->setRange(0, static_cast<int>(progress_->steps()));
    txtOutput->setGeometry(kOutputBoxWithBar);
    ProgressBar1->setVisible(true);
    mnuStop->setEnabled(true);
    showProgress();
}

void Form1::showProgress() {
    progressToShow_ = false;
    if (!progress_) {
        return;
    }
    // Left alone, the bar paints itself at once for every new value; painted with the window's
    // next frame instead, together with the new output, it costs the job one frame, not two.
    ProgressBar1->setUpdatesEnabled(false);
    ProgressBar1->setValue(static_cast<int>(progress_->step()));
    ProgressBar1->setUpdatesEnabled(true);
    setWindowTitle(QString::fromStdString(progress_->caption()));
}

void Form1::endProgress() {
    // Whether the bar is up, also while the window is minimised or hidden.
    if (ProgressBar1->isHidden()) {
        return;
    }
    showProgress(); // where the job got to, for the last moment before the bar goes
    mnuStop->setEnabled(false);
    ProgressBar1->setVisible(false);
    txtOutput->setGeometry(kOutputBox);
    setWindowTitle(titleBeforeJob_);
}

std::vector<std::string> Form1::finishJob(const Job& job) {
    // The line that was running when the job was stopped is the last one the interpreter
    // echoed. Its tool's output is half written, unless it was there before this job.
    if (stopped_ && progress_) {
        removeHalfWritten(job, progress_->toolLineRunning());
    }
    // Both lists are taken as the job left its folders, before anyone answers a box.
    FolderIndex afterJob;
    const auto larger = resultsNotSmaller(job, afterJob);
    auto missing = missingResults(job, afterJob);
    if (!larger.empty()) {
        messages().show("These .uz files are not smaller than their packages. Game clients "
                        "older than version 469 crash when they download them:" +
                            listedNames(larger),
                        "Warning", ui::kMbIconExclamation);
    }
    return missing;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const bool target = watched == File1->viewport() || watched == List1->viewport();
    const auto type = event->type();
    if (!target ||
        (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    if (!drop->mimeData()->hasUrls() || !KewlButtons1->isVisible()) {
        return QMainWindow::eventFilter(watched, event);
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        OLEDragDrop(drop->mimeData()->urls());
    }
    return true;
}

namespace {

// What a drop gives: files to queue by Windows folder (a dropped folder gives the package files
// directly inside it), and the names refused.
struct Dropped {
    std::map<std::string, QStringList> byFolder;
    std::vector<std::string> outside;  // host paths no drive of the prefix covers
    std::vector<std::string> unusable; // names no Windows path can hold

    void take(const std::string& folder, const std::string& name) {
        if (platform::isUsableWindowsName(name)) {
            byFolder[folder].push_back(QString::fromStdString(name));
        } else {
            unusable.push_back(name);
        }
    }
    void add(const QUrl& url) {
        const std::string host = url.toLocalFile().toStdString();
        const auto winPath = host.empty() ? std::nullopt : platform::toWindowsPath(host);
        if (!winPath) {
            outside.push_back(host.empty() ? url.toString().toStdString() : host);
        } else if (platform::folderExists(*winPath)) {
            std::vector<platform::FileInfo> entries;
            (void)platform::listFolderKinds(*winPath, entries);
            for (const auto& entry : entries) {
                if (!entry.isFolder && !entry.hidden && isPackage(entry.name)) {
                    take(*winPath, entry.name);
                }
            }
        } else {
            // The host name: a backslash in it would make another file of the Windows path.
            take(platform::parentOf(*winPath), host.substr(host.rfind('/') + 1));
        }
    }
};

} // namespace

void Form1::OLEDragDrop(const QList<QUrl>& dropped) {
    Dropped files;
    for (const QUrl& url : dropped) {
        files.add(url);
    }
    for (const auto& [folder, names] : files.byFolder) {
        queueFiles(QString::fromStdString(folder), names);
    }
    if (!files.outside.empty()) {
        messages().show("These files lie outside every drive of the Wine prefix, so they were "
                        "not queued:" +
                            listedNames(files.outside),
                        messages::kErrorTitle, ui::kMbIconStop);
    }
    if (!files.unusable.empty()) {
        messages().show("Windows programs cannot use the names of these files, so they were not "
                        "queued:\n" +
                            listedNames(files.unusable, "\n"),
                        messages::kErrorTitle, ui::kMbIconStop);
    }
}

} // namespace tolvane
