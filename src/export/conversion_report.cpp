#include "export/conversion_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <span>

#include "browser/names.h"
#include "browser/text_encoding.h"
#include "export/sample_source.h"
#include "export/vorbis_decode.h"

namespace zelvo {
namespace {

constexpr std::uint16_t kSampleTypeRight = 2;
constexpr std::uint16_t kSampleTypeLeft = 4;
constexpr double kAudiblePitchErrorCents = 2.0;

// The generators that have a field in the wave.
bool ReachesWave(int gen) {
    switch (gen) {
        case kGenPan:
        case kGenKeyRange:
        case kGenVelRange:
        case kGenCoarseTune:
        case kGenFineTune:
        case kGenSampleId:
        case kGenSampleModes:
        case kGenOverridingRootKey: return true;
        default: return false;
    }
}

std::string GeneratorText(int gen) {
    const auto name = GenName(gen);
    return name ? std::string(*name) : "generator " + std::to_string(gen);
}

std::optional<int> FindGen(std::span<const sfGenList> gens, int oper) {
    for (const sfGenList& gen : gens) {
        if (gen.sfGenOper == oper) return gen.genAmount;
    }
    return std::nullopt;
}

// floor(64 x value / range) + 64, before the clamp into a byte.
int ScaledValue(int value, int range) {
    return static_cast<int>(std::floor(64.0 * value / range)) + 64;
}

void AddClamp(std::vector<ValueClamp>& clamps, const char* field, std::int64_t value) {
    const std::int64_t kept = std::clamp<std::int64_t>(value, 0, 127);
    if (kept != value) clamps.push_back({field, value, kept});
}

std::vector<ValueClamp> ZoneClamps(const InstZone& zone, const KeyMapEntrySource& source) {
    std::vector<ValueClamp> clamps;
    AddClamp(clamps, "key low", zone.keyLo);
    AddClamp(clamps, "key high", zone.keyHi);
    AddClamp(clamps, "velocity low", zone.velLo);
    AddClamp(clamps, "velocity high", zone.velHi);
    AddClamp(clamps, "pan", ScaledValue(zone.pan, 500));
    AddClamp(clamps, "coarse tune", ScaledValue(zone.coarseTune, 100));
    AddClamp(clamps, "fine tune", source.fineTuneByte);
    return clamps;
}

// The loop's pitch on the EX5/7, which plays every wave at 44,100 Hz, less
// the source's with the zone's fine tune and the sample's correction.
double LoopPitchError(const sfSample& sample, const SampleConversion& c, const InstZone& zone,
                      const KeyMapEntrySource& source) {
    if (!c.Looped() || c.outLoopEnd <= c.outLoopStart || sample.dwSampleRate == 0) return 0.0;
    const double sourceLoopHz =
        sample.dwSampleRate / static_cast<double>(c.loopEnd - c.loopStart);
    const double waveLoopHz = kWaveSampleRate / static_cast<double>(c.outLoopEnd - c.outLoopStart);
    const double played = 1200.0 * std::log2(waveLoopHz / sourceLoopHz) +
                          (std::clamp(source.fineTuneByte, 0, 127) - 64) * 100.0 / 64.0;
    const double intended = zone.fineTune + static_cast<std::int8_t>(sample.chPitchCorrection);
    return played - intended;
}

SampleReport MakeSampleReport(int number, const sfSample& sample, const SampleConversion& c) {
    return {.number = number,
            .name = DisplayText(sample.achSampleName),
            .codec = SourceCodecName(sample),
            .fromRate = c.fromRate,
            .toRate = c.toRate,
            .points = c.points,
            .outPoints = c.outPoints,
            .loopPoints = c.loopEnd - c.loopStart,
            .outLoopPoints = c.outLoopEnd - c.outLoopStart,
            .loopTuneCents = c.loopTuneCents,
            .pitchCorrectionCents = c.pitchCorrectionCents,
            .clamps = c.clamps,
            .emptySourceLoop = sample.dwStartloop == sample.dwEndloop};
}

ZoneReport MakeZoneReport(int z, const InstZone& zone, std::span<const sfGenList> gens,
                          std::span<const sfGenList> globalGens, const sfSample* sample) {
    ZoneReport report;
    report.zone = z;
    report.global = zone.isGlobal;
    report.sampleModes = zone.sampleModes;
    for (const sfGenList& gen : gens) {
        if (!ReachesWave(gen.sfGenOper)) report.droppedGenerators.push_back(GeneratorText(gen.sfGenOper));
    }
    if (zone.isGlobal) return report;
    const std::optional<int> own = FindGen(gens, kGenOverridingRootKey);
    const std::optional<int> global = FindGen(globalGens, kGenOverridingRootKey);
    if (zone.rootKey >= 0) {
        report.rootKeySource = !own && global ? "global zone" : "zone";
        report.rootKey = zone.rootKey;
    } else if (sample && sample->byOriginalPitch <= 127) {
        report.rootKeySource = "sample";
        report.rootKey = sample->byOriginalPitch;
    } else {
        report.rootKeySource = "fallback";
        report.rootKey = 60;
    }
    report.loopFlag = WaveLoopFlag(zone.sampleModes);
    return report;
}

// The generators of the preset zones that play the instrument, then those of
// their presets' global zones, one report per preset.
std::vector<PresetLevelReport> PresetGenerators(const SoundFontModel& model, int instrument) {
    std::vector<PresetLevelReport> reports;
    int lastPreset = 0;
    std::vector<std::string> global;
    const auto finish = [&] {
        if (lastPreset == 0) return;
        PresetLevelReport& r = reports.back();
        r.generators.insert(r.generators.end(), global.begin(), global.end());
        if (r.generators.empty()) reports.pop_back();
    };
    for (const int bag : model.InstPresetZones.at(static_cast<std::size_t>(instrument))) {
        const int p = model.PresetBags[static_cast<std::size_t>(bag)].ownerNdx;
        const sfPresetHeader& preset = model.PresetHeaders[static_cast<std::size_t>(p)];
        if (p != lastPreset) {
            finish();
            lastPreset = p;
            reports.push_back({DisplayText(preset.achPresetName), preset.wBank, preset.wPreset, {}});
            global.clear();
            const auto first = ZoneGenerators(model.PresetBags, model.PresetGens, preset.firstZoneNdx);
            if (preset.zoneCount > 0 && !FindGen(first, kGenInstrument)) {
                for (const sfGenList& gen : first) global.push_back(GeneratorText(gen.sfGenOper));
            }
        }
        for (const sfGenList& gen : ZoneGenerators(model.PresetBags, model.PresetGens, bag)) {
            if (gen.sfGenOper != kGenInstrument) reports.back().generators.push_back(GeneratorText(gen.sfGenOper));
        }
    }
    finish();
    return reports;
}

std::vector<StereoPairReport> StereoPairs(const SoundFontModel& model,
                                          const std::vector<int>& sampleIndexes) {
    std::vector<StereoPairReport> pairs;
    std::set<std::pair<int, int>> seen;
    for (const int index : sampleIndexes) {
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(index));
        const bool left = sample.sfSampleType & kSampleTypeLeft;
        if (!left && !(sample.sfSampleType & kSampleTypeRight)) continue;
        const int other = sample.wSampleLink + 1;
        if (other < 1 || other > model.SampleCount) continue;
        const auto key = std::minmax(index, other);
        if (!seen.insert(key).second) continue;
        const std::string mine = DisplayText(sample.achSampleName);
        const std::string theirs =
            DisplayText(model.SampleHeaders[static_cast<std::size_t>(other)].achSampleName);
        pairs.push_back(left ? StereoPairReport{mine, theirs} : StereoPairReport{theirs, mine});
    }
    return pairs;
}

}  // namespace

int InstrumentReport::Warnings() const {
    int warnings = 0;
    for (const SampleReport& s : sampleReports) {
        if (!s.emptySourceLoop) warnings += static_cast<int>(s.clamps.size());
        if (s.clippedPoints > 0) ++warnings;
        if (s.toRate != kWaveSampleRate && s.toRate != 0) ++warnings;
        if (std::abs(s.loopPitchErrorCents) > kAudiblePitchErrorCents) ++warnings;
    }
    for (const ZoneReport& z : zoneReports) {
        warnings += static_cast<int>(z.clamps.size());
        if (z.rootKeySource == "fallback") ++warnings;
    }
    return warnings;
}

std::string InstrumentReport::Status() const {
    if (refusal) return "refused";
    const bool changed =
        std::any_of(sampleReports.begin(), sampleReports.end(), [](const SampleReport& s) {
            return s.fromRate != s.toRate || s.pitchCorrectionCents != 0 ||
                   s.loopTuneCents != 0.0 || (!s.emptySourceLoop && !s.clamps.empty());
        });
    return changed ? "changed" : "ok";
}

// The points of every planned sample converted as the export converts them,
// for the points they clip. A stream that does not decode refuses the
// instrument as the export does.
void CountClippedPoints(const WavePlan& plan, SampleSource& source, InstrumentReport& report) {
    for (std::size_t c = 0; c < plan.conversions.size(); ++c) {
        const SampleConversion& conversion = plan.conversions[c];
        if (!conversion.Resampled()) continue;
        const int sampleNdx = plan.sampleIndexes[c];
        try {
            report.sampleReports[c].clippedPoints =
                ConvertSamplePoints(source.ReadPoints(sampleNdx, 0, conversion.points), conversion).clipped;
        } catch (const VorbisDecodeError& e) {
            const sfSample& sample = source.model().SampleHeaders.at(static_cast<std::size_t>(sampleNdx));
            report.refusal = SampleOfInstrument(sample, report.name) + " " + e.reason() + ".";
            return;
        }
    }
}

InstrumentReport ReportInstrumentExport(const SoundFontModel& model, int instrument,
                                        const std::string& soundFontPath,
                                        const ExportOptions& options, bool countClipped) {
    InstrumentReport report;
    report.instrument = instrument;
    report.name = InstrumentName(model, instrument);
    report.convert = options.convertSamples;
    WavePlan plan;
    try {
        plan = PlanWaveFile(model, instrument, options);
    } catch (const ExportError& e) {
        report.refusal = e.what();
    }
    if (instrument >= 1 && instrument <= model.InstCount) {
        report.zones = model.InstZoneTable[static_cast<std::size_t>(instrument)].zoneCount;
    }
    if (report.refusal) return report;

    const InstZoneInfo& info = model.InstZoneTable[static_cast<std::size_t>(instrument)];
    report.samples = static_cast<int>(plan.conversions.size());
    report.output = WaveFileSize(plan);
    for (std::size_t c = 0; c < plan.conversions.size(); ++c) {
        const sfSample& sample = model.SampleHeaders[static_cast<std::size_t>(plan.sampleIndexes[c])];
        report.sampleReports.push_back(MakeSampleReport(static_cast<int>(c) + 1, sample, plan.conversions[c]));
    }
    if (countClipped && plan.ResamplesPoints()) {
        SampleSource source(model, soundFontPath);
        CountClippedPoints(plan, source, report);
        if (report.refusal) return report;
    }

    const int firstBag = model.InstHeaders[static_cast<std::size_t>(instrument)].firstZoneNdx;
    const auto gensOf = [&](int z) {
        return ZoneGenerators(model.InstBags, model.InstGens, firstBag + z - 1);
    };
    const std::span<const sfGenList> globalGens =
        info.zoneCount >= 1 && info.zone(1).isGlobal ? gensOf(1) : std::span<const sfGenList>();
    std::size_t entry = 0;
    for (int z = 1; z <= info.zoneCount; ++z) {
        const InstZone& zone = info.zone(z);
        const auto bag = static_cast<std::size_t>(firstBag + z - 1);
        const sfSample* sample = zone.isGlobal ? nullptr
                                               : &model.SampleHeaders[static_cast<std::size_t>(zone.sampleNdx)];
        ZoneReport zoneReport = MakeZoneReport(z, zone, gensOf(z), globalGens, sample);
        zoneReport.modulators = bag < model.InstBags.size() ? model.InstBags[bag].modCount : 0;
        if (!zone.isGlobal) {
            const KeyMapEntrySource& source = plan.entrySources[entry++];
            const auto c = static_cast<std::size_t>(source.sampleNumber - 1);
            zoneReport.sampleNumber = source.sampleNumber;
            zoneReport.clamps = ZoneClamps(zone, source);
            zoneReport.loopFlag = plan.sampleHeaders[c].loopFlag;
            double& error = report.sampleReports[c].loopPitchErrorCents;
            const double mine = LoopPitchError(*sample, plan.conversions[c], zone, source);
            if (std::abs(mine) > std::abs(error)) error = mine;
        }
        report.zoneReports.push_back(std::move(zoneReport));
    }
    report.presetGenerators = PresetGenerators(model, instrument);
    report.stereoPairs = StereoPairs(model, plan.sampleIndexes);
    return report;
}

namespace {

std::string Cents(double cents) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f ct", cents);
    return text;
}

std::string ClampText(const ValueClamp& c) {
    return c.field + " " + std::to_string(c.from) + " -> " + std::to_string(c.to);
}

}  // namespace

std::vector<ReportNote> ReportNotes(const InstrumentReport& r) {
    std::vector<ReportNote> warnings, notes;
    const auto warn = [&](std::string text) { warnings.push_back({true, std::move(text)}); };
    const auto note = [&](std::string text) { notes.push_back({false, std::move(text)}); };
    if (r.refusal) warn(*r.refusal);
    std::vector<std::string> dropped;
    int modulators = 0;
    for (const SampleReport& s : r.sampleReports) {
        const std::string name = "Sample \"" + SoundFontTextToUtf8(DisplayText(s.name)) + "\"";
        if (s.clippedPoints > 0) warn(name + ": " + std::to_string(s.clippedPoints) + " points clipped");
        if (!s.emptySourceLoop) {
            for (const ValueClamp& c : s.clamps) warn(name + ": " + ClampText(c));
        }
        if (std::abs(s.loopPitchErrorCents) > kAudiblePitchErrorCents) {
            warn(name + ": loop detuned by " + Cents(s.loopPitchErrorCents));
        }
        std::string change;
        if (s.fromRate != s.toRate) {
            change += std::to_string(s.fromRate) + " -> " + std::to_string(s.toRate) + " Hz";
        }
        if (s.loopTuneCents != 0.0) change += (change.empty() ? "" : ", ") + ("loop tune " + Cents(s.loopTuneCents));
        if (s.pitchCorrectionCents != 0) {
            change += (change.empty() ? "" : ", ") +
                      ("pitch correction " + Cents(s.pitchCorrectionCents) + " in the fine tune");
        }
        if (!change.empty()) note(name + " (" + s.codec + "): " + change);
    }
    for (const ZoneReport& z : r.zoneReports) {
        const std::string zone = "Zone " + std::to_string(z.zone);
        for (const ValueClamp& c : z.clamps) warn(zone + ": " + ClampText(c));
        if (z.rootKeySource == "fallback") warn(zone + ": no root key, 60 used");
        modulators += z.modulators;
        for (const std::string& g : z.droppedGenerators) {
            if (std::find(dropped.begin(), dropped.end(), g) == dropped.end()) dropped.push_back(g);
        }
    }
    for (const StereoPairReport& p : r.stereoPairs) {
        note("Stereo pair \"" + SoundFontTextToUtf8(DisplayText(p.left)) + "\" / \"" +
             SoundFontTextToUtf8(DisplayText(p.right)) + "\" written as two mono samples");
    }
    for (const PresetLevelReport& p : r.presetGenerators) {
        std::string list;
        for (const std::string& g : p.generators) list += (list.empty() ? "" : ", ") + g;
        note("Preset \"" + SoundFontTextToUtf8(DisplayText(p.preset)) + "\" adds " + list +
             " at preset level, not in the wave");
    }
    if (!dropped.empty()) {
        std::string list;
        for (const std::string& g : dropped) list += (list.empty() ? "" : ", ") + g;
        note("Not in the wave: " + list);
    }
    if (modulators > 0) note(std::to_string(modulators) + " modulators, not in the wave");
    warnings.insert(warnings.end(), notes.begin(), notes.end());
    return warnings;
}

}  // namespace zelvo
