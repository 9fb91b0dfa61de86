#include "controls/FileListBox.h"

#include "platform/files.h"
#include "platform/winpath.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QSet>

#include <algorithm>

namespace tolvane {

namespace {

// The names in alphabetical order without regard to letter case. Folding every name once and
// comparing the folded keys is far cheaper than a case-insensitive compare inside the sort,
// which matters for folders with many thousands of files.
QStringList sortedIgnoringCase(QStringList names) {
    struct Keyed {
        QString key;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        keyed.push_back({names[i].toCaseFolded(), i});
    }
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : names[a.index] < names[b.index];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& entry : keyed) {
        sorted.push_back(std::move(names[entry.index]));
    }
    return sorted;
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
}

bool FileListBox::setPath(const QString& winPath, QString* why) {
    path_ = winPath;
    if (!populate(winPath, why)) {
        clear();
        return false;
    }
    return true;
}

bool FileListBox::refresh() {
    QSet<QString> selected;
    for (int row : selectedRows()) {
        selected.insert(item(row)->text());
    }
    const QString currentName = this->currentName();
    if (!populate(path_, nullptr)) {
        clear();
        return false;
    }
    if (selected.isEmpty() && currentName.isEmpty()) {
        return true;
    }
    QItemSelection selection;
    for (int i = 0; i < count(); ++i) {
        const QString name = item(i)->text();
        if (selected.contains(name)) {
            selection.select(model()->index(i, 0), model()->index(i, 0));
        }
        if (name == currentName) {
            setCurrentRow(i, QItemSelectionModel::NoUpdate);
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    return true;
}

bool FileListBox::hasUsableName(int index) const {
    auto* entry = item(index);
    return entry && !unusable_.contains(entry->text());
}

QString FileListBox::fileName(int index) const {
    auto* entry = item(index);
    return entry ? entry->text() : QString();
}

bool FileListBox::isSelected(int index) const {
    auto* entry = item(index);
    return entry && entry->isSelected();
}

std::vector<int> FileListBox::selectedRows() const {
    std::vector<int> rows;
    for (const auto& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString FileListBox::currentName() const {
    auto* entry = currentItem();
    return entry ? entry->text() : QString();
}

bool FileListBox::populate(const QString& winPath, QString* why) {
    std::vector<platform::FileInfo> entries;
    if (auto error = platform::listFolderKinds(winPath.toStdString(), entries)) {
        if (why) {
            *why = QString::fromStdString(error.message);
        }
        return false;
    }
    QStringList names;
    names.reserve(static_cast<qsizetype>(entries.size()));
    unusable_.clear();
    for (auto& entry : entries) {
        if (!entry.isFolder && !entry.hidden) {
            // Bytes that are not UTF-8 show as U+FFFD, as Wine shows them.
            names.push_back(QString::fromStdString(entry.name));
            if (!platform::isUsableWindowsName(entry.name)) {
                unusable_.insert(names.back());
            }
        }
    }
    names = sortedIgnoringCase(std::move(names));
    setUpdatesEnabled(false);
    clear();
    addItems(names);
    setUpdatesEnabled(true);
    return true;
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->globalPosition().toPoint());
    if (event->button() == Qt::LeftButton) {
        QListWidget::mousePressEvent(event);
    }
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool onEntry = itemAt(event->position().toPoint()) != nullptr;
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && onEntry) {
        emit DblClick();
    }
}

} // namespace tolvane
