#include "export/output_size.h"

#include <cstdio>

namespace zelvo {
namespace {

std::string Grouped(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

}  // namespace

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
