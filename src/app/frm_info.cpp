// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_info.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/image_list.h"
#include "app/other.h"
#include "app/soundfont_text.h"

namespace zelvo {
namespace {

// Design size and places in twips.
constexpr int kWidth = 8400;
constexpr int kHeight = 5220;
constexpr int kLabelLeft = 360;
constexpr int kFirstTop = 240;
constexpr int kLineStep = 240;
constexpr int kLineHeight = 255;
constexpr int kCommentHeight = 1455;

}  // namespace

frmInfo::frmInfo(const SoundFontModel& model, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      lblFileName(new QLabel(QStringLiteral("lblFileName"), this)),
      lblifil(new QLabel(QStringLiteral("lblifil"), this)),
      lblisng(new QLabel(QStringLiteral("lblisng"), this)),
      lblirom(new QLabel(QStringLiteral("lblirom"), this)),
      lbliver(new QLabel(QStringLiteral("lbliver"), this)),
      lblINAM(new QLabel(QStringLiteral("lblINAM"), this)),
      lblICRD(new QLabel(QStringLiteral("lblICRD"), this)),
      lblIENG(new QLabel(QStringLiteral("lblIENG"), this)),
      lblIPRD(new QLabel(QStringLiteral("lblIPRD"), this)),
      lblICOP(new QLabel(QStringLiteral("lblICOP"), this)),
      lblISFT(new QLabel(QStringLiteral("lblISFT"), this)),
      lblICMT(new QLabel(QStringLiteral("lblICMT"), this)),
      cmdClose(new QPushButton(QStringLiteral("Close"), this)),
      model_(model) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Soundfont Information"));
    setWindowIcon(AppIcon());
    setModal(true);
    setSizeGripEnabled(true);
    resize(TwipsToPixels(kWidth), TwipsToPixels(kHeight));

    // The texts on a white sheet that scrolls: a comment may run to many lines.
    auto* sheet = new QWidget;
    auto* lines = new QVBoxLayout(sheet);
    lines->setContentsMargins(TwipsToPixels(kLabelLeft / 2), TwipsToPixels(kFirstTop / 2),
                              TwipsToPixels(kLabelLeft / 2), TwipsToPixels(kFirstTop / 2));
    lines->setSpacing(TwipsToPixels(kLineStep - kLineHeight) + 2);
    for (QLabel* label : Labels()) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMinimumHeight(TwipsToPixels(label == lblICMT ? kCommentHeight : kLineHeight));
        lines->addWidget(label);
    }
    lines->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("scrInfo"));
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Base);
    scroll->setWidget(sheet);

    cmdClose->setDefault(true);
    cmdClose->setMinimumSize(TwipsToPixels(1260), TwipsToPixels(375));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(TwipsToPixels(kLabelLeft / 2), TwipsToPixels(kFirstTop / 2),
                               TwipsToPixels(kLabelLeft / 2), TwipsToPixels(180));
    layout->addWidget(scroll, 1);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);
    connect(cmdClose, &QPushButton::clicked, this, &frmInfo::cmdClose_Click);
    Form_Load();
}

std::array<QLabel*, kInfoLineCount> frmInfo::Labels() const {
    return {lblFileName, lblifil, lblisng, lblirom, lbliver, lblINAM,
            lblICRD,     lblIENG, lblIPRD, lblICOP, lblISFT, lblICMT};
}

void frmInfo::cmdClose_Click() {
    accept();
}

void frmInfo::Form_Load() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(screen.center() - rect().center());
    const auto texts = InfoTexts(model_);
    const auto labels = Labels();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QByteArray text(texts[i].data(), static_cast<qsizetype>(texts[i].size()));
        // The first line names the file as the file system spells it.
        labels[i]->setText(i == 0 ? QFile::decodeName(text) : FromSoundFontText(texts[i]));
    }
    repaint();
}

}  // namespace zelvo
