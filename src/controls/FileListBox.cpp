#include "controls/FileListBox.h"

#include "platform/files.h"

#include <QMouseEvent>
#include <QSet>

#include <algorithm>

namespace tolvane {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
}

bool FileListBox::setPath(const QString& winPath, QString* why) {
    if (!populate(winPath, why)) {
        return false;
    }
    path_ = winPath;
    return true;
}

void FileListBox::refresh() {
    QSet<QString> selected;
    for (auto* item : selectedItems()) {
        selected.insert(item->text());
    }
    QString currentName = currentItem() ? currentItem()->text() : QString();
    if (!populate(path_, nullptr)) {
        clear();
        return;
    }
    for (int i = 0; i < count(); ++i) {
        if (selected.contains(item(i)->text())) {
            item(i)->setSelected(true);
        }
        if (item(i)->text() == currentName) {
            setCurrentItem(item(i), QItemSelectionModel::NoUpdate);
        }
    }
}

QString FileListBox::fileName(int index) const {
    auto* entry = item(index);
    return entry ? entry->text() : QString();
}

bool FileListBox::isSelected(int index) const {
    auto* entry = item(index);
    return entry && entry->isSelected();
}

bool FileListBox::populate(const QString& winPath, QString* why) {
    std::vector<platform::FileInfo> entries;
    if (auto error = platform::listFolder(winPath.toStdString(), entries)) {
        if (why) {
            *why = QString::fromStdString(error.message);
        }
        return false;
    }
    QStringList names;
    names.reserve(static_cast<qsizetype>(entries.size()));
    for (auto& entry : entries) {
        if (!entry.isFolder && !entry.hidden) {
            names.push_back(QString::fromStdString(entry.name));
        }
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
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
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit DblClick();
    }
}

} // namespace tolvane
