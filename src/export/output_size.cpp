#include "export/output_size.h"

#include <cstdio>

#include "export/wave_struct.h"
#include "export/write_stuff.h"

namespace zelvo {
namespace {

std::string Grouped(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

}  // namespace

std::string OutputSizeReport::SizeText() const {
    char megabytes[32];
    std::snprintf(megabytes, sizeof megabytes, "%.1f MB", static_cast<double>(bytes) / kMegabyte);
    return Grouped(bytes) + " bytes (" + megabytes + ")";
}

std::optional<WaveMemory> OutputSizeReport::SmallestFit() const {
    std::optional<WaveMemory> best;
    for (const WaveMemory& m : kWaveMemories) {
        if (bytes <= m.bytes && (!best || m.bytes < best->bytes)) best = m;
    }
    return best;
}

OutputSizeReport BuildOutputSizeReport(const SoundFontModel& model, int instrument) {
    OutputSizeReport report;
    try {
        report.bytes = kWaveSampleDataOffset + PlanWaveFile(model, instrument).SampleDataBytes();
    } catch (const ExportError& e) {
        report.refusal = e.what();
    }
    return report;
}

}  // namespace zelvo
