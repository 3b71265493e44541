// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion report of the selected instrument: why the export would
// refuse it, if it would, then the size of its wave file with a bar against
// each EX5/7 wave memory and a floppy disk. It shows the plain report it is
// given and nothing else.
#pragma once

#include <QWidget>

#include "export/output_size.h"

namespace zelvo {

class ConversionReportWidget : public QWidget {
    Q_OBJECT

public:
    explicit ConversionReportWidget(QWidget* parent = nullptr);

    void SetReport(const OutputSizeReport& report);
    const OutputSizeReport& Report() const { return report_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {220, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OutputSizeReport report_;
};

}  // namespace zelvo
