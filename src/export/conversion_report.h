// SPDX-License-Identifier: GPL-3.0-or-later
// What an export of one instrument or preset does to it, as plain data: the
// file's size, each wave sample's conversion, each zone's tuning and clamps,
// and what never reaches the wave.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "export/export_plan.h"
#include "export/output_size.h"
#include "export/sample_conversion.h"
#include "soundfont/model.h"

namespace zelvo {

struct SampleReport {
    int number = 0;  // 1..N in the file
    std::string name;      // the SoundFont sample's
    std::string waveName;  // the 8 bytes written, as shown
    std::string codec;     // how the source stores the points
    std::uint32_t fromRate = 0;
    std::uint32_t toRate = 0;
    std::int64_t first = 0;  // the first point taken, after the zone's start offset
    std::int64_t points = 0;
    std::int64_t outPoints = 0;
    std::int64_t loopPoints = 0;
    std::int64_t outLoopPoints = 0;
    bool looped = false;
    double loopTuneCents = 0.0;  // added to the fine tune to keep the loop's pitch
    // The largest pitch difference of the loop, as played by any entry, from
    // the source's with its tuning; 0 without a loop.
    double loopPitchErrorCents = 0.0;
    int pitchCorrectionCents = 0;  // folded into the fine tune
    double gainDb = 0.0;           // applied to keep the converted points within 16 bits
    bool converted = false;        // gainDb was measured
    // The loop points as clamped into the sample. Those of a loop that was
    // empty to begin with (both points equal) change no sound.
    std::vector<ValueClamp> clamps;
    bool emptySourceLoop = false;
    // Another wave sample holds points of the same SoundFont sample: zones
    // that play it with other addresses or loop modes.
    bool repeatsSample = false;
};

struct ZoneReport {
    int instrument = 0;
    int zone = 0;
    int presetBag = 0;  // the preset zone that layers it, for a preset
    bool global = false;
    int sampleNumber = 0;  // 0 for a global zone
    int entries = 0;       // key-map entries it takes
    int keyLo = 0, keyHi = 127, velLo = 1, velHi = 127;  // as played, after any preset
    std::vector<ValueClamp> clamps;
    std::string rootKeySource;  // "zone", "global zone", "sample" or "fallback"
    int rootKey = 60;
    int sampleModes = 0;
    int loopFlag = 0;  // as the zone's sample header has it
    int scaleTuning = 100;
    bool keyTuned = false;  // its scale tuning is right at one key only
    bool retuned = false;   // plays at another root key than its sample header's
    double tuneCents = 0.0;    // what its entry asks of the sample header's pitch
    double playedCents = 0.0;  // what the entry's bytes give
    std::vector<std::string> droppedGenerators;
    int modulators = 0;
};

// Generators that a preset adds at preset level and that no wave holds.
struct PresetLevelReport {
    std::string preset;
    int bank = 0;
    int program = 0;
    std::vector<std::string> generators;
};

struct StereoPairReport {
    std::string left;
    std::string right;
};

struct InstrumentReport {
    int instrument = 0;  // 0 for a preset
    int preset = 0;      // 0 for an instrument
    std::string name;
    bool convert = true;
    int zones = 0;
    int samples = 0;
    int entries = 0;
    OutputSize output;
    std::uint64_t repeatedSampleBytes = 0;  // of the samples that repeat another's points
    std::vector<SampleReport> sampleReports;
    std::vector<ZoneReport> zoneReports;
    std::vector<PresetLevelReport> presetGenerators;
    std::vector<StereoPairReport> stereoPairs;
    std::optional<std::string> refusal;

    // The warning lines of ReportNotes: what changes the sound.
    int Warnings() const;
    // "refused", "changed" when the wave differs from the points and
    // tuning as stored, else "ok".
    std::string Status() const;
};

// How far points stored at rate play off on the EX5/7, which plays them at
// 44,100 Hz: 1200 x log2(44100 / rate) cents; 0 for no rate.
double RateOffsetCents(std::uint32_t rate);

// One line of the report as the preview lists it; warnings come first.
struct ReportNote {
    bool warning = false;
    std::string text;  // UTF-8
};

// The report's warnings, then what the export changes and what does not
// reach the wave; a line that several zones or samples share is said once,
// with how many. Warnings are what changes the sound: a pitch off by more
// than 2 cents, a tuning the bytes cannot hold, generators that shape the
// sound left out, more entries than the EX5/7 plays, a refusal. Names are
// the SoundFont's bytes as UTF-8.
std::vector<ReportNote> ReportNotes(const InstrumentReport& report);

// Plans the export and converts the samples as the export would, writing
// nothing; a refusal is reported in the result. Throws ExportError(Failed)
// when the SoundFont cannot be read. measure false skips the conversion,
// which only the gains need, for a quick look; they are then reported as 0.
InstrumentReport ReportInstrumentExport(const SoundFontModel& model, int instrument,
                                        const std::string& soundFontPath,
                                        const ExportOptions& options = {}, bool measure = true);
// The report of every instrument, 1 to InstCount, in order. measure
// converts each sample once, on options.jobs threads, for the gains;
// without it the reports come from the plans alone.
std::vector<InstrumentReport> ReportAllInstruments(const SoundFontModel& model, const std::string& soundFontPath,
                                                   const ExportOptions& options = {}, bool measure = false);
InstrumentReport ReportPresetExport(const SoundFontModel& model, int preset,
                                    const std::string& soundFontPath, bool measure = true,
                                    std::stop_token stop = {});

}  // namespace zelvo
