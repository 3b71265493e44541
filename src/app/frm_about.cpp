// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_about.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/image_list.h"
#include "app/other.h"

namespace zelvo {
namespace {

// Design size and places in twips; the picture is 138 x 123 pixels.
constexpr int kWidth = 6720;
constexpr int kHeight = 4200;
constexpr int kMargin = 240;
constexpr QSize kPictureSize(138, 123);

QFrame* Rule(QWidget* parent, const QColor& colour) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::NoFrame);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, colour);
    rule->setPalette(palette);
    return rule;
}

}  // namespace

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      picIcon(new QLabel(this)),
      lblTitle(new QLabel(this)),
      lblDescription(new QLabel(
          QStringLiteral("Converts a Soundfont 2 Instrument to a EX5 Yamaha S1 Wave"), this)),
      Line1{Rule(this, QColor(0x80, 0x80, 0x80)), Rule(this, Qt::white)},
      lblVersion(new QLabel(this)),
      lblDisclaimer(new QLabel(QStringLiteral("Copyright \u00A9 2026 the Zelvo developers. "
                                              "Licence: GNU GPL-3.0-or-later, no warranty."),
                               this)),
      Label1(new QLabel(QStringLiteral("Contact: the Zelvo developers."), this)),
      cmdOK(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Zelvo"));
    setWindowIcon(AppIcon());
    setModal(true);
    const int width = TwipsToPixels(kWidth);
    const int margin = TwipsToPixels(kMargin);
    setFixedSize(width, TwipsToPixels(kHeight));

    picIcon->setGeometry(QRect(QPoint(margin, margin), kPictureSize));
    picIcon->setPixmap(
        Artwork(QStringLiteral(":/about-picture.svg"), kPictureSize, devicePixelRatioF()));

    const int textLeft = picIcon->geometry().right() + margin;
    const int textWidth = width - textLeft - margin;
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(textLeft, margin, textWidth, TwipsToPixels(480));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setGeometry(textLeft, lblTitle->geometry().bottom() + TwipsToPixels(120),
                                textWidth, TwipsToPixels(720));

    const int ruleTop = picIcon->geometry().bottom() + margin;
    Line1[0]->setGeometry(margin / 2, ruleTop, width - margin, 1);
    Line1[1]->setGeometry(margin / 2, ruleTop + 1, width - margin, 1);

    const int lineHeight = TwipsToPixels(285);
    const int infoWidth = width - 3 * margin - TwipsToPixels(1260);
    lblVersion->setGeometry(margin, ruleTop + TwipsToPixels(180), infoWidth, lineHeight);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer->setGeometry(margin, lblVersion->geometry().bottom() + TwipsToPixels(30),
                               infoWidth, 2 * lineHeight);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(margin, lblDisclaimer->geometry().bottom() + TwipsToPixels(30), infoWidth,
                        lineHeight);
    for (QLabel* label : {lblDisclaimer, Label1}) {
        label->setForegroundRole(QPalette::PlaceholderText);
    }

    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setGeometry(width - margin - TwipsToPixels(1260), ruleTop + TwipsToPixels(180),
                       TwipsToPixels(1260), TwipsToPixels(375));
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Form_Load();
    if (owner) move(owner->geometry().center() - rect().center());
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::Form_Load() {
    lblVersion->setText(VersionLine());
    lblTitle->setText(QString::fromLatin1(kAppTitle));
}

}  // namespace zelvo
