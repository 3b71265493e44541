// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/other.h"

#include <cmath>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QWidget>

namespace zelvo {
namespace {

constexpr double kTwipsPerInch = 1440.0;

double ScreenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

}  // namespace

bool SetTranslucent(QWidget& window, std::uint8_t alpha) {
    const double opacity = alpha / 255.0;
    window.setWindowOpacity(opacity);
    return std::abs(window.windowOpacity() - opacity) < 0.01;
}

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * ScreenDpi() / kTwipsPerInch));
}

double PixelsToTwips(int pixels) {
    return pixels * kTwipsPerInch / ScreenDpi();
}

QString SingleText(double value) {
    const auto single = static_cast<float>(value);
    if (std::nearbyint(single) == single && std::abs(single) < 1e7f) {
        return QString::number(static_cast<long long>(single));
    }
    return QString::number(single, 'g', 7);
}

QString VersionLine() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(ZELVO_VERSION_MAJOR)
        .arg(ZELVO_VERSION_MINOR)
        .arg(ZELVO_VERSION_PATCH);
}

QString ManualFile() {
#ifdef ZELVO_MANUAL_FROM_BINDIR
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QStringLiteral(ZELVO_MANUAL_FROM_BINDIR));
#else
    return {};
#endif
}

BusyPointer::BusyPointer() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyPointer::~BusyPointer() {
    Release();
}

void BusyPointer::Release() {
    if (!active_) return;
    QApplication::restoreOverrideCursor();
    active_ = false;
}

}  // namespace zelvo
