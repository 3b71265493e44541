// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_bank.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "app/image_list.h"

namespace zelvo {

frmBank::frmBank(QWidget* owner)
    : QDialog(owner),
      txtFilter(new QLineEdit(this)),
      lblStatus(new QLabel(this)),
      grdBank(new QTableView(this)),
      rows(new BankModel(this)),
      shown(new QSortFilterProxyModel(this)) {
    setObjectName(QStringLiteral("frmBank"));
    setWindowTitle(QStringLiteral("Bank Overview"));
    setWindowIcon(AppIcon());
    resize(820, 560);

    txtFilter->setPlaceholderText(QStringLiteral("Filter by name"));
    txtFilter->setClearButtonEnabled(true);
    shown->setSourceModel(rows);
    shown->setSortRole(BankModel::kSortRole);
    shown->setSortCaseSensitivity(Qt::CaseInsensitive);
    shown->setFilterKeyColumn(BankModel::kName);
    shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        shown->setFilterFixedString(text);
        ShowCounts();
    });

    grdBank->setObjectName(QStringLiteral("grdBank"));
    grdBank->setModel(shown);
    grdBank->setSortingEnabled(true);
    grdBank->sortByColumn(BankModel::kNumber, Qt::AscendingOrder);
    grdBank->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdBank->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdBank->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBank->setAlternatingRowColors(true);
    grdBank->verticalHeader()->hide();
    grdBank->verticalHeader()->setDefaultSectionSize(grdBank->fontMetrics().height() + 6);
    grdBank->horizontalHeader()->setSectionResizeMode(BankModel::kName, QHeaderView::Stretch);
    connect(grdBank->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) Q_EMIT InstrumentChosen(shown->index(current.row(), BankModel::kNumber).data().toInt());
            });

    auto* buttons = new QDialogButtonBox(this);
    cmdSave = buttons->addButton(QStringLiteral("&Save Selected as EX5/7 Waves..."), QDialogButtonBox::ActionRole);
    cmdClose = buttons->addButton(QDialogButtonBox::Close);
    connect(cmdSave, &QPushButton::clicked, this, [this] {
        if (const QList<int> chosen = SelectedInstruments(); !chosen.isEmpty()) Q_EMIT SaveRequested(chosen);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtFilter);
    layout->addWidget(grdBank, 1);
    layout->addWidget(lblStatus);
    layout->addWidget(buttons);
}

frmBank::~frmBank() {
    StopWork();
}

void frmBank::StopWork() {
    stop_.request_stop();
    work_.waitForFinished();
}

void frmBank::Fill(std::shared_ptr<const SoundFontModel> model, const std::string& soundFontPath,
                   bool convertSamples) {
    StopWork();
    stop_ = std::stop_source();
    const std::uint64_t fill = ++fill_;
    busy_ = true;
    rows->SetRows({});
    lblStatus->setText(QStringLiteral("Reading the instruments..."));
    const ExportOptions options{.convertSamples = convertSamples, .stop = stop_.get_token()};
    work_ = QtConcurrent::run([this, fill, model = std::move(model), path = soundFontPath, options] {
        std::vector<BankRow> made;
        QString failure;
        const auto progress = [this, fill](int done, int total) {
            QMetaObject::invokeMethod(this, [this, fill, done, total] {
                if (fill == fill_ && busy_) lblStatus->setText(QStringLiteral("Reading instrument %1 of %2...").arg(done).arg(total));
            }, Qt::QueuedConnection);
        };
        try {
            made = BuildBankRows(*model, path, options, progress);
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        }
        if (options.stop.stop_requested()) return;
        QMetaObject::invokeMethod(this, [this, fill, made = std::move(made), failure]() mutable {
            if (fill == fill_) ShowRows(std::move(made), failure);
        }, Qt::QueuedConnection);
    });
}

void frmBank::ShowRows(std::vector<BankRow> made, const QString& failure) {
    busy_ = false;
    rows->SetRows(std::move(made));
    grdBank->resizeColumnsToContents();
    grdBank->horizontalHeader()->setSectionResizeMode(BankModel::kName, QHeaderView::Stretch);
    if (failure.isEmpty()) {
        ShowCounts();
    } else {
        lblStatus->setText(failure);
    }
    Q_EMIT Filled();
}

void frmBank::ShowCounts() {
    if (busy_) return;
    QString text = QStringLiteral("%1 instruments").arg(rows->rowCount());
    if (shown->rowCount() != rows->rowCount()) text += QStringLiteral(", %1 shown").arg(shown->rowCount());
    lblStatus->setText(text);
}

QList<int> frmBank::SelectedInstruments() const {
    QList<int> chosen;
    for (const QModelIndex& index : grdBank->selectionModel()->selectedRows(BankModel::kNumber)) {
        chosen.append(index.data().toInt());
    }
    return chosen;
}

}  // namespace zelvo
