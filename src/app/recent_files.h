// SPDX-License-Identifier: GPL-3.0-or-later
// File > Recent Files: the last SoundFonts opened, most recent first, kept in
// the per-user settings so that they outlive the program.
#pragma once

#include <QMenu>
#include <QString>
#include <QStringList>

namespace zelvo {

inline constexpr int kMaxRecentFiles = 8;

// The list as stored, most recent first.
QStringList RecentFiles();
// Puts path at the front, once, and keeps at most kMaxRecentFiles.
void RememberRecentFile(const QString& path);
// Drops the files that no longer exist from the stored list; returns the rest.
QStringList PruneRecentFiles();

// The submenu of the recent files. Its owner calls Fill() as the menu around
// it opens, so that entries for files gone meanwhile never show.
class RecentFilesMenu : public QMenu {
    Q_OBJECT

public:
    explicit RecentFilesMenu(QWidget* parent);
    // Drops missing files, then lists the others; disabled when none is left.
    void Fill();

Q_SIGNALS:
    void FileChosen(const QString& path);
};

}  // namespace zelvo
