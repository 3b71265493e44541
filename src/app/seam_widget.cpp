// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/seam_widget.h"

#include <algorithm>

#include <QPainter>
#include <QPolygonF>

namespace zelvo {
namespace {

constexpr int kMargin = 4;
constexpr int kLabelHeight = 16;

}  // namespace

SeamWidget::SeamWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("seam"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

void SeamWidget::SetSeam(std::optional<SeamPoints> seam) {
    seam_ = std::move(seam);
    update();
}

void SeamWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    QRect area = rect().adjusted(kMargin, kMargin + kLabelHeight, -kMargin, -kMargin);
    QColor frame = palette().text().color();
    frame.setAlpha(50);
    p.setPen(frame);
    p.drawRect(area.adjusted(0, 0, -1, -1));
    p.setPen(palette().text().color());
    p.drawText(QRect(area.left(), kMargin, area.width(), kLabelHeight),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Loop seam"));
    if (!seam_ || seam_->points.size() < 2) {
        p.setPen(palette().placeholderText().color());
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, QStringLiteral("No loop"));
        return;
    }
    // The curve above a strip for the two labels, so that it never covers them.
    const QRect labels(area.left() + 4, area.bottom() - kLabelHeight, area.width() - 8, kLabelHeight);
    area.setBottom(labels.top() - 1);
    // Scaled to the points shown, so that a small step at the join is seen.
    const auto [lo, hi] = std::minmax_element(seam_->points.begin(), seam_->points.end());
    const double low = std::min<double>(*lo, -1), high = std::max<double>(*hi, 1);
    const double span = std::max(high - low, 1.0);
    const double step = static_cast<double>(area.width() - 1) / static_cast<double>(seam_->points.size() - 1);
    const auto at = [&](std::size_t i) {
        return QPointF(area.left() + step * static_cast<double>(i),
                       area.top() + 4 + (high - seam_->points[i]) * (area.height() - 9) / span);
    };
    const double joinX = area.left() + step * (static_cast<double>(seam_->joinAt) - 0.5);
    p.setPen(QPen(palette().highlight().color(), 1, Qt::DashLine));
    p.drawLine(QPointF(joinX, area.top()), QPointF(joinX, area.bottom()));
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF before, after;
    for (std::size_t i = 0; i < seam_->points.size(); ++i)
        (i < seam_->joinAt ? before : after).append(at(i));
    if (!before.isEmpty() && !after.isEmpty()) before.append(after.front());
    p.setPen(QPen(QColor(30, 100, 170), 1.5));
    p.drawPolyline(before);
    p.setPen(QPen(QColor(200, 90, 30), 1.5));
    p.drawPolyline(after);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    p.setFont(small);
    p.setPen(palette().placeholderText().color());
    p.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("before loop end"));
    p.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("from loop start"));
}

}  // namespace zelvo
