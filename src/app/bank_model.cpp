// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/bank_model.h"

namespace zelvo {
namespace {

const char* const kTitles[BankModel::kColumns] = {"#",    "Instrument", "Zones",    "Samples", "Size",
                                                  "Fits", "Floppy",     "Warnings", "Verdict"};

bool IsNumeric(int column) {
    return column == BankModel::kNumber || column == BankModel::kZones || column == BankModel::kSamples ||
           column == BankModel::kSize || column == BankModel::kWarnings;
}

}  // namespace

void BankModel::SetRows(std::vector<BankRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int BankModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BankModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant BankModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const BankRow& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole: return Text(row, index.column());
        case kSortRole: return SortKey(row, index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue((IsNumeric(index.column()) ? Qt::AlignRight : Qt::AlignLeft) |
                                       Qt::AlignVCenter);
        case Qt::ToolTipRole:
            return index.column() == kSize && row.bytes
                       ? QVariant(QString::fromStdString(OutputSize{row.bytes}.SizeText()))
                       : QVariant();
        default: return {};
    }
}

QVariant BankModel::Text(const BankRow& row, int column) const {
    switch (column) {
        case kNumber: return row.instrument;
        case kName: return QString::fromStdString(row.name);
        case kZones: return row.zones;
        case kSamples: return row.samples;
        case kSize: {
            if (row.bytes == 0) return QString();
            const double megabytes = OutputSize{row.bytes}.Megabytes();
            return megabytes < 1 ? QString::number(megabytes * 1024, 'f', 1) + QStringLiteral(" KB")
                                 : QString::number(megabytes, 'f', 2) + QStringLiteral(" MB");
        }
        case kMemory: return QString::fromStdString(row.memory);
        case kFloppy: return row.floppy ? QStringLiteral("yes") : QStringLiteral("no");
        case kWarnings: return row.warnings;
        case kVerdict: return QString::fromStdString(row.verdict);
        default: return {};
    }
}

QVariant BankModel::SortKey(const BankRow& row, int column) const {
    switch (column) {
        case kSize: return QVariant::fromValue<qulonglong>(row.bytes);
        case kMemory: return QVariant::fromValue<qulonglong>(row.memoryBytes);
        case kFloppy: return row.floppy;
        default: return Text(row, column);
    }
}

QVariant BankModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
    return QString::fromLatin1(kTitles[section]);
}

}  // namespace zelvo
