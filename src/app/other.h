// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers the windows share: translucency, twips, the busy pointer and
// the version line.
#pragma once

#include <cstdint>

#include <QString>

class QWidget;

namespace zelvo {

// Makes window translucent with alpha out of 255, from its first frame when
// called before it is shown. False when the window did not take the opacity;
// a platform without translucent windows shows it opaque either way.
bool SetTranslucent(QWidget& window, std::uint8_t alpha);

// Window geometry is designed in twips (1/1440 inch); the screen's logical
// resolution turns them into pixels, 15 twips a pixel at 96 dpi.
int TwipsToPixels(int twips);
double PixelsToTwips(int pixels);

// A number as a single-precision value with at most seven significant
// digits, without a decimal point when whole: how placement settings are kept.
QString SingleText(double value);

// "Version 0.1.83"
QString VersionLine();

// The help-file setting: the HTML manual where it is installed beside the
// program; empty for a build without a manual.
QString ManualFile();

// The application title: window captions, settings, message boxes.
inline constexpr char kAppTitle[] = "Zelvo";

// The hourglass for the whole application while it lives.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    // Back to the normal pointer before the end of the scope.
    void Release();

private:
    bool active_ = true;
};

}  // namespace zelvo
