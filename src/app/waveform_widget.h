// The waveform of a sample: the lowest and highest point of each pixel
// column, with its loop shaded and its ends marked.
#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "browser/sample_view.h"

namespace zelvo {

class WaveformWidget : public QWidget {
    Q_OBJECT

public:
    explicit WaveformWidget(QWidget* parent = nullptr);

    void SetSound(std::shared_ptr<const SampleSound> sound);
    // What shows in place of a waveform; an empty text shows none.
    void SetMessage(const QString& message);
    const std::shared_ptr<const SampleSound>& Sound() const { return sound_; }
    const QString& Message() const { return message_; }

    QSize sizeHint() const override { return {480, 160}; }
    QSize minimumSizeHint() const override { return {160, 90}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect PlotArea() const;

    std::shared_ptr<const SampleSound> sound_;
    QString message_;
    // The columns for the width they were made for; a resize makes them again.
    std::vector<WaveColumn> columns_;
    int columnsWidth_ = -1;
};

}  // namespace zelvo
