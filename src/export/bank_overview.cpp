// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/bank_overview.h"

#include <algorithm>
#include <limits>

#include "browser/text_encoding.h"

namespace zelvo {

BankRow BankRowOf(const InstrumentReport& report) {
    BankRow row;
    row.instrument = report.instrument;
    row.name = SoundFontTextToUtf8(DisplayText(report.name));
    row.zones = report.zones;
    row.samples = report.samples;
    row.warnings = report.Warnings();
    row.verdict = report.Status();
    row.memory = "none";
    row.memoryBytes = std::numeric_limits<std::uint64_t>::max();
    if (report.refusal) return row;
    row.bytes = report.output.bytes;
    row.floppy = report.output.FitsFloppy();
    const std::vector<WaveMemory> fits = report.output.FittingWaveMemories();
    if (!fits.empty()) {
        row.memory = fits.front().name;
        row.memoryBytes = fits.front().bytes;
    }
    return row;
}

std::vector<BankRow> BuildBankRows(const SoundFontModel& model, const std::string& soundFontPath,
                                   const ExportOptions& options,
                                   const std::function<void(int, int)>& progress) {
    std::vector<BankRow> rows;
    rows.reserve(static_cast<std::size_t>(std::max(model.InstCount, 0)));
    for (int i = 1; i <= model.InstCount && !options.stop.stop_requested(); ++i) {
        // The plan alone: no sample point is read or converted.
        rows.push_back(BankRowOf(ReportInstrumentExport(model, i, soundFontPath, options, false)));
        if (progress) progress(i, model.InstCount);
    }
    return rows;
}

}  // namespace zelvo
