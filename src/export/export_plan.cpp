// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_plan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "browser/instrument_view.h"
#include "browser/names.h"
#include "browser/text_encoding.h"
#include "export/export_texts.h"
#include "soundfont/zones_as_played.h"

namespace zelvo {
namespace {

constexpr int kSampleReferenceBase = 0x4000;
constexpr int kLoopOnFlag = 0x00;
constexpr int kLoopOffFlag = 0x40;
constexpr const char* kDamagedStream = "has a damaged or incomplete Ogg Vorbis stream";
// The entries the EX5/7 takes in one wave (from an EX5 librarian's documentation).
constexpr std::size_t kPlayableEntries = 128;
constexpr std::uint16_t kSampleTypeRight = 2;
constexpr std::uint16_t kSampleTypeLeft = 4;

[[noreturn]] void Refuse(const std::string& message) {
    throw ExportError(ExportError::Kind::Refused, message);
}

std::string Quoted(const std::string& text) {
    return "\"" + EscapedText(DisplayText(text)) + "\"";
}

void CheckZoneSample(const SoundFontModel& model, const InstZone& zone, int z, const std::string& name) {
    if (zone.sampleNdx >= 1) return;
    Refuse("Zone " + std::to_string(z) + " of instrument " + Quoted(name) + " refers to sample " +
           std::to_string(zone.sampleId + 1) + ", but this SoundFont has " +
           std::to_string(model.SampleCount) + " samples.");
}

// The file takes 16-bit points that lie inside this SoundFont's sample data,
// or the points decoded from a compressed sample whose stream lies there and
// whose last page gives its length.
void CheckSampleData(const SoundFontModel& model, const sfSample& sample, const std::string& name) {
    if (sample.sfSampleType & kSampleTypeRom) {
        Refuse(SampleOfInstrument(sample, name) +
               " lies in ROM, not in this file, so it cannot be exported.");
    }
    if (sample.IsCompressed()) {
        // dwStart and dwEnd of a compressed sample are byte offsets of its stream.
        if (sample.dwEnd > model.SmplSize) {
            Refuse(SampleOfInstrument(sample, name) +
                   " reaches past the sample data: its stream ends at byte " +
                   std::to_string(sample.dwEnd) + " of " + std::to_string(model.SmplSize) + ".");
        }
        if (sample.decodedLength == 0 && sample.dwEnd > sample.dwStart) {
            Refuse(SampleOfInstrument(sample, name) + " " + kDamagedStream + ".");
        }
        return;
    }
    const std::uint64_t points = model.SmplSize / 2;
    if (sample.dwEnd > sample.dwStart && sample.dwEnd > points) {
        Refuse(SampleOfInstrument(sample, name) + " reaches past the sample data: it ends at point " +
               std::to_string(sample.dwEnd) + " of " + std::to_string(points) + ".");
    }
}

void CheckField(std::int64_t value, const char* field, const sfSample& sample,
                const std::string& name) {
    if (value <= kWaveMax24Bit) return;
    Refuse(SampleOfInstrument(sample, name) + " is too long for an EX5/7 wave: its " + field + " (" +
           std::to_string(value) + ") does not fit in 3 bytes.");
}

void CheckSampleHeader(const WaveSampleHeader& h, const sfSample& sample, const std::string& name) {
    CheckField(h.loopPosition, "loop position", sample, name);
    CheckField(h.loopStartOffset, "loop start offset", sample, name);
    CheckField(h.loopLength, "loop length", sample, name);
    CheckField(h.lengthAfterLoop, "length after the loop", sample, name);
}

// The whole file must fit the largest wave memory; the sample that makes it
// too large is named.
void CheckTotal(std::uint64_t fileBytes, const sfSample& sample, const std::string& name) {
    if (fileBytes <= kLargestWaveMemoryBytes) return;
    Refuse(SampleOfInstrument(sample, name) + " makes the wave " + Grouped(fileBytes) +
           " bytes, more than the largest EX5/7 wave memory (65 MB, " +
           Grouped(kLargestWaveMemoryBytes) + " bytes).");
}

// The points a sample holds: from dwStart up to dwEnd, or a compressed
// sample's decoded ones, whose loop points count from its first.
std::int64_t PointCount(const sfSample& s) {
    if (s.IsCompressed()) return s.decodedLength;
    return std::max<std::int64_t>(0, std::int64_t{s.dwEnd} - std::int64_t{s.dwStart});
}

std::int64_t FirstPoint(const sfSample& s) {
    return s.IsCompressed() ? 0 : s.dwStart;
}

// A wave sample's points as placed for the conversion: counted from its
// first, with its loop.
sfSample Placement(const sfSample& sample, std::int64_t first, std::int64_t points,
                   std::int64_t loopStart, std::int64_t loopEnd) {
    sfSample placed = sample;
    placed.dwStart = 0;
    placed.dwEnd = static_cast<std::uint32_t>(points);
    placed.dwStartloop = static_cast<std::uint32_t>(std::max<std::int64_t>(0, loopStart - first));
    placed.dwEndloop = static_cast<std::uint32_t>(std::max<std::int64_t>(0, loopEnd - first));
    return placed;
}

WaveSampleHeader MakeSampleHeader(const std::string& name, const SampleConversion& c, int loopFlag,
                                  int rootKey, int slot, std::int64_t dataBefore) {
    return {.name = name,
            .loopPosition = WaveLoopPosition(c.outLoopStart + dataBefore),
            .loopFlag = loopFlag,
            .loopStartOffset = c.outLoopStart,
            .loopLength = c.outLoopEnd - c.outLoopStart,
            .rootKey = rootKey,
            .lengthAfterLoop = c.outPoints - c.outLoopEnd,
            .slot = slot};
}

WaveKeyMapEntry MakeKeyMapEntry(const InstZone& zone, int sampleNumber, int keyLo, int keyHi,
                                const EntryTune& tune, bool first) {
    return {.sampleReference = kSampleReferenceBase + sampleNumber - 1,
            .keyLo = WaveByte(keyLo),
            .keyHi = WaveByte(keyHi),
            .velLo = WaveByte(zone.velLo),
            .velHi = WaveByte(zone.velHi),
            .pan = WavePan(zone.pan),
            .coarseTune = tune.coarse,
            .fineTune = tune.fine,
            .first = first};
}

void FinishCounts(WavePlan& plan, const std::string& keyMapName, const std::string& what) {
    const auto entries = static_cast<std::int64_t>(plan.keyMapEntries.size());
    if (entries > kWaveMaxKeyMapEntries) {
        Refuse(what + " has " + std::to_string(entries) + " zones, more than the " +
               std::to_string(kWaveMaxKeyMapEntries) + " an EX5/7 key map holds.");
    }
    const auto samples = static_cast<std::int64_t>(plan.samples.size());
    if (samples > kWaveSlotCount) {
        Refuse(what + " uses " + std::to_string(samples) + " samples, more than the " +
               std::to_string(kWaveSlotCount) + " an EX5/7 wave holds.");
    }
    plan.counts = {.keyMapLength = static_cast<std::int64_t>(kWaveKeyMapHeaderSize) +
                                   static_cast<std::int64_t>(kWaveKeyMapEntrySize) * entries,
                   .sampleCount = samples};
    plan.keyMapHeader = {.name = WaveName(keyMapName), .entryCount = entries};
}

// Sample headers and sizes in sample order, each checked, with the loop
// position counting the points of the samples before it.
void PlaceSamples(const SoundFontModel& model, WavePlan& plan, const std::vector<std::string>& names,
                  const std::vector<int>& loopFlags, const std::vector<std::string>& owners) {
    std::int64_t dataBefore = 0;
    std::uint64_t fileBytes = kWaveSampleDataOffset;
    for (std::size_t c = 0; c < plan.samples.size(); ++c) {
        const PlannedSample& s = plan.samples[c];
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(s.sampleNdx));
        plan.sampleHeaders.push_back(MakeSampleHeader(names[c], s.conversion, loopFlags[c], s.rootKey,
                                                      static_cast<int>(c), dataBefore));
        fileBytes += 2 * static_cast<std::uint64_t>(s.conversion.outPoints);
        CheckTotal(fileBytes, sample, owners[c]);
        CheckSampleHeader(plan.sampleHeaders.back(), sample, owners[c]);
        plan.sampleSizes.push_back(static_cast<std::uint32_t>(2 * s.conversion.outPoints));
        dataBefore += s.conversion.outPoints;
    }
}

// --- As stored: the reference export's records ---

WavePlan PlanAsStored(const SoundFontModel& model, int instrument) {
    const InstZoneInfo& info = model.InstZoneTable.at(static_cast<std::size_t>(instrument));
    const std::string name = InstrumentName(model, instrument);
    for (int z = 1; z <= info.zoneCount; ++z) {
        if (!info.zone(z).isGlobal) CheckZoneSample(model, info.zone(z), z, name);
    }
    const ExportNumbering numbering = NumberExportSamples(info);
    WavePlan plan;
    std::vector<std::string> names;
    std::vector<int> flags;
    for (const int z : numbering.FirstUserZones()) {
        const InstZone& zone = info.zone(z);
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(zone.sampleNdx));
        CheckSampleData(model, sample, name);
        // A compressed sample's points are its decoded ones, its loop counted from the first.
        sfSample placed = sample;
        if (sample.IsCompressed()) {
            placed.dwStart = 0;
            placed.dwEnd = sample.decodedLength;
        }
        const SampleConversion conversion = PlanSampleConversion(placed, false);
        PlannedSample planned{.sampleNdx = zone.sampleNdx,
                              .runs = {{0, conversion.points}},
                              .conversion = conversion,
                              .looped = WaveLoopFlag(zone.sampleModes) == kLoopOnFlag,
                              .rootKey = WaveRootKey(zone.rootKey, sample.byOriginalPitch)};
        plan.samples.push_back(std::move(planned));
        names.push_back(WaveName(sample.achSampleName));
        flags.push_back(WaveLoopFlag(zone.sampleModes));
    }
    for (int z = 1; z <= info.zoneCount; ++z) {
        const InstZone& zone = info.zone(z);
        if (zone.isGlobal) continue;
        const int number = numbering.ExportSampleNumber.at(zone.sampleNdx);
        EntryTune tune{.coarse = WaveTune(zone.coarseTune), .fine = WaveTune(zone.fineTune)};
        tune.unclampedCoarse = tune.coarse;
        plan.entrySources.push_back({.instrument = instrument,
                                     .zone = z,
                                     .sampleNumber = number,
                                     .rootKey = WaveRootKey(zone.rootKey,
                                                            model.SampleHeaders[static_cast<std::size_t>(zone.sampleNdx)].byOriginalPitch),
                                     .tuneCents = zone.coarseTune * 100.0 + zone.fineTune,
                                     .tune = tune});
        plan.keyMapEntries.push_back(
            MakeKeyMapEntry(zone, number, zone.keyLo, zone.keyHi, tune, plan.keyMapEntries.empty()));
    }
    FinishCounts(plan, name, "Instrument " + Quoted(name));
    PlaceSamples(model, plan, names, flags, std::vector<std::string>(plan.samples.size(), name));
    return plan;
}

// --- Converting: each zone as a player plays it ---

// The points of a sample that a zone plays, as a player keeps its offsets
// inside the sample: start and end within the points, the loop within them
// too, and a loop of fewer than two points not looped. A player that starts
// after the loop start plays on to the loop end and then loops from the loop
// start: the wave sample holds the points up to the loop end, the loop once
// more, then the rest. Loop points count from the wave sample's first point.
struct ZoneSpan {
    std::vector<PointRun> runs;
    std::int64_t points = 0, loopStart = 0, loopEnd = 0;
    bool looped = false;

    auto Key() const { return std::make_tuple(runs, looped, looped ? loopStart : 0, looped ? loopEnd : 0); }
};

ZoneSpan SpanOf(const sfSample& sample, const InstZone& zone) {
    ZoneSpan span;
    const std::int64_t points = PointCount(sample);
    if (points == 0) return span;
    const std::int64_t base = FirstPoint(sample);
    const SampleOffsets& o = zone.offsets;
    std::int64_t first = std::clamp<std::int64_t>(o.Start(), 0, points - 1);
    std::int64_t last = std::clamp<std::int64_t>(points - 1 + o.End(), 0, points - 1);
    if (first > last) std::swap(first, last);
    std::int64_t loopStart = std::clamp<std::int64_t>(std::int64_t{sample.dwStartloop} - base + o.LoopStart(), 0, points);
    std::int64_t loopEnd = std::clamp<std::int64_t>(std::int64_t{sample.dwEndloop} - base + o.LoopEnd(), 0, points);
    if (loopStart > loopEnd) std::swap(loopStart, loopEnd);
    span.looped = LoopsWhileHeld(zone.sampleModes) && loopEnd - loopStart >= 2;
    const std::int64_t end = span.looped ? std::max(last + 1, loopEnd) : last + 1;
    if (!span.looped || loopStart >= first) {
        span.runs = {{first, end - first}};
        span.points = end - first;
        span.loopStart = std::clamp(loopStart - first, std::int64_t{0}, span.points);
        span.loopEnd = std::clamp(loopEnd - first, span.loopStart, span.points);
        return span;
    }
    // A start at or past the loop end jumps to the loop start at once.
    if (loopEnd > first) span.runs.push_back({first, loopEnd - first});
    span.loopStart = loopEnd > first ? loopEnd - first : 0;
    span.runs.push_back({loopStart, loopEnd - loopStart});
    span.loopEnd = span.loopStart + loopEnd - loopStart;
    if (end > loopEnd) span.runs.push_back({loopEnd, end - loopEnd});
    span.points = span.loopEnd + std::max<std::int64_t>(0, end - loopEnd);
    return span;
}

// The key a zone's pitch follows when key k is played.
int PitchKey(const InstZone& zone, int k) {
    return zone.keynum >= 0 ? zone.keynum : k;
}

// A zone whose keys do not each move its pitch by a semitone: another scale
// tuning, or one key that every key plays as.
bool FollowsOtherScale(const InstZone& zone) {
    return (zone.scaleTuning != 100 || zone.keynum >= 0) && zone.keyHi > zone.keyLo;
}

// Which zones get one entry per key: those that follow another scale, in
// zone order while the wave stays within the entries it plays.
std::vector<bool> SplitZones(const std::vector<ZoneAsPlayed>& zones) {
    std::vector<bool> split(zones.size(), false);
    std::size_t budget = zones.size() < kPlayableEntries ? kPlayableEntries - zones.size() : 0;
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const InstZone& v = zones[i].values;
        const int lo = std::max(v.keyLo, 0), hi = std::min(v.keyHi, 127);
        if (!FollowsOtherScale(v) || hi <= lo) continue;
        const auto extra = static_cast<std::size_t>(hi - lo);
        if (extra > budget) continue;
        split[i] = true;
        budget -= extra;
    }
    return split;
}

std::string NoteOf(int key) {
    return NoteName(key).value_or("");
}

// The keys of a zone's entries: each of its keys when split, else the one
// key its single entry is in tune at.
std::vector<int> EntryKeys(const InstZone& v, int root, bool split) {
    const int lo = std::min(v.keyLo, v.keyHi), hi = std::max(v.keyLo, v.keyHi);
    std::vector<int> keys;
    if (split) {
        for (int k = std::max(lo, 0); k <= std::min(hi, 127); ++k) keys.push_back(k);
    } else {
        keys.push_back(std::clamp(v.keynum >= 0 ? v.keynum : root, lo, hi));
    }
    return keys;
}

WavePlan PlanZones(const SoundFontModel& model, const std::vector<ZoneAsPlayed>& zones,
                   const std::string& keyMapName, const std::string& what) {
    WavePlan plan;
    // The wave samples of each way of playing a sample, one per header root key.
    std::map<std::tuple<int, std::vector<PointRun>, bool, std::int64_t, std::int64_t>, std::vector<int>> numbers;
    std::vector<std::string> owners;
    const std::vector<bool> split = SplitZones(zones);
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const ZoneAsPlayed& zp = zones[i];
        const InstZone& v = zp.values;
        const std::string instrumentName = InstrumentName(model, zp.instrument);
        CheckZoneSample(model, v, zp.zone, instrumentName);
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(v.sampleNdx));
        CheckSampleData(model, sample, instrumentName);
        const ZoneSpan span = SpanOf(sample, v);
        const SampleConversion conversion =
            PlanSampleConversion(Placement(sample, 0, span.points, span.loopStart, span.loopEnd), true, span.looped);
        const int root = WaveRootKey(v.rootKey, sample.byOriginalPitch);
        const std::vector<int> keys = EntryKeys(v, root, split[i]);
        // What an entry at key k adds to a header root key R: the pitch a
        // player gives key k, less the semitones the EX5 moves from R.
        const auto cents = [&](int k, int rootKey) {
            return ZonePitchCents(v, root, conversion, k) - 100.0 * (k - rootKey);
        };
        const auto fits = [&](int rootKey) {
            return std::none_of(keys.begin(), keys.end(),
                                [&](int k) { return EntryTuneFor(cents(k, rootKey)).CoarseClamped(); });
        };
        // A sample header whose root key leaves every entry's coarse byte in
        // range; a zone that fits none gets one of its own, at the root key
        // that centres its tuning.
        std::vector<int>& variants = numbers[std::tuple_cat(std::make_tuple(v.sampleNdx), span.Key())];
        const auto fitting = std::find_if(variants.begin(), variants.end(), [&](int n) {
            return fits(plan.samples[static_cast<std::size_t>(n - 1)].rootKey);
        });
        int number = fitting != variants.end() ? *fitting : 0;
        if (number == 0) {
            const int middle = keys[keys.size() / 2];
            const int rootKey = fits(root) ? root
                                           : static_cast<int>(std::clamp<double>(
                                                 std::round(-cents(middle, 0) / 100.0), 0, 127));
            plan.samples.push_back({.sampleNdx = v.sampleNdx,
                                    .runs = span.runs,
                                    .conversion = conversion,
                                    .looped = span.looped,
                                    .rootKey = rootKey});
            owners.push_back(instrumentName);
            number = static_cast<int>(plan.samples.size());
            variants.push_back(number);
        }
        const int headerRoot = plan.samples[static_cast<std::size_t>(number - 1)].rootKey;
        for (const int k : keys) {
            const double tuning = cents(k, headerRoot);
            const EntryTune tune = EntryTuneFor(tuning);
            plan.entrySources.push_back({.instrument = zp.instrument,
                                         .zone = zp.zone,
                                         .presetBag = zp.presetBag,
                                         .sampleNumber = number,
                                         .rootKey = root,
                                         .tuneCents = tuning,
                                         .tune = tune,
                                         .perKey = split[i],
                                         .keyTuned = !split[i] && FollowsOtherScale(v)});
            plan.keyMapEntries.push_back(MakeKeyMapEntry(v, number, split[i] ? k : v.keyLo,
                                                         split[i] ? k : v.keyHi, tune,
                                                         plan.keyMapEntries.empty()));
        }
    }
    FinishCounts(plan, keyMapName, what);
    std::vector<int> flags;
    for (const PlannedSample& s : plan.samples) flags.push_back(s.looped ? kLoopOnFlag : kLoopOffFlag);
    PlaceSamples(model, plan, DistinctSampleNames(model, plan.samples), flags, owners);
    return plan;
}

}  // namespace

double ZonePitchCents(const InstZone& zone, int rootKey, const SampleConversion& c, int key) {
    return 100.0 * zone.coarseTune + zone.fineTune + c.TuneCents() +
           zone.scaleTuning * static_cast<double>(PitchKey(zone, key) - rootKey);
}

double EntryPitchCents(const WavePlan& plan, std::size_t entry, int key) {
    const KeyMapEntrySource& source = plan.entrySources.at(entry);
    const PlannedSample& sample = plan.samples.at(static_cast<std::size_t>(source.sampleNumber - 1));
    return 100.0 * (key - sample.rootKey) + source.tune.Cents();
}

std::string SampleOfInstrument(const sfSample& sample, const std::string& instrumentName) {
    return "Sample " + Quoted(sample.achSampleName) + " of instrument " + Quoted(instrumentName);
}

std::vector<int> ExportNumbering::FirstUserZones() const {
    std::vector<int> zones;
    for (std::size_t z = 1; z < ZoneFirstUse.size(); ++z) {
        if (ZoneFirstUse[z]) zones.push_back(static_cast<int>(z));
    }
    return zones;
}

ExportNumbering NumberExportSamples(const InstZoneInfo& instrument) {
    ExportNumbering numbering;
    numbering.ZoneFirstUse.assign(static_cast<std::size_t>(instrument.zoneCount) + 1, false);
    for (int z = 1; z <= instrument.zoneCount; ++z) {
        const InstZone& zone = instrument.zone(z);
        // Only non-global zones number samples, so a global zone's stale
        // sampleNdx never makes a later zone a repeat.
        if (zone.isGlobal || numbering.ExportSampleNumber.contains(zone.sampleNdx)) continue;
        numbering.ZoneFirstUse[static_cast<std::size_t>(z)] = true;
        numbering.ExportSampleNumber[zone.sampleNdx] = ++numbering.ExportSampleCount;
    }
    return numbering;
}

std::uint64_t WavePlan::SampleDataBytes() const {
    std::uint64_t total = 0;
    for (const std::uint32_t size : sampleSizes) total += size;
    return total;
}

bool WavePlan::ResamplesPoints() const {
    return std::any_of(samples.begin(), samples.end(),
                       [](const PlannedSample& s) { return s.conversion.Resampled(); });
}

std::vector<std::string> DistinctSampleNames(const SoundFontModel& model,
                                             const std::vector<PlannedSample>& samples) {
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t c = 0; c < samples.size(); ++c) {
        names.push_back(WaveName(model.SampleHeaders.at(static_cast<std::size_t>(samples[c].sampleNdx)).achSampleName));
        byName[names.back()].push_back(c);
    }
    std::set<std::string> taken(names.begin(), names.end());
    // What fits of the name before a tag, without the spaces that end it.
    const auto tagged = [](const std::string& name, const std::string& tag) {
        std::string stem = DisplayText(name).substr(0, 8 - std::min<std::size_t>(tag.size(), 8));
        stem.erase(stem.find_last_not_of(' ') + 1);
        return WaveName(stem + tag);
    };
    for (const auto& [name, members] : byName) {
        if (members.size() < 2) continue;
        std::map<std::string, int> tagCount;
        std::vector<std::string> tags;
        for (const std::size_t c : members) {
            const sfSample& s = model.SampleHeaders.at(static_cast<std::size_t>(samples[c].sampleNdx));
            const char* side = s.sfSampleType & kSampleTypeLeft ? "L" : s.sfSampleType & kSampleTypeRight ? "R" : "";
            tags.push_back(NoteOf(samples[c].rootKey) + side);
            ++tagCount[tags.back()];
        }
        taken.erase(name);
        for (std::size_t m = 0; m < members.size(); ++m) {
            std::string tag = tags[m];
            std::string candidate = tagCount[tag] == 1 ? tagged(name, tag) : "";
            for (int n = 1; candidate.empty() || taken.contains(candidate); ++n) {
                candidate = tagged(name, tag + std::to_string(n));
            }
            taken.insert(candidate);
            names[members[m]] = candidate;
        }
    }
    return names;
}

WavePlan PlanWaveFile(const SoundFontModel& model, int instrument, const ExportOptions& options) {
    if (instrument < 1 || instrument > model.InstCount) {
        Refuse(NoInstrumentText(std::to_string(instrument), model.InstCount));
    }
    const InstZoneInfo& info = model.InstZoneTable.at(static_cast<std::size_t>(instrument));
    if (info.zoneCount == 0) Refuse(kNoSamplesMessage);
    if (!options.convertSamples) return PlanAsStored(model, instrument);
    const std::string name = InstrumentName(model, instrument);
    return PlanZones(model, InstrumentZonesAsPlayed(model, instrument), name, "Instrument " + Quoted(name));
}

WavePlan PlanPresetWave(const SoundFontModel& model, int preset) {
    if (preset < 1 || preset > model.PresetCount) {
        Refuse("There is no preset " + std::to_string(preset) + " in this SoundFont.");
    }
    const std::string name = DisplayText(model.PresetHeaders[static_cast<std::size_t>(preset)].achPresetName);
    const std::vector<ZoneAsPlayed> zones = PresetZonesAsPlayed(model, preset);
    if (zones.empty()) Refuse("Preset " + Quoted(name) + " plays no zone with a sample.");
    return PlanZones(model, zones, name, "Preset " + Quoted(name));
}

}  // namespace zelvo
