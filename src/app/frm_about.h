// SPDX-License-Identifier: GPL-3.0-or-later
// frmAbout: title, description, version and copyright, closed by OK.
#pragma once

#include <array>

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace zelvo {

class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner);

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblDescription;
    std::array<QFrame*, 2> Line1;  // an etched rule: grey, then white below it
    QLabel* lblVersion;
    QLabel* lblDisclaimer;
    QLabel* Label1;
    QPushButton* cmdOK;

public Q_SLOTS:
    void cmdOK_Click();

private:
    void Form_Load();
};

}  // namespace zelvo
