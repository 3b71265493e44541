// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/image_list.h"

#include <array>

#include <QPainter>
#include <QSvgRenderer>

namespace zelvo {
namespace {

// In image-list order, index 1 first.
constexpr std::array<const char*, 22> kImageFiles = {
    "new",       "open",   "save",       "print",  "cut",        "file",   "copy",  "paste",
    "delete",    "undo",   "redo",       "find",   "info",       "help",   "about", "exit",
    "save-wave", "folder", "properties", "preset", "instrument", "sample",
};

}  // namespace

ImageList ImageList::ToolbarIcons() {
    ImageList list;
    for (const char* name : kImageFiles) {
        const QString file = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
        QIcon icon(file);
        // Selected nodes keep their colours rather than a faded copy.
        icon.addFile(file, QSize(), QIcon::Selected);
        list.images_.push_back(icon);
    }
    return list;
}

QIcon ImageList::Image(int index) const {
    if (index < 1 || index > Count()) return {};
    return images_[static_cast<std::size_t>(index - 1)];
}

QPixmap Artwork(const QString& resource, QSize size, qreal pixelRatio) {
    QPixmap pixmap(size * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon AppIcon() {
    return QIcon(QStringLiteral(":/zelvo.svg"));
}

}  // namespace zelvo
