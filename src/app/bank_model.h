// SPDX-License-Identifier: GPL-3.0-or-later
// The bank overview's table: one row per instrument, as the core's rows
// give them. Qt::UserRole holds each cell's sort key, numbers as numbers.
#pragma once

#include <vector>

#include <QAbstractTableModel>

#include "export/bank_overview.h"

namespace zelvo {

class BankModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kNumber, kName, kZones, kSamples, kSize, kMemory, kFloppy, kWarnings, kVerdict, kColumns };
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<BankRow> rows);
    const std::vector<BankRow>& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant Text(const BankRow& row, int column) const;
    QVariant SortKey(const BankRow& row, int column) const;

    std::vector<BankRow> rows_;
};

}  // namespace zelvo
