#include "export/output_size.h"

#include <cstdio>

#include "export/export_files.h"
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

bool HasCompressedSamples(const SoundFontModel& model, int instrument) {
    if (instrument < 1 || instrument > model.InstCount) return false;
    const InstZoneInfo& info = model.InstZoneTable[static_cast<std::size_t>(instrument)];
    for (int z = 1; z <= info.zoneCount; ++z) {
        const int s = info.zone(z).sampleNdx;
        if (s >= 1 && s <= model.SampleCount && model.SampleHeaders[static_cast<std::size_t>(s)].IsCompressed())
            return true;
    }
    return false;
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

OutputSizeReport BuildOutputSizeReport(const SoundFontModel& model, int instrument,
                                       const std::string& soundFontPath) {
    OutputSizeReport report;
    try {
        // Compressed samples are counted by their decoded points, as the export writes them.
        const DecodedSamples decoded =
            HasCompressedSamples(model, instrument)
                ? DecodeCompressedSamples(model, instrument, InputFile(soundFontPath))
                : DecodedSamples{};
        report.bytes = kWaveSampleDataOffset + PlanWaveFile(model, instrument, decoded).SampleDataBytes();
    } catch (const ExportError& e) {
        report.refusal = e.what();
    }
    return report;
}

}  // namespace zelvo
