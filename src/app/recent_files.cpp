// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "app/other.h"

namespace zelvo {
namespace {

const QString kRecentFilesKey = QStringLiteral("Recent/Files");

QSettings Settings() {
    return QSettings(QString::fromLatin1(kAppTitle), QString::fromLatin1(kAppTitle));
}

void StoreRecentFiles(const QStringList& files) {
    Settings().setValue(kRecentFilesKey, files);
}

// "&3 /home/me/Banks/Piano.sf2": an ampersand in a path is not an access key.
QString EntryText(int number, const QString& path) {
    QString text = QDir::toNativeSeparators(path);
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(number).arg(text);
}

}  // namespace

QStringList RecentFiles() {
    return Settings().value(kRecentFilesKey).toStringList();
}

void RememberRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    StoreRecentFiles(files.mid(0, kMaxRecentFiles));
}

QStringList PruneRecentFiles() {
    const QStringList stored = RecentFiles();
    QStringList existing;
    for (const QString& file : stored) {
        if (QFileInfo(file).isFile()) existing << file;
    }
    if (existing != stored) StoreRecentFiles(existing);
    return existing;
}

RecentFilesMenu::RecentFilesMenu(QWidget* parent) : QMenu(QStringLiteral("&Recent Files"), parent) {
    setObjectName(QStringLiteral("mnuFileRecent"));
}

void RecentFilesMenu::Fill() {
    clear();
    const QStringList files = PruneRecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* entry = addAction(EntryText(i + 1, path));
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { Q_EMIT FileChosen(path); });
    }
    menuAction()->setEnabled(!files.isEmpty());
}

}  // namespace zelvo
