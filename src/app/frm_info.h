// SPDX-License-Identifier: GPL-3.0-or-later
// frmInfo: the loaded file's name and INFO texts, one label each.
#pragma once

#include <array>

#include <QDialog>

#include "browser/info_texts.h"
#include "soundfont/model.h"

class QLabel;
class QPushButton;

namespace zelvo {

class frmInfo : public QDialog {
    Q_OBJECT

public:
    // Loading the window fills its labels from model.
    frmInfo(const SoundFontModel& model, QWidget* owner);

    QLabel* lblFileName;
    QLabel* lblifil;
    QLabel* lblisng;
    QLabel* lblirom;
    QLabel* lbliver;
    QLabel* lblINAM;
    QLabel* lblICRD;
    QLabel* lblIENG;
    QLabel* lblIPRD;
    QLabel* lblICOP;
    QLabel* lblISFT;
    QLabel* lblICMT;
    QPushButton* cmdClose;

    // The twelve labels top to bottom.
    std::array<QLabel*, kInfoLineCount> Labels() const;

public Q_SLOTS:
    void cmdClose_Click();

private:
    void Form_Load();

    const SoundFontModel& model_;
};

}  // namespace zelvo
