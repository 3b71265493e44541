// SPDX-License-Identifier: GPL-3.0-or-later
// frmSplash: the translucent start-up window with the logo and version.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;

namespace zelvo {

class frmSplash : public QWidget {
    Q_OBJECT

public:
    // Loading the window runs its load step, so it is translucent from its
    // first frame.
    explicit frmSplash(QWidget* parent = nullptr);

    QFrame* fraMainFrame;
    QLabel* picLogo;
    QLabel* lblProductName;
    QLabel* lblVersion;

private:
    void Form_Load();
};

}  // namespace zelvo
