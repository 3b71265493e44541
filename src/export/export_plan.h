// SPDX-License-Identifier: GPL-3.0-or-later
// What an export will write, decided before the file exists: which samples
// as which zones play them, converted how, and every record of the front
// part. Every refusal that needs no sample point is made here.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/export_error.h"
#include "export/sample_conversion.h"
#include "export/tune_units.h"
#include "export/wave_struct.h"
#include "soundfont/model.h"

namespace zelvo {

// Which samples an instrument's zones bring into an as-stored file and under
// which numbers: the distinct samples of the non-global zones, numbered
// 1..N in the order of their first use.
struct ExportNumbering {
    std::vector<bool> ZoneFirstUse;                   // by zone number; [0] unused
    std::unordered_map<int, int> ExportSampleNumber;  // by sampleNdx: 1..N
    int ExportSampleCount = 0;

    // The zone that received each sample number: [c - 1] for sample c.
    std::vector<int> FirstUserZones() const;
};

ExportNumbering NumberExportSamples(const InstZoneInfo& instrument);

// Points of a SoundFont sample, counted from its first.
struct PointRun {
    std::int64_t first = 0;
    std::int64_t count = 0;
    auto operator<=>(const PointRun&) const = default;
};

// One sample of the wave: a SoundFont sample as the zones that share it
// play it.
struct PlannedSample {
    int sampleNdx = 0;
    // Its points in wave order: one run, or, for zones that start after their
    // loop start, the points up to the loop end, the loop again, then the rest.
    std::vector<PointRun> runs;
    SampleConversion conversion;  // of the points of its runs
    bool looped = false;          // whether the zones that play it loop it
    int rootKey = 60;             // its header's: the root key of the first zone that plays it
    std::int64_t First() const { return runs.empty() ? 0 : runs.front().first; }
};

// Where a key-map entry came from and how it is tuned.
struct KeyMapEntrySource {
    int instrument = 0;
    int zone = 0;       // 1-based within the instrument
    int presetBag = 0;  // the preset zone that layers it, 0 for an instrument alone
    int sampleNumber = 0;
    int rootKey = 60;        // the zone's own
    double tuneCents = 0.0;  // what the entry adds to its sample header's pitch
    EntryTune tune;          // the bytes written for it
    bool perKey = false;     // one of the entries a zone's scale tuning was split into
    bool keyTuned = false;   // scale tuning that one entry cannot carry: right at one key only
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
    std::vector<PlannedSample> samples;

    std::uint64_t SampleDataBytes() const;  // as written
    bool ResamplesPoints() const;
};

// The largest file the EX5/7 holds: its largest wave memory.
inline constexpr std::uint64_t kLargestWaveMemoryBytes = 65 * 1024 * 1024;

// An instrument's file. As stored (options.convertSamples false), its
// records as the reference export derives them. Converting, each zone
// plays at its own root key, start, loop and loop mode, with its tuning in
// its entry's tune bytes. Throws ExportError(Refused) for an instrument the
// file cannot hold. A compressed sample is planned from the decoded length
// its stream's last page gives, with its loop points counted from its first
// point.
WavePlan PlanWaveFile(const SoundFontModel& model, int instrument, const ExportOptions& options = {});

// A preset's file: every zone of every instrument it layers, merged with its
// preset zones, converted.
WavePlan PlanPresetWave(const SoundFontModel& model, int preset);

// How far above its root a zone sounds at key, in cents, as a SoundFont
// player tunes it: coarse and fine tune, scale tuning from its root key (or
// from the one key it plays every key as), and what the conversion c adds to
// keep the pitch (pitch correction, loop tune). The export tunes each entry
// to it; the audition of a sample alone plays it.
double ZonePitchCents(const InstZone& zone, int rootKey, const SampleConversion& c, int key);

// What the EX5/7 plays at key through entry e of plan, in cents above its
// wave sample's points played at 44,100 Hz: the semitones from the sample
// header's root key and the entry's tune bytes. What the audition plays.
double EntryPitchCents(const WavePlan& plan, std::size_t entry, int key);

// "Sample "name" of instrument "name"", for messages.
std::string SampleOfInstrument(const sfSample& sample, const std::string& instrumentName);

// The 8-byte names of a converted wave's samples, each told apart from the
// others: what fits of the name, ended with the root note and L or R for a
// stereo half where names would repeat, and a number where that is not enough.
std::vector<std::string> DistinctSampleNames(const SoundFontModel& model,
                                             const std::vector<PlannedSample>& samples);

}  // namespace zelvo
