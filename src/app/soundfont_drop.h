// SPDX-License-Identifier: GPL-3.0-or-later
// Dropping a SoundFont file on a window opens it.
#pragma once

#include <functional>

#include <QObject>
#include <QString>

class QMimeData;
class QWidget;

namespace zelvo {

// The first local .sf2 or .sf3 file among the dropped items; empty when none.
QString DroppedSoundFont(const QMimeData& data);

// Makes window accept drops of SoundFont files and hands each dropped file to
// open once the drop has ended, so that a long load never holds up the
// program the file came from. Lives as the window's child.
class SoundFontDrop : public QObject {
public:
    SoundFontDrop(QWidget& window, std::function<void(const QString&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> open_;
};

}  // namespace zelvo
