// SPDX-License-Identifier: GPL-3.0-or-later
// Element > Save All Instruments as EX5/7 Waves: the run behind one
// progress dialog that can be cancelled, and the summary window after it.
#pragma once

#include <string>

#include <QDialog>

#include "export/export_many.h"
#include "soundfont/model.h"

class QLabel;
class QPushButton;
class QTextBrowser;

namespace zelvo {

// Exports every instrument with zones, or those of only, into folder while
// a modal progress dialog shows which one is in work; its Cancel button
// stops the run.
ExportManySummary ExportManyWithProgress(QWidget* parent, const SoundFontModel& model,
                                         const std::string& soundFontPath,
                                         const std::string& folder,
                                         const ExportOptions& options = {},
                                         const std::vector<int>& only = {});

class frmExportSummary : public QDialog {
    Q_OBJECT

public:
    frmExportSummary(const ExportManySummary& summary, QWidget* parent = nullptr);

    QLabel* lblHeadline = nullptr;
    QTextBrowser* txtRefused = nullptr;
    QPushButton* cmdShowFolder = nullptr;
    QPushButton* cmdClose = nullptr;

Q_SIGNALS:
    void ShowFolderRequested();
};

}  // namespace zelvo
