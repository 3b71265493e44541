// SPDX-License-Identifier: GPL-3.0-or-later
// imlToolbarIcons: the 16 x 16 images of the toolbar, the menus and the
// browse tree, referred to by 1-based index.
#pragma once

#include <vector>

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace zelvo {

// Indices of the images the windows use besides the tree's own
// (kImageFile, kImagePreset, kImageInstrument, kImageSample).
enum ToolbarImage : int {
    kImageOpen = 2,
    kImageInfo = 13,
    kImageHelp = 14,
    kImageAbout = 15,
    kImageExit = 16,
    kImageSaveWave = 17,
};

class ImageList {
public:
    // The program's 22 images, drawn from scalable artwork so they stay sharp
    // at any screen resolution.
    static ImageList ToolbarIcons();

    int Count() const { return static_cast<int>(images_.size()); }
    // A null icon outside 1..Count().
    QIcon Image(int index) const;

private:
    std::vector<QIcon> images_;
};

// A picture of the artwork at a logical size, for the screen's pixel ratio.
QPixmap Artwork(const QString& resource, QSize size, qreal pixelRatio);

// The program's icon, for windows and the desktop.
QIcon AppIcon();

}  // namespace zelvo
