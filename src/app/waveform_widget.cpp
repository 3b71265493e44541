// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/waveform_widget.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QLine>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVector>
#include <QWheelEvent>

namespace zelvo {
namespace {

constexpr int kMargin = 4;
constexpr int kLabelHeight = 16;
constexpr double kZoomStep = 2.0;
constexpr int kDotSpacing = 6;  // pixels between points from which each is marked

int YOf(int point, const QRect& area) {
    // 32767 at the top, -32768 at the bottom.
    return area.top() + static_cast<int>((32767 - point) * static_cast<qint64>(area.height() - 1) / 65535);
}

}  // namespace

WaveformWidget::WaveformWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("waveform"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    scroll = new QScrollBar(Qt::Horizontal);
    scroll->setObjectName(QStringLiteral("waveformScroll"));
    cmdFit = new QToolButton;
    cmdFit->setObjectName(QStringLiteral("cmdFit"));
    cmdFit->setText(QStringLiteral("Fit"));
    cmdFit->setToolTip(QStringLiteral("Show the whole sample (zoom with the wheel or Ctrl+plus and Ctrl+minus)"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(scroll, 1);
    bottom->addWidget(cmdFit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, 0, kMargin, 0);
    layout->addStretch(1);
    layout->addLayout(bottom);
    connect(cmdFit, &QToolButton::clicked, this, &WaveformWidget::Fit);
    connect(scroll, &QScrollBar::valueChanged, this, [this](int value) {
        ShowWindow({static_cast<std::uint64_t>(value), window_.count});
    });
    for (const auto& [keys, factor] : {std::pair{QKeySequence::ZoomIn, kZoomStep}, std::pair{QKeySequence::ZoomOut, 1 / kZoomStep}}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, factor = factor] { Zoom(factor); });
    }
    // Ctrl+= as well: plus is a shifted key on most keyboards.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), this), &QShortcut::activated, this,
            [this] { Zoom(kZoomStep); });
}

void WaveformWidget::SetSound(std::shared_ptr<const SampleSound> sound) {
    sound_ = std::move(sound);
    message_.clear();
    Fit();
}

void WaveformWidget::SetMessage(const QString& message) {
    sound_.reset();
    message_ = message;
    columns_.clear();
    Fit();
}

void WaveformWidget::Fit() {
    ShowWindow({0, sound_ ? sound_->points.size() : 0});
}

void WaveformWidget::Zoom(double factor, double at) {
    if (sound_) ShowWindow(ZoomWindow(window_, sound_->points.size(), factor, at));
}

// The scroll bar counts points: its page is the window.
void WaveformWidget::ShowWindow(WaveWindow window) {
    window_ = window;
    const std::uint64_t total = sound_ ? sound_->points.size() : 0;
    const QSignalBlocker quiet(scroll);
    scroll->setRange(0, static_cast<int>(std::min<std::uint64_t>(total - std::min(total, window.count), INT32_MAX)));
    scroll->setPageStep(static_cast<int>(std::min<std::uint64_t>(window.count, INT32_MAX)));
    scroll->setSingleStep(std::max(1, scroll->pageStep() / 10));
    scroll->setValue(static_cast<int>(window.first));
    scroll->setEnabled(window.count < total);
    cmdFit->setEnabled(window.count < total);
    update();
}

void WaveformWidget::wheelEvent(QWheelEvent* event) {
    const QRect area = PlotArea();
    const double at = (event->position().x() - area.left()) / std::max(1, area.width());
    const int steps = event->angleDelta().y();
    if (steps != 0) Zoom(std::pow(kZoomStep, steps / 120.0), at);
    event->accept();
}

QRect WaveformWidget::PlotArea() const {
    const int bottom = scroll->isVisible() ? height() - scroll->geometry().top() + kMargin : kMargin;
    return rect().adjusted(kMargin, kMargin + kLabelHeight, -kMargin, -bottom);
}

void WaveformWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QRect area = PlotArea();
    QColor frame = palette().text().color();
    frame.setAlpha(50);
    p.setPen(frame);
    p.drawRect(area.adjusted(0, 0, -1, -1));
    if (!sound_ || sound_->points.empty() || window_.count == 0) {
        p.setPen(palette().placeholderText().color());
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap,
                   message_.isEmpty() ? QStringLiteral("No points") : message_);
        return;
    }
    p.drawLine(area.left(), YOf(0, area), area.right(), YOf(0, area));
    DrawLoop(p, area);
    p.save();
    p.setClipRect(area);
    DrawPoints(p, area);
    p.restore();
}

// The loop shaded over the points shown, its ends marked, its label above.
void WaveformWidget::DrawLoop(QPainter& p, const QRect& area) const {
    if (!sound_->HasLoop()) return;
    const auto x = [&](std::uint64_t point) {
        const double shown = (static_cast<double>(point) - static_cast<double>(window_.first)) /
                             static_cast<double>(window_.count);
        return area.left() + static_cast<int>(std::clamp(shown, -0.01, 1.01) * area.width());
    };
    const int from = x(sound_->loopStart), to = x(sound_->loopEnd);
    QColor loop = palette().highlight().color();
    loop.setAlpha(35);
    p.fillRect(QRect(from, area.top(), std::max(1, to - from), area.height()).intersected(area), loop);
    QColor marker = palette().highlight().color().darker(120);
    p.setPen(QPen(marker, 1, Qt::DashLine));
    for (const int at : {from, to}) {
        if (at >= area.left() && at <= area.right()) p.drawLine(at, area.top(), at, area.bottom());
    }
    // One label over the loop, kept inside the plot when the loop is narrow.
    p.setPen(marker);
    const QString label = QString::fromStdString(LoopText(sound_->loopStart, sound_->loopEnd, sound_->rate));
    const int labelWidth = p.fontMetrics().horizontalAdvance(label) + 8;
    const int left = std::clamp((from + to - labelWidth) / 2, area.left(), std::max(area.left(), area.right() - labelWidth));
    p.drawText(QRect(left, area.top() - kLabelHeight, labelWidth, kLabelHeight), Qt::AlignCenter, label);
}

void WaveformWidget::DrawPoints(QPainter& p, const QRect& area) {
    const std::span<const std::int16_t> shown(sound_->points.data() + window_.first, window_.count);
    const QColor ink(30, 100, 170);
    if (DrawsLine(window_.count, area.width())) {
        // One point either side of the window, so the line runs to the edges.
        const std::uint64_t from = window_.first > 0 ? window_.first - 1 : 0;
        const std::uint64_t to = std::min<std::uint64_t>(sound_->points.size(), window_.first + window_.count + 1);
        QPainterPath line;
        for (std::uint64_t i = from; i < to; ++i) {
            // i - first, which is -1 for the point before the window.
            const double x = area.left() + PointX(i + 1, window_.count, area.width()) -
                             PointX(window_.first + 1, window_.count, area.width()) +
                             PointX(0, window_.count, area.width());
            const QPointF at(x, YOf(sound_->points[i], area));
            i == from ? line.moveTo(at) : line.lineTo(at);
        }
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(ink, 1.5));
        p.drawPath(line);
        if (PointX(1, window_.count, area.width()) - PointX(0, window_.count, area.width()) >= kDotSpacing) {
            p.setBrush(ink);
            for (std::uint64_t i = 0; i < window_.count; ++i)
                p.drawEllipse(QPointF(area.left() + PointX(i, window_.count, area.width()), YOf(shown[i], area)), 2, 2);
        }
        return;
    }
    if (columnsWidth_ != area.width() || columnsWindow_ != window_) {
        columns_ = WaveColumns(shown, area.width());
        columnsWidth_ = area.width();
        columnsWindow_ = window_;
    }
    QVector<QLine> lines;
    lines.reserve(static_cast<qsizetype>(columns_.size()));
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const int x = area.left() + static_cast<int>(c);
        lines.append(QLine(x, YOf(columns_[c].max, area), x, YOf(columns_[c].min, area)));
    }
    p.setPen(ink);
    p.drawLines(lines);
}

}  // namespace zelvo
