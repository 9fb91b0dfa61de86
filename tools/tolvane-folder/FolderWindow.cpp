#include "FolderWindow.h"

#include "platform/files.h"
#include "platform/winpath.h"

#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <QStackedLayout>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace tolvane {

namespace {

constexpr int kFolderRole = Qt::UserRole + 1;

// Sizes as folder windows show them: whole kilobytes, rounded up, so a small file is never
// shown as empty.
QString sizeText(std::uint64_t bytes) {
    const std::uint64_t kilobytes = (bytes + 1023) / 1024;
    return QLocale().toString(static_cast<qulonglong>(kilobytes)) + QStringLiteral(" KB");
}

QString typeText(const platform::FileInfo& entry) {
    if (entry.isFolder) {
        return QStringLiteral("File Folder");
    }
    const auto dot = entry.name.rfind('.');
    if (dot == std::string::npos || dot + 1 == entry.name.size()) {
        return QStringLiteral("File");
    }
    return QString::fromStdString(entry.name.substr(dot + 1)).toUpper() + QStringLiteral(" File");
}

bool listedBefore(const platform::FileInfo& a, const platform::FileInfo& b) {
    if (a.isFolder != b.isFolder) {
        return a.isFolder;
    }
    const QString nameA = QString::fromStdString(a.name);
    const QString nameB = QString::fromStdString(b.name);
    const int folded = nameA.compare(nameB, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : nameA < nameB;
}

bool sameListing(const std::vector<platform::FileInfo>& a,
                 const std::vector<platform::FileInfo>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.name == y.name && x.isFolder == y.isFolder && x.size == y.size &&
               x.modified == y.modified;
    });
}

} // namespace

FolderWindow::FolderWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FolderWindow"));
    resize(800, 600);

    contents_ = new QTreeWidget(this);
    contents_->setObjectName(QStringLiteral("contents"));
    contents_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"),
                                QStringLiteral("Type"), QStringLiteral("Date Modified")});
    contents_->setRootIsDecorated(false);
    contents_->setUniformRowHeights(true);
    contents_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    contents_->setColumnWidth(NameColumn, 360);
    contents_->setColumnWidth(SizeColumn, 90);
    contents_->setColumnWidth(TypeColumn, 130);
    contents_->setColumnWidth(ModifiedColumn, 170);
    connect(contents_, &QTreeWidget::itemActivated, this, &FolderWindow::openItem);

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setWordWrap(true);
    notice_->setMargin(24);
    notice_->setBackgroundRole(QPalette::Base);
    notice_->setAutoFillBackground(true);

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(contents_);
    stack_->addWidget(notice_);
}

void FolderWindow::openFolder(const std::string& winPath) {
    folder_ = winPath;
    setWindowTitle(QString::fromStdString(winPath));
    contents_->clear();
    shown_.clear();
    listed_ = false;
    refresh();
    if (contents_->topLevelItemCount() > 0) {
        contents_->setCurrentItem(contents_->topLevelItem(0));
    }
}

void FolderWindow::refresh() {
    const QString path = QString::fromStdString(folder_);
    if (!platform::folderExists(folder_)) {
        showNotice(QStringLiteral("The folder %1 does not exist.").arg(path));
        return;
    }
    std::vector<platform::FileInfo> entries;
    if (const auto error = platform::listFolder(folder_, entries)) {
        showNotice(QStringLiteral("The folder %1 cannot be read: %2")
                       .arg(path, QString::fromStdString(error.message)));
        return;
    }
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const platform::FileInfo& e) { return e.hidden; }),
                  entries.end());
    std::sort(entries.begin(), entries.end(), listedBefore);
    if (listed_ && sameListing(entries, shown_)) {
        // Nothing changed: the user's selection and a click in progress stay undisturbed.
        return;
    }

    // Keep the user's place across a refresh.
    const QTreeWidgetItem* current = contents_->currentItem();
    const QString currentName = current ? current->text(NameColumn) : QString();
    const int scrolled =
        contents_->verticalScrollBar() ? contents_->verticalScrollBar()->value() : 0;

    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    QTreeWidgetItem* again = nullptr;
    for (const auto& entry : entries) {
        auto* item = new QTreeWidgetItem;
        const QString name = QString::fromStdString(entry.name);
        item->setText(NameColumn, name);
        item->setIcon(NameColumn, entry.isFolder ? folderIcon : fileIcon);
        item->setData(NameColumn, kFolderRole, entry.isFolder);
        if (!entry.isFolder) {
            item->setText(SizeColumn, sizeText(entry.size));
            item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setText(TypeColumn, typeText(entry));
        item->setText(ModifiedColumn,
                      QLocale().toString(QDateTime::fromSecsSinceEpoch(entry.modified),
                                         QLocale::ShortFormat));
        if (name == currentName) {
            again = item;
        }
        items.append(item);
    }
    contents_->clear();
    contents_->addTopLevelItems(items);
    if (again) {
        contents_->setCurrentItem(again);
    }
    contents_->verticalScrollBar()->setValue(scrolled);
    notice_->clear();
    stack_->setCurrentWidget(contents_);
    shown_ = std::move(entries);
    listed_ = true;
}

void FolderWindow::openParent() {
    const std::string parent = platform::parentOf(folder_);
    if (!parent.empty()) {
        openFolder(parent);
    }
}

QString FolderWindow::notice() const {
    return stack_->currentWidget() == notice_ ? notice_->text() : QString();
}

void FolderWindow::openItem(QTreeWidgetItem* item) {
    if (item && item->data(NameColumn, kFolderRole).toBool()) {
        openFolder(platform::joinFolder(folder_, item->text(NameColumn).toStdString()));
    }
}

void FolderWindow::showNotice(const QString& text) {
    contents_->clear();
    shown_.clear();
    listed_ = false;
    notice_->setText(text);
    stack_->setCurrentWidget(notice_);
}

void FolderWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Files may have come and gone while the user was elsewhere.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !folder_.empty()) {
        refresh();
    }
}

void FolderWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F5) {
        refresh();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        openParent();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tolvane
