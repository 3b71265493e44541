// SPDX-License-Identifier: GPL-3.0-or-later
// frmBank: the bank overview, every instrument of the loaded file in one
// table that sorts on each column and filters by name. The rows are worked
// out off the user-interface thread from a copy of the model.
#pragma once

#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include <QDialog>
#include <QFuture>
#include <QList>

#include "app/bank_model.h"
#include "soundfont/model.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace zelvo {

class frmBank : public QDialog {
    Q_OBJECT

public:
    explicit frmBank(QWidget* owner = nullptr);
    ~frmBank() override;

    // Replaces the rows with those of model, loaded from soundFontPath; a
    // fill in progress is stopped and its rows never show.
    void Fill(std::shared_ptr<const SoundFontModel> model, const std::string& soundFontPath,
              bool convertSamples);
    bool Busy() const { return busy_; }
    // The instruments of the selected rows.
    QList<int> SelectedInstruments() const;

    QLineEdit* txtFilter = nullptr;
    QLabel* lblStatus = nullptr;
    QTableView* grdBank = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    BankModel* rows = nullptr;
    QSortFilterProxyModel* shown = nullptr;  // sorted and filtered, what the table shows

Q_SIGNALS:
    void InstrumentChosen(int instrument);
    void SaveRequested(const QList<int>& instruments);
    // The rows of the last fill are in the table.
    void Filled();

private:
    void ShowRows(std::vector<BankRow> rows, const QString& failure);
    void ShowCounts();
    void StopWork();

    std::stop_source stop_;
    QFuture<void> work_;
    std::uint64_t fill_ = 0;  // counts fills, so that an older one's rows are dropped
    bool busy_ = false;
};

}  // namespace zelvo
