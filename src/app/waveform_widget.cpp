#include "app/waveform_widget.h"

#include <algorithm>

#include <QLine>
#include <QPainter>
#include <QVector>

namespace zelvo {
namespace {

constexpr int kMargin = 4;
constexpr int kLabelHeight = 16;

int YOf(int point, const QRect& area) {
    // 32767 at the top, -32768 at the bottom.
    return area.top() + static_cast<int>((32767 - point) * static_cast<qint64>(area.height() - 1) / 65535);
}

}  // namespace

WaveformWidget::WaveformWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("waveform"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void WaveformWidget::SetSound(std::shared_ptr<const SampleSound> sound) {
    sound_ = std::move(sound);
    message_.clear();
    columnsWidth_ = -1;
    update();
}

void WaveformWidget::SetMessage(const QString& message) {
    sound_.reset();
    message_ = message;
    columns_.clear();
    columnsWidth_ = -1;
    update();
}

QRect WaveformWidget::PlotArea() const {
    return rect().adjusted(kMargin, kMargin + kLabelHeight, -kMargin, -kMargin);
}

void WaveformWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QRect area = PlotArea();
    QColor frame = palette().text().color();
    frame.setAlpha(50);
    p.setPen(frame);
    p.drawRect(area.adjusted(0, 0, -1, -1));
    if (!sound_ || sound_->points.empty()) {
        p.setPen(palette().placeholderText().color());
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                   message_.isEmpty() ? QStringLiteral("No points") : message_);
        return;
    }
    if (columnsWidth_ != area.width()) {
        columns_ = WaveColumns(sound_->points, area.width());
        columnsWidth_ = area.width();
    }
    p.drawLine(area.left(), YOf(0, area), area.right(), YOf(0, area));
    const std::uint64_t count = sound_->points.size();
    if (sound_->HasLoop()) {
        const int from = area.left() + ColumnOfPoint(sound_->loopStart, count, area.width());
        const int to = area.left() + ColumnOfPoint(sound_->loopEnd, count, area.width());
        QColor loop = palette().highlight().color();
        loop.setAlpha(35);
        p.fillRect(QRect(from, area.top(), std::max(1, to - from), area.height()), loop);
        QColor marker = palette().highlight().color().darker(120);
        p.setPen(QPen(marker, 1, Qt::DashLine));
        p.drawLine(from, area.top(), from, area.bottom());
        p.drawLine(to, area.top(), to, area.bottom());
        // One label over the loop, kept inside the plot when the loop is narrow.
        p.setPen(marker);
        const QString label = QStringLiteral("Loop %1 - %2").arg(sound_->loopStart).arg(sound_->loopEnd);
        const int labelWidth = p.fontMetrics().horizontalAdvance(label) + 8;
        const int left = std::clamp((from + to - labelWidth) / 2, area.left(), area.right() - labelWidth);
        p.drawText(QRect(left, area.top() - kLabelHeight, labelWidth, kLabelHeight), Qt::AlignCenter, label);
    }
    QVector<QLine> lines;
    lines.reserve(static_cast<qsizetype>(columns_.size()));
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const int x = area.left() + static_cast<int>(c);
        lines.append(QLine(x, YOf(columns_[c].max, area), x, YOf(columns_[c].min, area)));
    }
    p.setPen(QColor(30, 100, 170));
    p.drawLines(lines);
}

}  // namespace zelvo
