// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_export_summary.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace zelvo {
namespace {

constexpr int kStepsPerInstrument = 1000;

QString Plural(std::size_t n, const char* word) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QString::fromLatin1(word)).arg(n == 1 ? "" : "s");
}

}  // namespace

ExportManySummary ExportManyWithProgress(QWidget* parent, const SoundFontModel& model,
                                         const std::string& soundFontPath,
                                         const std::string& folder, const ExportOptions& options,
                                         const std::vector<int>& only) {
    QProgressDialog progress(QStringLiteral("Saving..."), QStringLiteral("Cancel"), 0, 1, parent);
    progress.setObjectName(QStringLiteral("dlgExportProgress"));
    progress.setWindowTitle(QStringLiteral("Save All Instruments"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setMinimumWidth(420);
    return ExportManyInstruments(model, soundFontPath, folder, [&](const ExportManyStep& step) {
        progress.setMaximum(std::max(1, step.total * kStepsPerInstrument));
        const std::uint64_t part =
            step.bytesTotal ? step.bytesWritten * kStepsPerInstrument / step.bytesTotal : 0;
        progress.setLabelText(QStringLiteral("Saving %1 (%2 of %3)...")
                                  .arg(QString::fromStdString(step.instrument))
                                  .arg(std::min(step.done + 1, step.total))
                                  .arg(step.total));
        // setValue takes in the dialog's events, the Cancel button's among them.
        progress.setValue(step.done * kStepsPerInstrument + static_cast<int>(part));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    }, options, only);
}

frmExportSummary::frmExportSummary(const ExportManySummary& summary, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmExportSummary"));
    setWindowTitle(QStringLiteral("Save All Instruments"));
    const bool refusals = !summary.refused.empty();
    auto* icon = new QLabel;
    const QStyle::StandardPixmap kind = summary.cancelled || refusals ? QStyle::SP_MessageBoxWarning
                                                                       : QStyle::SP_MessageBoxInformation;
    icon->setPixmap(style()->standardIcon(kind).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    lblHeadline = new QLabel(QString::fromStdString(summary.Headline()));
    lblHeadline->setObjectName(QStringLiteral("lblHeadline"));
    lblHeadline->setWordWrap(true);
    QFont headline = lblHeadline->font();
    headline.setBold(true);
    lblHeadline->setFont(headline);
    lblHeadline->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(icon);
    top->addWidget(lblHeadline, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addLayout(top);
    // Reasons are sentences: they wrap in a text view rather than be cut in a column.
    txtRefused = new QTextBrowser;
    txtRefused->setObjectName(QStringLiteral("txtRefused"));
    if (refusals) {
        layout->addWidget(new QLabel(Plural(summary.refused.size(), "instrument") +
                                     (summary.refused.size() == 1 ? QStringLiteral(" was refused:")
                                                                  : QStringLiteral(" were refused:"))));
        QString html = QStringLiteral("<table cellspacing=\"4\">");
        for (const ExportRefusal& r : summary.refused) {
            html += QStringLiteral("<tr><td style=\"white-space:nowrap\"><b>%1</b></td><td>%2</td></tr>")
                        .arg(QString::fromStdString(r.instrument).toHtmlEscaped(),
                             QString::fromStdString(r.reason).toHtmlEscaped());
        }
        txtRefused->setHtml(html + QStringLiteral("</table>"));
        layout->addWidget(txtRefused, 1);
    } else {
        txtRefused->hide();
    }
    auto* buttons = new QDialogButtonBox;
    cmdShowFolder = buttons->addButton(QStringLiteral("Show in folder"), QDialogButtonBox::ActionRole);
    cmdShowFolder->setEnabled(!summary.written.empty());
    cmdClose = buttons->addButton(QDialogButtonBox::Close);
    cmdClose->setDefault(true);
    connect(cmdShowFolder, &QPushButton::clicked, this, &frmExportSummary::ShowFolderRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(refusals ? QSize(680, 340) : QSize(460, 140));
}

}  // namespace zelvo
