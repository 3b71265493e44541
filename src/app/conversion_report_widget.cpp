// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/conversion_report_widget.h"

#include <algorithm>

#include <QPainter>

namespace zelvo {
namespace {

constexpr int kMargin = 8;
constexpr int kBarHeight = 12;
constexpr int kNameWidth = 96;

}  // namespace

ConversionReportWidget::ConversionReportWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("conversionReport"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void ConversionReportWidget::SetReport(const OutputSizeReport& report) {
    report_ = report;
    update();
}

QSize ConversionReportWidget::sizeHint() const {
    const int line = fontMetrics().height();
    return {250, 2 * kMargin + line * (4 + static_cast<int>(kWaveMemories.size()))};
}

void ConversionReportWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height() + 4;
    QRect row(kMargin, kMargin, width() - 2 * kMargin, line);
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(palette().text().color());
    p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Conversion"));
    p.setFont(font());
    row.translate(0, line);
    // Warnings first: a refusal says why before any size.
    if (report_.refusal) {
        const QRect text = p.boundingRect(QRect(row.left(), row.top(), row.width(), 1000),
                                          Qt::TextWordWrap, QString::fromStdString(*report_.refusal));
        p.setPen(QColor(180, 30, 30));
        p.drawText(text, Qt::TextWordWrap, QString::fromStdString(*report_.refusal));
        return;
    }
    p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Wave file: %1").arg(QString::fromStdString(report_.size.SizeText())));
    row.translate(0, line + 4);
    for (const WaveMemory& memory : kWaveMemories) {
        const bool fits = report_.size.bytes <= memory.bytes;
        p.setPen(palette().text().color());
        p.drawText(QRect(row.left(), row.top(), kNameWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(memory.name));
        const QRect bar(row.left() + kNameWidth, row.top() + (line - kBarHeight) / 2,
                        row.width() - kNameWidth - 56, kBarHeight);
        const double share = static_cast<double>(report_.size.bytes) / static_cast<double>(memory.bytes);
        p.fillRect(bar, palette().alternateBase());
        p.fillRect(QRect(bar.left(), bar.top(),
                         static_cast<int>(bar.width() * std::min(share, 1.0)), bar.height()),
                   fits ? QColor(80, 160, 90) : QColor(200, 70, 60));
        p.setPen(palette().mid().color());
        p.drawRect(bar.adjusted(0, 0, -1, -1));
        p.setPen(fits ? palette().text().color() : QColor(180, 30, 30));
        const QString percent = QStringLiteral("%1 %").arg(qRound64(share * 100));
        p.drawText(QRect(bar.right() + 4, row.top(), 52, line), Qt::AlignRight | Qt::AlignVCenter,
                   percent);
        row.translate(0, line);
    }
}

}  // namespace zelvo
