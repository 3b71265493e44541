// SPDX-License-Identifier: GPL-3.0-or-later
// The key map: zones as rectangles over MIDI keys 0..127 and velocities
// 1..127, root keys marked, a keyboard strip along the bottom. It paints
// the model of browser/instrument_view.h and reports clicks.
#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "browser/instrument_view.h"

namespace zelvo {

class KeyMapWidget : public QWidget {
    Q_OBJECT

public:
    explicit KeyMapWidget(QWidget* parent = nullptr);

    // itemWord names what a rectangle stands for in its tooltip ("Sample",
    // "Instrument"); roots are marked where rootKey is 0..127.
    void SetZones(std::vector<KeyMapZone> zones, const QString& itemWord);
    const std::vector<KeyMapZone>& Zones() const { return zones_; }

    // The zones' area and the keyboard strip, in widget coordinates.
    QRect ZoneArea() const;
    QRect KeyboardArea() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void ZoneClicked(std::size_t index);
    // A key of the strip pressed and released again.
    void KeyPressed(int key);
    void KeyReleased();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::optional<std::size_t> ZoneUnder(QPoint at) const;
    void PaintGrid(QPainter& p, const QRect& area) const;
    void PaintZones(QPainter& p, const QRect& area) const;
    void PaintKeyboard(QPainter& p, const QRect& area) const;

    std::vector<KeyMapZone> zones_;
    QString itemWord_;
    std::optional<int> pressedKey_;
};

}  // namespace zelvo
