// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/output_size.h"

#include <cstdio>

#include "browser/instrument_view.h"

namespace zelvo {

std::string OutputSize::SizeText() const {
    char megabytes[32];
    std::snprintf(megabytes, sizeof megabytes, "%.1f MB", Megabytes());
    return Grouped(bytes) + " bytes (" + megabytes + ")";
}

std::optional<WaveMemory> OutputSize::SmallestFit() const {
    std::optional<WaveMemory> best;
    for (const WaveMemory& m : kWaveMemories) {
        if (bytes <= m.bytes && (!best || m.bytes < best->bytes)) best = m;
    }
    return best;
}

std::vector<WaveMemory> OutputSize::FittingWaveMemories() const {
    std::vector<WaveMemory> fits;
    for (const WaveMemory& m : kWaveMemories) {
        if (!m.floppy && bytes <= m.bytes) fits.push_back(m);
    }
    return fits;
}

bool OutputSize::FitsFloppy() const {
    for (const WaveMemory& m : kWaveMemories) {
        if (m.floppy) return bytes <= m.bytes;
    }
    return false;
}

OutputSize WaveFileSize(const WavePlan& plan) {
    return {kWaveSampleDataOffset + plan.SampleDataBytes()};
}

OutputSizeReport BuildOutputSizeReport(const SoundFontModel& model, int instrument,
                                       const ExportOptions& options) {
    OutputSizeReport report;
    try {
        report.size = WaveFileSize(PlanWaveFile(model, instrument, options));
    } catch (const ExportError& e) {
        report.refusal = e.what();
    }
    return report;
}

}  // namespace zelvo
