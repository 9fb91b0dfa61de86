#include "controls/DirListBox.h"

#include "platform/files.h"
#include "platform/winpath.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

namespace tolvane {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(14);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    // A folder opens on a double-click only, whatever the desktop's single-click setting;
    // Enter is left to the window, whose default button answers it.
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        // A folder that has gone since the list was read cannot be opened; reading the list
        // again shows what is there now.
        if (item && !setPath(item->data(0, kPathRole).toString())) {
            refresh();
        }
    });
}

bool DirListBox::setPath(const QString& winPath, QString* why) {
    QString normal = QString::fromStdString(platform::normalizeWinPath(winPath.toStdString()));
    if (!populate(normal, why)) {
        return false;
    }
    if (normal != path_) {
        path_ = normal;
        emit Change();
    }
    return true;
}

void DirListBox::refresh() {
    std::string candidate = path_.toStdString();
    while (!candidate.empty()) {
        if (platform::folderExists(candidate) &&
            populate(QString::fromStdString(candidate), nullptr)) {
            QString found = QString::fromStdString(candidate);
            if (found != path_) {
                path_ = found;
                emit Change();
            }
            return;
        }
        candidate = platform::parentOf(candidate);
    }
}

bool DirListBox::populate(const QString& winPath, QString* why) {
    std::vector<platform::FileInfo> entries;
    if (auto error = platform::listFolderKinds(winPath.toStdString(), entries)) {
        if (why) {
            *why = QString::fromStdString(error.message);
        }
        return false;
    }
    std::vector<QString> subFolders;
    std::vector<QString> unusable;
    for (auto& entry : entries) {
        if (entry.isFolder && !entry.hidden) {
            subFolders.push_back(QString::fromStdString(entry.name));
            if (!platform::isUsableWindowsName(entry.name)) {
                unusable.push_back(subFolders.back());
            }
        }
    }
    std::sort(subFolders.begin(), subFolders.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });

    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    // Ancestors from the drive root down to the folder itself.
    std::string path = winPath.toStdString();
    std::vector<std::string> chain;
    for (std::string p = path; !p.empty(); p = platform::parentOf(p)) {
        chain.push_back(p);
    }
    std::reverse(chain.begin(), chain.end());
    QTreeWidgetItem* parent = nullptr;
    QTreeWidgetItem* current = nullptr;
    for (auto& p : chain) {
        QString label =
            QString::fromStdString(p.size() <= 3 ? p.substr(0, 2) + "\\" : platform::fileNameOf(p));
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, p.size() <= 3 ? label.toLower() : label);
        item->setIcon(0, openIcon);
        item->setData(0, kPathRole, QString::fromStdString(p));
        parent = item;
        current = item;
    }
    for (auto& name : subFolders) {
        auto* item = new QTreeWidgetItem(current);
        item->setText(0, name);
        item->setIcon(0, closedIcon);
        item->setData(0, kPathRole,
                      QString::fromStdString(platform::joinFolder(path, name.toStdString())));
        // No Windows path reaches a folder of such a name: shown, but it cannot be opened.
        if (std::find(unusable.begin(), unusable.end(), name) != unusable.end()) {
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
        }
    }
    expandAll();
    setCurrentItem(current);
    return true;
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void DirListBox::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->globalPosition().toPoint());
    if (event->button() == Qt::LeftButton) {
        QTreeWidget::mousePressEvent(event);
    }
}

} // namespace tolvane
