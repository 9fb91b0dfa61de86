// The file browser and the selection list.

#include "mainwindow/Form1.h"

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "job/NameList.h"
#include "mainwindow/Messages.h"
#include "platform/files.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace tolvane {

using messages::kErrorTitle;

namespace {

// The names of the given rows of the file list that a Windows path can hold. The others are
// named in one box: joined to their folder, their names would lead to another file or to none,
// so nothing is done with them.
template <typename MessageBoxes>
QStringList usableNames(const FileListBox& File1, const std::vector<int>& rows, MessageBoxes& boxes,
                        const char* refusal) {
    QStringList usable;
    std::vector<std::string> refused;
    for (int row : rows) {
        if (File1.hasUsableName(row)) {
            usable.push_back(File1.fileName(row));
        } else {
            refused.push_back(File1.fileName(row).toStdString());
        }
    }
    if (!refused.empty()) {
        boxes.show(refusal + std::string("\n") + listedNames(refused, "\n"), kErrorTitle,
                   ui::kMbIconStop);
    }
    return usable;
}

constexpr const char* kNotQueued =
    "Windows programs cannot use the names of these files, so they were not queued:";
constexpr const char* kNotDeleted =
    "Windows programs cannot use the names of these files, so they were not deleted:";

} // namespace

void Form1::queueFiles(const QString& folder, const QStringList& names) {
    if (names.isEmpty()) {
        return;
    }
    // The path is joined as it stands, so a drive root ("C:\\") gives two separators in a row,
    // which is how the batch file gets it. A few entries go straight to their sorted place; for
    // a big batch, inserting one by one moves the list's tail every time, so all are appended
    // and sorted once.
    constexpr qsizetype kBatch = 32;
    const bool many = names.size() >= kBatch;
    if (many) {
        List1->setUpdatesEnabled(false);
        List1->setSortingEnabled(false);
    }
    for (const auto& name : names) {
        List1->addItem(makeSortedItem(folder + QLatin1Char('\\') + name));
    }
    if (many) {
        List1->sortItems(Qt::AscendingOrder);
        List1->setSortingEnabled(true);
        List1->setUpdatesEnabled(true);
    }
    List2->addItems(names);
}

void Form1::connectBrowser() {
    // The queue can hold many thousands of entries; rows of one height spare the lists from
    // measuring every entry when they lay themselves out.
    List1->setUniformItemSizes(true);
    List2->setUniformItemSizes(true);

    connect(Drive1, &DriveListBox::Change, this, &Form1::Drive1_Change);
    connect(Dir1, &DirListBox::Change, this, &Form1::Dir1_Change);
    connect(Dir1, &DirListBox::MouseDown, this, &Form1::Dir1_MouseDown);
    connect(File1, &FileListBox::MouseDown, this, &Form1::File1_MouseDown);
    connect(File1, &FileListBox::DblClick, this, &Form1::File1_DblClick);
    connect(List1, &QListWidget::itemDoubleClicked, this, &Form1::List1_DblClick);
    connect(KewlButtons1, &QPushButton::clicked, this, &Form1::KewlButtons1_Click);
    connect(KewlButtons3, &QPushButton::clicked, this, &Form1::KewlButtons3_Click);
    connect(mnuDelete, &QAction::triggered, this, &Form1::mnuDelete_Click);
    connect(mnuOpen, &QAction::triggered, this, [this] {
        // Qt flips a checkable item by itself before it reports the choice; flip it back so
        // that the handler alone decides the check mark.
        mnuOpen->setChecked(!mnuOpen->isChecked());
        mnuOpen_Click();
    });
}

void Form1::Drive1_Change() {
    const QString drive = Drive1->drive();
    QString why;
    if (Dir1->setPath(drive, &why)) {
        return;
    }
    // The drive cannot be read (a link to nowhere, no access): the browser keeps showing
    // what it showed before, and the user learns why.
    Drive1->restorePrevious();
    const QString text = QStringLiteral("Drive %1 cannot be read.\n\n%2").arg(drive.left(2), why);
    messages_->show(text.toStdString(), kErrorTitle, ui::kMbIconStop);
}

void Form1::Dir1_Change() {
    if (!File1->setPath(Dir1->path())) {
        // The folder has gone or cannot be read any more: the folder list moves up to the
        // nearest folder that still exists, and the file list follows it from there.
        Dir1->refresh();
    }
}

void Form1::Dir1_MouseDown(Qt::MouseButton Button, const QPoint& globalPos) {
    if (Button == Qt::RightButton) {
        mnuQuick->popup(globalPos);
    }
}

void Form1::File1_MouseDown(Qt::MouseButton Button, const QPoint& globalPos) {
    if (Button == Qt::RightButton) {
        mnuPopup->popup(globalPos);
    }
}

void Form1::File1_DblClick() {
    const int row = File1->currentRow();
    if (row >= 0) {
        queueFiles(Dir1->path(), usableNames(*File1, {row}, *messages_, kNotQueued));
    }
}

void Form1::KewlButtons1_Click() {
    // From the last entry to the first: the name list gets the selected files in reverse.
    std::vector<int> rows = File1->selectedRows();
    std::reverse(rows.begin(), rows.end());
    queueFiles(Dir1->path(), usableNames(*File1, rows, *messages_, kNotQueued));
}

void Form1::List1_DblClick() {
    QListWidgetItem* entry = List1->currentItem();
    if (!entry) {
        return;
    }
    const QString path = entry->text();
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
    delete List1->takeItem(List1->row(entry));
    for (int i = 0; i < List2->count(); ++i) {
        if (List2->item(i)->text() == name) {
            delete List2->takeItem(i);
            break;
        }
    }
}

void Form1::mnuDelete_Click() {
    const std::vector<int> rows = File1->selectedRows();
    if (rows.empty()) {
        return;
    }
    // Choosing Delete is the user's decision: no question, read-only files too. A file that
    // cannot be deleted does not stop the others; all failures are reported together.
    const QString folder = Dir1->path();
    const QStringList names = usableNames(*File1, rows, *messages_, kNotDeleted);
    std::vector<std::string> failures;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        const std::string path = (folder + QLatin1Char('\\') + *name).toStdString();
        if (auto error = platform::deleteFile(path, true)) {
            failures.push_back(path + ": " + error.message);
        }
    }
    if (!File1->refresh()) {
        Dir1->refresh();
    }
    if (!failures.empty()) {
        // Listed in the order of the file list.
        std::reverse(failures.begin(), failures.end());
        messages_->show("These files could not be deleted:\n" + listedNames(failures, "\n"),
                        kErrorTitle, ui::kMbIconStop);
    }
}

void Form1::mnuOpen_Click() {
    mnuOpen->setChecked(!mnuOpen->isChecked());
}

void Form1::KewlButtons3_Click() {
    close();
}

} // namespace tolvane
