// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/save_places.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "app/other.h"

namespace zelvo {
namespace {

const QString kLastSaveFolderKey = QStringLiteral("Settings/LastSaveFolder");

}  // namespace

QString LastSaveFolder() {
    const QString stored =
        QSettings(QString::fromLatin1(kAppTitle), QString::fromLatin1(kAppTitle)).value(kLastSaveFolderKey).toString();
    if (!stored.isEmpty() && QFileInfo(stored).isDir()) return stored;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void RememberSaveFolder(const QString& path, bool isFolder) {
    const QString folder = isFolder ? QFileInfo(path).absoluteFilePath() : QFileInfo(path).absolutePath();
    QSettings(QString::fromLatin1(kAppTitle), QString::fromLatin1(kAppTitle)).setValue(kLastSaveFolderKey, folder);
}

}  // namespace zelvo
