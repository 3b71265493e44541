// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_splash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/image_list.h"
#include "app/other.h"

namespace zelvo {
namespace {

constexpr std::uint8_t kSplashAlpha = 180;
// Design size and places in twips: a wide, low window.
constexpr int kWidth = 7200;
constexpr int kHeight = 2880;

}  // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      fraMainFrame(new QFrame(this)),
      picLogo(new QLabel(fraMainFrame)),
      lblProductName(new QLabel(QString::fromLatin1(kAppTitle), fraMainFrame)),
      lblVersion(new QLabel(fraMainFrame)) {
    setObjectName(QStringLiteral("frmSplash"));
    const QSize size(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    setFixedSize(size);

    fraMainFrame->setGeometry(rect());
    fraMainFrame->setFrameShape(QFrame::Box);
    fraMainFrame->setAutoFillBackground(true);
    fraMainFrame->setBackgroundRole(QPalette::Window);

    QFont nameFont(QStringLiteral("Sans Serif"), 24, QFont::Bold);
    nameFont.setStyleHint(QFont::SansSerif);
    lblProductName->setFont(nameFont);
    QPalette namePalette = lblProductName->palette();
    namePalette.setColor(QPalette::WindowText, QColor(0x28, 0x57, 0xb8));  // the logo's blue
    lblProductName->setPalette(namePalette);
    lblProductName->adjustSize();
    lblProductName->move(size.width() / 3, TwipsToPixels(120));

    const int logoTop = lblProductName->geometry().bottom() + TwipsToPixels(60);
    const QRect logo(TwipsToPixels(180), logoTop, size.width() - 2 * TwipsToPixels(180),
                     size.height() - logoTop - TwipsToPixels(330));
    picLogo->setGeometry(logo);
    picLogo->setPixmap(
        Artwork(QStringLiteral(":/splash-logo.svg"), logo.size(), devicePixelRatioF()));

    Form_Load();
    lblVersion->adjustSize();
    lblVersion->move(size.width() - lblVersion->width() - TwipsToPixels(180),
                     size.height() - lblVersion->height() - TwipsToPixels(90));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(screen.center() - rect().center());
}

void frmSplash::Form_Load() {
    lblVersion->setText(VersionLine());
    SetTranslucent(*this, kSplashAlpha);
}

}  // namespace zelvo
