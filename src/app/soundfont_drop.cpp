// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/soundfont_drop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace zelvo {

QString DroppedSoundFont(const QMimeData& data) {
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == QLatin1String("sf2") || suffix == QLatin1String("sf3")) return path;
    }
    return {};
}

SoundFontDrop::SoundFontDrop(QWidget& window, std::function<void(const QString&)> open)
    : QObject(&window), open_(std::move(open)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool SoundFontDrop::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = drop->mimeData() ? DroppedSoundFont(*drop->mimeData()) : QString();
    const Qt::DropActions possible = drop->possibleActions();
    if (path.isEmpty() || !(possible & (Qt::CopyAction | Qt::LinkAction))) {
        drop->ignore();
        return true;
    }
    // Opening only reads the file: a move would let the source delete it.
    drop->setDropAction(possible & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
    drop->accept();
    if (type == QEvent::Drop) QTimer::singleShot(0, this, [this, path] { open_(path); });
    return true;
}

}  // namespace zelvo
