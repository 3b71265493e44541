// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/conversion_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>

#include "browser/instrument_view.h"
#include "browser/names.h"
#include "browser/text_encoding.h"
#include "export/sample_cache.h"
#include "export/sample_source.h"
#include "export/vorbis_decode.h"
#include "soundfont/zones_as_played.h"

namespace zelvo {
namespace {

constexpr std::uint16_t kSampleTypeRight = 2;
constexpr std::uint16_t kSampleTypeLeft = 4;
constexpr double kAudiblePitchErrorCents = 2.0;
constexpr int kPlayableEntries = 128;

// The generators that have a field in the wave; converting, the zone's
// addresses and scale tuning reach it too.
bool ReachesWave(int gen, bool convert) {
    switch (gen) {
        case kGenPan:
        case kGenKeyRange:
        case kGenVelRange:
        case kGenCoarseTune:
        case kGenFineTune:
        case kGenSampleId:
        case kGenSampleModes:
        case kGenOverridingRootKey: return true;
        case kGenScaleTuning:
        case kGenKeynum: return convert;
        default: return convert && IsAddressOffset(gen);
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

std::span<const sfGenList> InstZoneGens(const SoundFontModel& model, int instrument, int zone) {
    const int first = model.InstHeaders[static_cast<std::size_t>(instrument)].firstZoneNdx;
    return ZoneGenerators(model.InstBags, model.InstGens, first + zone - 1);
}

const sfSample& SampleAt(const SoundFontModel& model, int sampleNdx) {
    return model.SampleHeaders.at(static_cast<std::size_t>(sampleNdx));
}

// floor(64 x value / range) + 64, before the clamp into a byte.
int ScaledValue(int value, int range) {
    return static_cast<int>(std::floor(64.0 * value / range)) + 64;
}

void AddClamp(std::vector<ValueClamp>& clamps, const char* field, std::int64_t value, std::int64_t kept) {
    if (kept != value) clamps.push_back({field, value, kept});
}

void AddByteClamp(std::vector<ValueClamp>& clamps, const char* field, std::int64_t value) {
    AddClamp(clamps, field, value, std::clamp<std::int64_t>(value, 0, 127));
}

std::vector<ValueClamp> ZoneClamps(const InstZone& zone, const KeyMapEntrySource& entry, bool convert) {
    std::vector<ValueClamp> clamps;
    AddByteClamp(clamps, "key low", zone.keyLo);
    AddByteClamp(clamps, "key high", zone.keyHi);
    AddByteClamp(clamps, "velocity low", zone.velLo);
    AddByteClamp(clamps, "velocity high", zone.velHi);
    AddByteClamp(clamps, "pan", ScaledValue(zone.pan, 500));
    if (convert) {
        AddClamp(clamps, "coarse tune", entry.tune.unclampedCoarse, entry.tune.coarse);
    } else {
        AddByteClamp(clamps, "coarse tune", ScaledValue(zone.coarseTune, 100));
        AddByteClamp(clamps, "fine tune", ScaledValue(zone.fineTune, 100));
    }
    return clamps;
}

// The loop's pitch on the EX5/7 as the entry plays it, less the source's as a
// player plays it with the entry's zone.
double LoopPitchError(const SampleConversion& c, const KeyMapEntrySource& entry) {
    if (!c.Looped() || c.outLoopEnd <= c.outLoopStart || c.fromRate == 0) return 0.0;
    const double sourceLoopHz = c.fromRate / static_cast<double>(c.loopEnd - c.loopStart);
    const double waveLoopHz = kWaveSampleRate / static_cast<double>(c.outLoopEnd - c.outLoopStart);
    return 1200.0 * std::log2(waveLoopHz / sourceLoopHz) + c.loopTuneCents + entry.tune.Cents() -
           entry.tuneCents;
}

SampleReport MakeSampleReport(int number, const sfSample& sample, const PlannedSample& s,
                              const std::string& waveName) {
    const SampleConversion& c = s.conversion;
    std::vector<ValueClamp> clamps = c.clamps;
    std::string shown = DisplayText(waveName);
    shown.erase(shown.find_last_not_of(' ') + 1);
    return {.number = number,
            .name = DisplayText(sample.achSampleName),
            .waveName = shown,
            .codec = SourceCodecName(sample),
            .fromRate = c.fromRate,
            .toRate = c.toRate,
            .first = s.First(),
            .points = c.points,
            .outPoints = c.outPoints,
            .loopPoints = c.loopEnd - c.loopStart,
            .outLoopPoints = c.outLoopEnd - c.outLoopStart,
            .looped = s.looped,
            .loopTuneCents = c.loopTuneCents,
            .pitchCorrectionCents = c.pitchCorrectionCents,
            .clamps = std::move(clamps),
            .emptySourceLoop = sample.dwStartloop == sample.dwEndloop};
}

// Where a zone's root key comes from: its own generator, its instrument's
// global zone, its sample, or 60 when none gives a key.
void SetRootKeySource(ZoneReport& report, const SoundFontModel& model, const InstZone& zone) {
    const std::span<const sfGenList> own = InstZoneGens(model, report.instrument, report.zone);
    const sfSample& sample = SampleAt(model, zone.sampleNdx);
    if (zone.rootKey >= 0) {
        report.rootKeySource = FindGen(own, kGenOverridingRootKey) ? "zone" : "global zone";
        report.rootKey = zone.rootKey;
    } else if (sample.byOriginalPitch <= 127) {
        report.rootKeySource = "sample";
        report.rootKey = sample.byOriginalPitch;
    } else {
        report.rootKeySource = "fallback";
        report.rootKey = 60;
    }
}

std::vector<std::string> DroppedGenerators(std::span<const sfGenList> gens, bool convert) {
    std::vector<std::string> dropped;
    for (const sfGenList& gen : gens) {
        if (!ReachesWave(gen.sfGenOper, convert)) dropped.push_back(GeneratorText(gen.sfGenOper));
    }
    return dropped;
}

// A zone that plays: its entries, tuning, clamps and loop.
ZoneReport PlayedZoneReport(const SoundFontModel& model, const WavePlan& plan, std::size_t firstEntry,
                            const InstZone& zone, bool convert, std::vector<SampleReport>& samples) {
    const KeyMapEntrySource& entry = plan.entrySources[firstEntry];
    ZoneReport report;
    report.instrument = entry.instrument;
    report.zone = entry.zone;
    report.presetBag = entry.presetBag;
    report.sampleNumber = entry.sampleNumber;
    report.clamps = ZoneClamps(zone, entry, convert);
    report.sampleModes = zone.sampleModes;
    report.scaleTuning = zone.scaleTuning;
    report.keyLo = zone.keyLo;
    report.keyHi = zone.keyHi;
    report.velLo = zone.velLo;
    report.velHi = zone.velHi;
    report.tuneCents = entry.tuneCents;
    report.playedCents = entry.tune.Cents();
    const auto c = static_cast<std::size_t>(entry.sampleNumber - 1);
    report.loopFlag = plan.sampleHeaders[c].loopFlag;
    report.retuned = entry.rootKey != plan.samples[c].rootKey;
    SetRootKeySource(report, model, zone);
    for (std::size_t e = firstEntry; e < plan.entrySources.size(); ++e) {
        const KeyMapEntrySource& mine = plan.entrySources[e];
        if (mine.instrument != entry.instrument || mine.zone != entry.zone || mine.presetBag != entry.presetBag) break;
        ++report.entries;
        report.keyTuned = report.keyTuned || mine.keyTuned;
        double& error = samples[static_cast<std::size_t>(mine.sampleNumber - 1)].loopPitchErrorCents;
        const double here = LoopPitchError(plan.samples[c].conversion, mine);
        if (std::abs(here) > std::abs(error)) error = here;
    }
    const std::span<const sfGenList> gens = InstZoneGens(model, entry.instrument, entry.zone);
    report.droppedGenerators = DroppedGenerators(gens, convert);
    const auto bag = static_cast<std::size_t>(
        model.InstHeaders[static_cast<std::size_t>(entry.instrument)].firstZoneNdx + entry.zone - 1);
    report.modulators = bag < model.InstBags.size() ? model.InstBags[bag].modCount : 0;
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

std::vector<StereoPairReport> StereoPairs(const SoundFontModel& model, const std::vector<PlannedSample>& samples) {
    std::vector<StereoPairReport> pairs;
    std::set<std::pair<int, int>> seen;
    for (const PlannedSample& s : samples) {
        const sfSample& sample = SampleAt(model, s.sampleNdx);
        const bool left = sample.sfSampleType & kSampleTypeLeft;
        if (!left && !(sample.sfSampleType & kSampleTypeRight)) continue;
        const int other = sample.wSampleLink + 1;
        if (other < 1 || other > model.SampleCount) continue;
        // A link to a sample that is not the other side, as many banks leave it, is no pair.
        if (!(SampleAt(model, other).sfSampleType & (left ? kSampleTypeRight : kSampleTypeLeft))) continue;
        if (!seen.insert(std::minmax(s.sampleNdx, other)).second) continue;
        const std::string mine = DisplayText(sample.achSampleName);
        const std::string theirs = DisplayText(SampleAt(model, other).achSampleName);
        pairs.push_back(left ? StereoPairReport{mine, theirs} : StereoPairReport{theirs, mine});
    }
    return pairs;
}

// The gain a resampled planned sample needs, as converting it finds it.
using GainOf = std::function<double(const PlannedSample&)>;

// The gain each resampled sample needs. A stream that does not decode
// refuses the export as it would.
void MeasureGains(const SoundFontModel& model, const WavePlan& plan, const GainOf& gainOf,
                  InstrumentReport& report) {
    for (std::size_t c = 0; c < plan.samples.size(); ++c) {
        const PlannedSample& s = plan.samples[c];
        if (!s.conversion.Resampled()) continue;
        try {
            report.sampleReports[c].gainDb = GainDb(gainOf(s));
            report.sampleReports[c].converted = true;
        } catch (const VorbisDecodeError& e) {
            std::string owner;
            for (const KeyMapEntrySource& entry : plan.entrySources) {
                if (entry.sampleNumber == static_cast<int>(c) + 1) owner = InstrumentName(model, entry.instrument);
            }
            report.refusal = SampleOfInstrument(SampleAt(model, s.sampleNdx), owner) + " " + e.reason() + ".";
            return;
        }
    }
}

// Converts each sample it is asked for as the export does, through one
// source opened when first needed.
class ConvertingGains {
public:
    ConvertingGains(const SoundFontModel& model, const std::string& soundFontPath, std::stop_token stop)
        : model_(model), soundFontPath_(soundFontPath), stop_(std::move(stop)) {}

    double operator()(const PlannedSample& s) {
        if (!source_) source_ = std::make_shared<SampleSource>(model_, soundFontPath_, stop_);
        return ConvertSample(PlannedPointReader(*source_, s), s.conversion).gain;
    }

private:
    const SoundFontModel& model_;
    const std::string& soundFontPath_;
    std::stop_token stop_;
    std::shared_ptr<SampleSource> source_;  // shared by the copies a GainOf makes
};

// What every report of a planned file holds: sizes and samples.
void ReportPlan(const SoundFontModel& model, const WavePlan& plan, InstrumentReport& report) {
    report.samples = static_cast<int>(plan.samples.size());
    report.entries = static_cast<int>(plan.keyMapEntries.size());
    report.output = WaveFileSize(plan);
    std::set<int> seen;
    for (std::size_t c = 0; c < plan.samples.size(); ++c) {
        const PlannedSample& s = plan.samples[c];
        report.sampleReports.push_back(MakeSampleReport(static_cast<int>(c) + 1, SampleAt(model, s.sampleNdx),
                                                        s, plan.sampleHeaders[c].name));
        if (!seen.insert(s.sampleNdx).second) {
            report.sampleReports.back().repeatsSample = true;
            report.repeatedSampleBytes += plan.sampleSizes[c];
        }
    }
    report.stereoPairs = StereoPairs(model, plan.samples);
}

// The played zones of the plan, one report per zone, in entry order.
void ReportPlayedZones(const SoundFontModel& model, const WavePlan& plan, bool convert,
                       InstrumentReport& report) {
    const std::vector<ZoneAsPlayed> zones =
        report.preset ? PresetZonesAsPlayed(model, report.preset) : InstrumentZonesAsPlayed(model, report.instrument);
    std::size_t entry = 0;
    for (const ZoneAsPlayed& zone : zones) {
        if (entry >= plan.entrySources.size()) break;
        report.zoneReports.push_back(
            PlayedZoneReport(model, plan, entry, zone.values, convert, report.sampleReports));
        entry += static_cast<std::size_t>(report.zoneReports.back().entries);
    }
}

}  // namespace

int InstrumentReport::Warnings() const {
    const std::vector<ReportNote> notes = ReportNotes(*this);
    return static_cast<int>(std::count_if(notes.begin(), notes.end(), [](const ReportNote& n) { return n.warning; }));
}

std::string InstrumentReport::Status() const {
    if (refusal) return "refused";
    const bool samplesChanged =
        std::any_of(sampleReports.begin(), sampleReports.end(), [](const SampleReport& s) {
            return s.fromRate != s.toRate || s.pitchCorrectionCents != 0 || s.loopTuneCents != 0.0 ||
                   std::abs(s.loopPitchErrorCents) > kAudiblePitchErrorCents || s.gainDb != 0.0 ||
                   s.first != 0 || (!s.emptySourceLoop && !s.clamps.empty());
        });
    const bool tuningChanged = convert && std::any_of(zoneReports.begin(), zoneReports.end(), [](const ZoneReport& z) {
        return !z.global && (z.entries > 1 || z.retuned);
    });
    return samplesChanged || tuningChanged ? "changed" : "ok";
}

namespace {

// An instrument's plan, or why it has none.
struct PlanOrRefusal {
    WavePlan plan;
    std::optional<std::string> refusal;
};

PlanOrRefusal PlanForReport(const SoundFontModel& model, int instrument, const ExportOptions& options) {
    try {
        return {PlanWaveFile(model, instrument, options), std::nullopt};
    } catch (const ExportError& e) {
        return {{}, e.what()};
    }
}

// The report of a planned instrument; gainOf measures the gains, or none
// leaves them unmeasured.
InstrumentReport ReportPlannedInstrument(const SoundFontModel& model, int instrument, const PlanOrRefusal& planned,
                                         const ExportOptions& options, const GainOf& gainOf) {
    InstrumentReport report;
    report.instrument = instrument;
    report.name = InstrumentName(model, instrument);
    report.convert = options.convertSamples;
    report.refusal = planned.refusal;
    const WavePlan& plan = planned.plan;
    if (instrument >= 1 && instrument <= model.InstCount) {
        report.zones = model.InstZoneTable[static_cast<std::size_t>(instrument)].zoneCount;
    }
    if (report.refusal) return report;
    ReportPlan(model, plan, report);
    if (gainOf && options.convertSamples) MeasureGains(model, plan, gainOf, report);
    if (report.refusal) return report;
    const InstZoneInfo& info = model.InstZoneTable[static_cast<std::size_t>(instrument)];
    // The global zones first in zone order, with the zones that play.
    InstrumentReport played = report;
    ReportPlayedZones(model, plan, options.convertSamples, played);
    std::size_t next = 0;
    for (int z = 1; z <= info.zoneCount; ++z) {
        if (info.zone(z).isGlobal) {
            const int bag = model.InstHeaders[static_cast<std::size_t>(instrument)].firstZoneNdx + z - 1;
            ZoneReport global;
            global.instrument = instrument;
            global.zone = z;
            global.global = true;
            global.droppedGenerators = DroppedGenerators(InstZoneGens(model, instrument, z), options.convertSamples);
            global.modulators = model.InstBags[static_cast<std::size_t>(bag)].modCount;
            report.zoneReports.push_back(std::move(global));
        } else if (next < played.zoneReports.size()) {
            report.zoneReports.push_back(played.zoneReports[next++]);
        }
    }
    report.sampleReports = played.sampleReports;
    report.presetGenerators = PresetGenerators(model, instrument);
    return report;
}

}  // namespace

InstrumentReport ReportInstrumentExport(const SoundFontModel& model, int instrument,
                                        const std::string& soundFontPath,
                                        const ExportOptions& options, bool measure) {
    return ReportPlannedInstrument(model, instrument, PlanForReport(model, instrument, options), options,
                                   measure ? GainOf(ConvertingGains(model, soundFontPath, options.stop)) : GainOf{});
}

std::vector<InstrumentReport> ReportAllInstruments(const SoundFontModel& model, const std::string& soundFontPath,
                                                   const ExportOptions& options, bool measure) {
    std::vector<PlanOrRefusal> plans;
    std::vector<std::vector<const PlannedSample*>> uses;
    for (int i = 1; i <= model.InstCount; ++i) plans.push_back(PlanForReport(model, i, options));
    for (const PlanOrRefusal& planned : plans) {
        std::vector<const PlannedSample*>& mine = uses.emplace_back();
        if (!measure || !options.convertSamples) continue;
        for (const PlannedSample& s : planned.plan.samples) {
            if (s.conversion.Resampled()) mine.push_back(&s);
        }
    }
    SampleCache cache(model, soundFontPath, uses, options);
    const GainOf gainOf = [&cache](const PlannedSample& s) { return cache.Take(s)->gain; };
    std::vector<InstrumentReport> reports;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        cache.Begin(i);
        reports.push_back(ReportPlannedInstrument(model, static_cast<int>(i) + 1, plans[i], options,
                                                  measure ? gainOf : GainOf{}));
        cache.Finish(i);
    }
    return reports;
}

InstrumentReport ReportPresetExport(const SoundFontModel& model, int preset,
                                    const std::string& soundFontPath, bool measure, std::stop_token stop) {
    InstrumentReport report;
    report.preset = preset;
    if (preset >= 1 && preset <= model.PresetCount) {
        const sfPresetHeader& header = model.PresetHeaders[static_cast<std::size_t>(preset)];
        report.name = DisplayText(header.achPresetName);
        PresetLevelReport unmerged{report.name, header.wBank, header.wPreset, {}};
        for (int z = 0; z < header.zoneCount; ++z) {
            for (const int gen : UnmergedPresetGenerators(model, header.firstZoneNdx + z)) {
                const std::string text = GeneratorText(gen);
                auto& list = unmerged.generators;
                if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
            }
        }
        if (!unmerged.generators.empty()) report.presetGenerators.push_back(std::move(unmerged));
    }
    WavePlan plan;
    try {
        plan = PlanPresetWave(model, preset);
    } catch (const ExportError& e) {
        report.refusal = e.what();
    }
    report.zones = static_cast<int>(PresetZonesAsPlayed(model, preset).size());
    if (report.refusal) return report;
    ReportPlan(model, plan, report);
    if (measure) MeasureGains(model, plan, ConvertingGains(model, soundFontPath, std::move(stop)), report);
    if (report.refusal) return report;
    ReportPlayedZones(model, plan, true, report);
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

std::string Shown(const std::string& name) {
    return "\"" + SoundFontTextToUtf8(DisplayText(name)) + "\"";
}

std::string Joined(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) list += (list.empty() ? "" : ", ") + item;
    return list;
}

// Notes and warnings about one zone or sample each; lines that say the same
// about several are said once, with how many.
class NoteLines {
public:
    void Add(bool warning, const std::string& subject, std::string text, const char* many) {
        const auto same = std::find_if(lines_.begin(), lines_.end(), [&](const Line& l) {
            return l.warning == warning && l.text == text && l.many == many;
        });
        if (same != lines_.end()) {
            ++same->count;
        } else {
            lines_.push_back({warning, subject, std::move(text), many, 1});
        }
    }
    void Add(bool warning, std::string text) { Add(warning, "", std::move(text), ""); }

    // Warnings first, each group in the order of its first line.
    std::vector<ReportNote> Notes() const {
        std::vector<ReportNote> notes;
        for (const bool warning : {true, false}) {
            for (const Line& l : lines_) {
                if (l.warning != warning) continue;
                if (l.count > 1) {
                    notes.push_back({warning, l.text + " (" + std::to_string(l.count) + " " + l.many + ")"});
                } else {
                    notes.push_back({warning, l.subject.empty() ? l.text : l.subject + ": " + l.text});
                }
            }
        }
        return notes;
    }

private:
    struct Line {
        bool warning;
        std::string subject, text, many;
        int count;
    };
    std::vector<Line> lines_;
};

// Generators whose loss leaves the note itself as it was: effect sends,
// exclusive classes and the numbers the standard leaves unused.
bool ShapesTheSound(const std::string& generator) {
    for (const int gen : {14, 15, 16, 18, 19, 20, 42, 49, 55, 57, 59, 60}) {
        if (generator == GenNames[static_cast<std::size_t>(gen)]) return false;
    }
    return true;
}

// A pan of +100 % is the one value the byte's 0..127 cannot hold; the last
// step is as far right as the EX5/7 pans.
ReportNote ClampNote(const ValueClamp& c) {
    if (c.field == "pan" && c.from > 127) return {false, "pan 100% right written as 127"};
    const bool pitch = c.field == "coarse tune" || c.field == "fine tune";
    return {pitch, ClampText(c)};
}

void AddSampleNotes(NoteLines& lines, const SampleReport& s) {
    const std::string name = "Sample " + Shown(s.name);
    if (s.gainDb != 0.0) {
        char gain[64];
        std::snprintf(gain, sizeof gain, s.gainDb > -0.005 ? "less than 0.01 dB" : "%.2f dB", s.gainDb);
        lines.Add(false, name, std::string("scaled down by ") + gain + " so that its converted points fit 16 bits",
                  "samples");
    }
    if (!s.emptySourceLoop) {
        for (const ValueClamp& c : s.clamps) lines.Add(false, name, ClampText(c), "samples");
    }
    // Points kept at another rate play off by the same for the whole sample, loop and all.
    double rateCents = 0.0;
    if (s.toRate != kWaveSampleRate && s.toRate != 0) {
        rateCents = RateOffsetCents(s.toRate);
        char off[96];
        std::snprintf(off, sizeof off, "holds points at %u Hz, so the EX5/7 plays it %+.0f ct off (at 44100 Hz)",
                      s.toRate, rateCents);
        lines.Add(true, name, off, "samples");
    }
    if (s.loopPitchErrorCents != 0.0 && std::abs(s.loopPitchErrorCents - rateCents) > kAudiblePitchErrorCents) {
        lines.Add(true, name, "loop detuned by " + Cents(s.loopPitchErrorCents), "samples");
    }
    std::vector<std::string> change;
    if (s.fromRate != s.toRate) change.push_back(std::to_string(s.fromRate) + " -> " + std::to_string(s.toRate) + " Hz");
    if (s.first != 0) change.push_back("from point " + std::to_string(s.first));
    if (s.loopTuneCents != 0.0) change.push_back("loop tune " + Cents(s.loopTuneCents));
    if (s.pitchCorrectionCents != 0) {
        change.push_back("pitch correction " + Cents(s.pitchCorrectionCents) + " in the fine tune");
    }
    if (!change.empty()) lines.Add(false, name + " (" + s.codec + ")", Joined(change), "samples");
}

}  // namespace

double RateOffsetCents(std::uint32_t rate) {
    return rate == 0 ? 0.0 : 1200.0 * std::log2(static_cast<double>(kWaveSampleRate) / rate);
}

std::vector<ReportNote> ReportNotes(const InstrumentReport& r) {
    NoteLines lines;
    if (r.refusal) lines.Add(true, *r.refusal);
    int repeats = 0;
    for (const SampleReport& s : r.sampleReports) {
        AddSampleNotes(lines, s);
        if (s.repeatsSample) ++repeats;
    }
    if (r.entries > kPlayableEntries) {
        lines.Add(true, std::to_string(r.entries) + " key-map entries; the EX5/7 plays at most " +
                            std::to_string(kPlayableEntries) + " in one wave");
    }
    std::vector<std::string> shaping, dropped;
    int modulators = 0;
    for (const ZoneReport& z : r.zoneReports) {
        std::string zone = "Zone " + std::to_string(z.zone);
        if (r.preset) zone += " of instrument " + std::to_string(z.instrument);
        for (const ValueClamp& c : z.clamps) {
            const ReportNote n = ClampNote(c);
            lines.Add(n.warning, zone, n.text, "zones");
        }
        if (z.rootKeySource == "fallback") lines.Add(false, zone, "no root key, 60 used", "zones");
        if (z.keyTuned) {
            lines.Add(true, zone, "scale tuning of " + std::to_string(z.scaleTuning) +
                                      " ct per key; its entry is in tune at one key only", "zones");
        }
        modulators += z.modulators;
        for (const std::string& g : z.droppedGenerators) {
            std::vector<std::string>& list = ShapesTheSound(g) ? shaping : dropped;
            if (std::find(list.begin(), list.end(), g) == list.end()) list.push_back(g);
        }
    }
    if (!shaping.empty()) lines.Add(true, "Not in the wave, though they shape the sound: " + Joined(shaping));
    if (repeats > 0) {
        lines.Add(false, std::to_string(repeats) + (repeats == 1 ? " sample is" : " samples are") +
                             " written again for zones that play them from another start, loop or loop mode: " +
                             Grouped(r.repeatedSampleBytes) + " bytes");
    }
    for (const StereoPairReport& p : r.stereoPairs) {
        lines.Add(false, "Stereo pair " + Shown(p.left) + " / " + Shown(p.right) + " written as two mono samples");
    }
    for (const PresetLevelReport& p : r.presetGenerators) {
        lines.Add(false, "Preset " + Shown(p.preset) + " adds " + Joined(p.generators) + " at preset level, not in the wave");
    }
    if (!dropped.empty()) lines.Add(false, "Not in the wave: " + Joined(dropped));
    if (modulators > 0) lines.Add(false, std::to_string(modulators) + " modulators, not in the wave");
    return lines.Notes();
}

}  // namespace zelvo
