#include "app/frm_info.h"

#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

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
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
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
    const QSize size(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    setFixedSize(size);

    // A white sheet behind the labels, so the texts read as one document.
    auto* sheet = new QFrame(this);
    sheet->setFrameShape(QFrame::StyledPanel);
    sheet->setFrameShadow(QFrame::Sunken);
    sheet->setAutoFillBackground(true);
    sheet->setBackgroundRole(QPalette::Base);
    sheet->setGeometry(TwipsToPixels(kLabelLeft / 2), TwipsToPixels(kFirstTop / 2),
                       size.width() - TwipsToPixels(kLabelLeft),
                       TwipsToPixels(kFirstTop + 11 * kLineStep + kCommentHeight));
    sheet->lower();

    const int left = TwipsToPixels(kLabelLeft);
    const int width = size.width() - 2 * left;
    int top = kFirstTop;
    for (QLabel* label : Labels()) {
        const bool comment = label == lblICMT;
        label->setGeometry(left, TwipsToPixels(top), width,
                           TwipsToPixels(comment ? kCommentHeight : kLineHeight));
        label->setAlignment(Qt::AlignLeft | (comment ? Qt::AlignTop : Qt::AlignVCenter));
        label->setWordWrap(comment);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        top += kLineStep;
    }

    cmdClose->setDefault(true);
    cmdClose->setGeometry(size.width() - TwipsToPixels(1260 + 240),
                          size.height() - TwipsToPixels(375 + 180), TwipsToPixels(1260),
                          TwipsToPixels(375));
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
