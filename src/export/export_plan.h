// What an export of one instrument will write, decided before the file
// exists: which samples, under which numbers, converted how, and every record
// of the front part. Every refusal is made here.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "export/export_error.h"
#include "export/sample_conversion.h"
#include "export/wave_struct.h"
#include "soundfont/model.h"

namespace zelvo {

// Which samples an instrument's zones bring into the file and under which
// numbers: the distinct samples of the non-global zones, numbered 1..N in the
// order of their first use.
struct ExportNumbering {
    std::vector<bool> ZoneFirstUse;                   // by zone number; [0] unused
    std::unordered_map<int, int> ExportSampleNumber;  // by sampleNdx: 1..N
    int ExportSampleCount = 0;

    // The zone that received each sample number: [c - 1] for sample c.
    std::vector<int> FirstUserZones() const;
};

ExportNumbering NumberExportSamples(const InstZoneInfo& instrument);

// Where a key-map entry came from and the fine tune it was given, in cents.
struct KeyMapEntrySource {
    int zone = 0;
    int sampleNumber = 0;
    double fineTuneCents = 0.0;  // the zone's, plus its sample's corrections
    int fineTuneByte = 64;       // before the byte is clamped into 0..127
};

// Every record of one export's file, derived from the model and checked
// before the output is created.
struct WavePlan {
    WaveCounts counts;
    WaveKeyMapHeader keyMapHeader;
    std::vector<WaveKeyMapEntry> keyMapEntries;
    std::vector<KeyMapEntrySource> entrySources;  // one per key-map entry
    std::vector<WaveSampleHeader> sampleHeaders;  // sample c in [c - 1]
    std::vector<std::uint32_t> sampleSizes;
    std::vector<int> sampleIndexes;             // sampleNdx of sample c in [c - 1]
    std::vector<SampleConversion> conversions;  // of sample c in [c - 1]

    std::uint64_t SampleDataBytes() const;  // as written
    bool ResamplesPoints() const;
};

// Throws ExportError(Refused) for an instrument the file cannot hold. A
// compressed sample is planned from the decoded length its stream's last
// page gives, with its loop points counted from its first point.
WavePlan PlanWaveFile(const SoundFontModel& model, int instrument, const ExportOptions& options = {});

// "Sample "name" of instrument "name"", for messages.
std::string SampleOfInstrument(const sfSample& sample, const std::string& instrumentName);

}  // namespace zelvo
