// SPDX-License-Identifier: GPL-3.0-or-later
// The loop's seam: the points before the loop end joined to those from the
// loop start, drawn point by point so that a click shows as a jump.
#pragma once

#include <optional>

#include <QWidget>

#include "browser/sample_view.h"

namespace zelvo {

class SeamWidget : public QWidget {
    Q_OBJECT

public:
    explicit SeamWidget(QWidget* parent = nullptr);

    void SetSeam(std::optional<SeamPoints> seam);

    QSize sizeHint() const override { return {260, 160}; }
    QSize minimumSizeHint() const override { return {160, 90}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<SeamPoints> seam_;
};

}  // namespace zelvo
