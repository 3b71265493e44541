// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/key_map_widget.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "browser/names.h"

namespace zelvo {
namespace {

constexpr int kKeyboardHeight = 22;
constexpr int kLabelHeight = 16;  // octave names above the zones
constexpr int kMargin = 4;

bool IsBlackKey(int key) {
    const int n = key % 12;
    return n == 1 || n == 3 || n == 6 || n == 8 || n == 10;
}

QString Note(int key) {
    return QString::fromStdString(NoteName(key).value_or(""));
}

// Zones one after the other in hues far apart, so neighbours differ.
QColor ZoneColor(std::size_t index) {
    return QColor::fromHsv(static_cast<int>((index * 137) % 360), 110, 235);
}

QRect Translated(const KeyMapRect& r, const QRect& area) {
    return {area.left() + r.left, area.top() + r.top, std::max(1, r.width), std::max(1, r.height)};
}

}  // namespace

KeyMapWidget::KeyMapWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("keyMap"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void KeyMapWidget::SetZones(std::vector<KeyMapZone> zones, const QString& itemWord) {
    zones_ = std::move(zones);
    itemWord_ = itemWord;
    update();
}

QSize KeyMapWidget::sizeHint() const {
    return {640, 170};
}

QSize KeyMapWidget::minimumSizeHint() const {
    return {256, 110};
}

QRect KeyMapWidget::ZoneArea() const {
    return rect().adjusted(kMargin, kMargin + kLabelHeight, -kMargin, -kMargin - kKeyboardHeight);
}

QRect KeyMapWidget::KeyboardArea() const {
    const QRect zones = ZoneArea();
    return {zones.left(), zones.bottom() + 1, zones.width(), kKeyboardHeight};
}

void KeyMapWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    PaintGrid(p, ZoneArea());
    PaintZones(p, ZoneArea());
    PaintKeyboard(p, KeyboardArea());
}

void KeyMapWidget::PaintGrid(QPainter& p, const QRect& area) const {
    QColor line = palette().text().color();
    line.setAlpha(40);
    p.setPen(line);
    const QColor label = palette().placeholderText().color();
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    p.setFont(small);
    for (int key = 0; key < kKeyCount; key += 12) {
        const int x = area.left() + key * area.width() / kKeyCount;
        p.setPen(line);
        p.drawLine(x, area.top(), x, area.bottom());
        p.setPen(label);
        p.drawText(QRect(x + 2, area.top() - kLabelHeight, 40, kLabelHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, Note(key));
    }
    p.setPen(line);
    p.drawRect(area.adjusted(0, 0, -1, -1));
}

void KeyMapWidget::PaintZones(QPainter& p, const QRect& area) const {
    QFont label = font();
    label.setPointSizeF(label.pointSizeF() * 0.9);
    p.setFont(label);
    const QFontMetrics metrics = p.fontMetrics();
    // Narrow zones, as many as a piano has, go without a label.
    const int labelWidth = metrics.horizontalAdvance(QLatin1Char('M')) * 2;
    for (std::size_t i = 0; i < zones_.size(); ++i) {
        const KeyMapZone& z = zones_[i];
        const QRect r = Translated(ZoneRect(z, area.width(), area.height()), area);
        QColor fill = ZoneColor(i);
        fill.setAlpha(170);
        p.fillRect(r, fill);
        p.setPen(fill.darker(170));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (z.rootKey >= 0 && z.rootKey < kKeyCount) {
            // The root key: a dark bar across the zone's foot.
            const int x = area.left() + z.rootKey * area.width() / kKeyCount;
            const int w = std::max(2, area.width() / kKeyCount);
            p.fillRect(QRect(x, r.bottom() - 4, w, 5), fill.darker(220));
        }
        const QRect inside = r.adjusted(3, 1, -3, -1);
        if (inside.width() > labelWidth && inside.height() >= metrics.ascent()) {
            p.setPen(Qt::black);
            const bool thin = inside.height() < 2 * metrics.height();
            p.drawText(inside, Qt::AlignLeft | (thin ? Qt::AlignVCenter : Qt::AlignTop),
                       metrics.elidedText(QString::fromStdString(z.sampleName), Qt::ElideRight, inside.width()));
        }
    }
}

void KeyMapWidget::PaintKeyboard(QPainter& p, const QRect& area) const {
    p.fillRect(area, Qt::white);
    p.setPen(QColor(160, 160, 160));
    for (int key = 0; key <= kKeyCount; ++key) {
        const int x = area.left() + key * area.width() / kKeyCount;
        if (key < kKeyCount && IsBlackKey(key)) {
            const int next = area.left() + (key + 1) * area.width() / kKeyCount;
            p.fillRect(QRect(x, area.top(), std::max(1, next - x), area.height() * 3 / 5),
                       QColor(40, 40, 40));
        } else if (key % 12 == 0 || key % 12 == 5) {
            p.drawLine(x, area.top(), x, area.bottom());  // between B-C and E-F
        }
    }
    if (pressedKey_) {
        const int x = area.left() + *pressedKey_ * area.width() / kKeyCount;
        const int next = area.left() + (*pressedKey_ + 1) * area.width() / kKeyCount;
        p.fillRect(QRect(x, area.top(), std::max(2, next - x), area.height()),
                   palette().highlight());
    }
    p.setPen(QColor(120, 120, 120));
    p.drawRect(area.adjusted(0, 0, -1, -1));
}

std::optional<std::size_t> KeyMapWidget::ZoneUnder(QPoint at) const {
    const QRect area = ZoneArea();
    if (!area.contains(at)) return std::nullopt;
    return ZoneAt(zones_, KeyAt(at.x() - area.left(), area.width()),
                  VelocityAt(at.y() - area.top(), area.height()));
}

void KeyMapWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton) return;
    if (KeyboardArea().contains(at)) {
        pressedKey_ = KeyAt(at.x() - KeyboardArea().left(), KeyboardArea().width());
        update();
        Q_EMIT KeyPressed(*pressedKey_);
    } else if (const std::optional<std::size_t> zone = ZoneUnder(at)) {
        Q_EMIT ZoneClicked(*zone);
    }
}

void KeyMapWidget::mouseReleaseEvent(QMouseEvent*) {
    if (!pressedKey_) return;
    pressedKey_.reset();
    update();
    Q_EMIT KeyReleased();
}

bool KeyMapWidget::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QRect keys = KeyboardArea();
    if (keys.contains(help->pos())) {
        const int key = KeyAt(help->pos().x() - keys.left(), keys.width());
        QToolTip::showText(help->globalPos(),
                           QStringLiteral("%1 (%2): press to play").arg(Note(key)).arg(key), this);
    } else if (const std::optional<std::size_t> i = ZoneUnder(help->pos())) {
        const KeyMapZone& z = zones_[*i];
        QString text = QStringLiteral("%1: %2\nKeys: %3 (%4 - %5)\nVelocity: %6 - %7")
                           .arg(itemWord_, QString::fromStdString(z.sampleName),
                                QString::fromStdString(KeyRangeText(z.keyLo, z.keyHi)))
                           .arg(z.keyLo)
                           .arg(z.keyHi)
                           .arg(z.velLo)
                           .arg(z.velHi);
        if (z.rootKey >= 0) text += QStringLiteral("\nRoot: %1 (%2)").arg(Note(z.rootKey)).arg(z.rootKey);
        QToolTip::showText(help->globalPos(), text + QStringLiteral("\nClick to select it"), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

}  // namespace zelvo
