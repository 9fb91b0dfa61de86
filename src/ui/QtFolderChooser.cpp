#include "ui/QtFolderChooser.h"

#include <QFile>
#include <QFileDialog>

namespace tolvane {

std::string QtFolderChooser::chooseFolder(const std::string& title, const std::string& start) {
    // Host paths are the file system's bytes, which need not be UTF-8.
    const QString picked =
        QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title),
                                          QFile::decodeName(QByteArray::fromStdString(start)));
    return QFile::encodeName(picked).toStdString();
}

} // namespace tolvane
