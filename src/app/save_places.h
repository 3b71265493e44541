// SPDX-License-Identifier: GPL-3.0-or-later
// Where save dialogs start: the folder last saved to, kept in the settings,
// because a SoundFont's own folder is often read-only.
#pragma once

#include <QString>

namespace zelvo {

// The folder last saved to; the user's documents folder before the first save.
QString LastSaveFolder();
// Remembers the folder of path (a file) or path itself (a folder).
void RememberSaveFolder(const QString& path, bool isFolder);

}  // namespace zelvo
