// SPDX-License-Identifier: GPL-3.0-or-later
// The waveform of a sample: a line through its points where they are fewer
// than the pixels, else the lowest and highest point of each pixel column,
// with its loop shaded and its ends marked. The wheel and Ctrl+plus/minus
// zoom about a point, the scroll bar moves along the sample, Fit shows it
// whole again.
#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "browser/sample_view.h"

class QScrollBar;
class QToolButton;

namespace zelvo {

class WaveformWidget : public QWidget {
    Q_OBJECT

public:
    explicit WaveformWidget(QWidget* parent = nullptr);

    // Shows the whole sound.
    void SetSound(std::shared_ptr<const SampleSound> sound);
    // What shows in place of a waveform; an empty text shows none.
    void SetMessage(const QString& message);
    const std::shared_ptr<const SampleSound>& Sound() const { return sound_; }
    const QString& Message() const { return message_; }
    // The points shown, and a zoom by factor about the point at fraction at of the width.
    WaveWindow Window() const { return window_; }
    void Zoom(double factor, double at = 0.5);
    void Fit();

    QSize sizeHint() const override { return {480, 180}; }
    QSize minimumSizeHint() const override { return {160, 110}; }

    QScrollBar* scroll = nullptr;
    QToolButton* cmdFit = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QRect PlotArea() const;
    void ShowWindow(WaveWindow window);
    void DrawLoop(QPainter& p, const QRect& area) const;
    void DrawPoints(QPainter& p, const QRect& area);

    std::shared_ptr<const SampleSound> sound_;
    QString message_;
    WaveWindow window_;
    // The columns for the window and width they were made for.
    std::vector<WaveColumn> columns_;
    WaveWindow columnsWindow_;
    int columnsWidth_ = -1;
};

}  // namespace zelvo
