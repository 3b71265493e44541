#include "export/export_plan.h"

#include <algorithm>

#include "browser/text_encoding.h"
#include "export/export_texts.h"

namespace zelvo {
namespace {

constexpr int kSampleReferenceBase = 0x4000;
constexpr const char* kDamagedStream = "has a damaged or incomplete Ogg Vorbis stream";

[[noreturn]] void Refuse(const std::string& message) {
    throw ExportError(ExportError::Kind::Refused, message);
}

std::string Quoted(const std::string& text) {
    return "\"" + EscapedText(DisplayText(text)) + "\"";
}

// Every non-global zone must name a sample the file has.
void CheckZoneSamples(const SoundFontModel& model, const InstZoneInfo& info,
                      const std::string& name) {
    for (int z = 1; z <= info.zoneCount; ++z) {
        const InstZone& zone = info.zone(z);
        if (zone.isGlobal || zone.sampleNdx >= 1) continue;
        Refuse("Zone " + std::to_string(z) + " of instrument " + Quoted(name) +
               " refers to sample " + std::to_string(zone.sampleId + 1) + ", but this SoundFont has " +
               std::to_string(model.SampleCount) + " samples.");
    }
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

// A sample as placed for the plan: a compressed one's points are its
// decoded ones, and its loop points already count from their start.
sfSample Placement(const sfSample& sample) {
    if (!sample.IsCompressed()) return sample;
    sfSample placed = sample;
    placed.dwStart = 0;
    placed.dwEnd = sample.decodedLength;
    return placed;
}

// The fine tune of an entry with its sample's corrections folded in.
KeyMapEntrySource MakeEntrySource(int z, const InstZone& zone, int sampleNumber,
                                  const SampleConversion& conversion) {
    const double cents = zone.fineTune + conversion.TuneCents();
    return {.zone = z,
            .sampleNumber = sampleNumber,
            .fineTuneCents = cents,
            .fineTuneByte = UnclampedWaveFineTune(cents)};
}

WaveKeyMapEntry MakeKeyMapEntry(const InstZone& zone, const KeyMapEntrySource& source,
                                bool first) {
    return {.sampleReference = kSampleReferenceBase + source.sampleNumber - 1,
            .keyLo = WaveByte(zone.keyLo),
            .keyHi = WaveByte(zone.keyHi),
            .velLo = WaveByte(zone.velLo),
            .velHi = WaveByte(zone.velHi),
            .pan = WavePan(zone.pan),
            .coarseTune = WaveTune(zone.coarseTune),
            .fineTune = WaveByte(source.fineTuneByte),
            .first = first};
}

// dataBefore: points of the samples written before this one, so that the
// loop position counts from the start of the file's sample data.
WaveSampleHeader MakeSampleHeader(const sfSample& sample, const SampleConversion& c,
                                  const InstZone& firstUser, int slot, std::int64_t dataBefore) {
    return {.name = WaveName(sample.achSampleName),
            .loopPosition = WaveLoopPosition(c.outLoopStart + dataBefore),
            .loopFlag = WaveLoopFlag(firstUser.sampleModes),
            .loopStartOffset = c.outLoopStart,
            .loopLength = c.outLoopEnd - c.outLoopStart,
            .rootKey = WaveRootKey(firstUser.rootKey, sample.byOriginalPitch),
            .lengthAfterLoop = c.outPoints - c.outLoopEnd,
            .slot = slot};
}

void CheckSampleHeader(const WaveSampleHeader& h, const sfSample& sample, const std::string& name) {
    CheckField(h.loopPosition, "loop position", sample, name);
    CheckField(h.loopStartOffset, "loop start offset", sample, name);
    CheckField(h.loopLength, "loop length", sample, name);
    CheckField(h.lengthAfterLoop, "length after the loop", sample, name);
}

}  // namespace

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
    return std::any_of(conversions.begin(), conversions.end(),
                       [](const SampleConversion& c) { return c.Resampled(); });
}

WavePlan PlanWaveFile(const SoundFontModel& model, int instrument, const ExportOptions& options) {
    if (instrument < 1 || instrument > model.InstCount) {
        Refuse(NoInstrumentText(std::to_string(instrument)));
    }
    const InstZoneInfo& info = model.InstZoneTable.at(static_cast<std::size_t>(instrument));
    if (info.zoneCount == 0) Refuse(kNoSamplesMessage);
    const std::string name = InstrumentName(model, instrument);
    CheckZoneSamples(model, info, name);

    const ExportNumbering numbering = NumberExportSamples(info);
    WavePlan plan;
    for (const int z : numbering.FirstUserZones()) {
        const int index = info.zone(z).sampleNdx;
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(index));
        plan.sampleIndexes.push_back(index);
        plan.conversions.push_back(PlanSampleConversion(Placement(sample), options.convertSamples));
    }
    for (int z = 1; z <= info.zoneCount; ++z) {
        const InstZone& zone = info.zone(z);
        if (zone.isGlobal) continue;
        const int number = numbering.ExportSampleNumber.at(zone.sampleNdx);
        plan.entrySources.push_back(MakeEntrySource(
            z, zone, number, plan.conversions[static_cast<std::size_t>(number - 1)]));
        plan.keyMapEntries.push_back(
            MakeKeyMapEntry(zone, plan.entrySources.back(), plan.keyMapEntries.empty()));
    }
    const auto entries = static_cast<std::int64_t>(plan.keyMapEntries.size());
    if (entries > kWaveMaxKeyMapEntries) {
        Refuse("Instrument " + Quoted(name) + " has " + std::to_string(entries) +
               " zones, more than the " + std::to_string(kWaveMaxKeyMapEntries) +
               " an EX5/7 key map holds.");
    }
    if (numbering.ExportSampleCount > kWaveSlotCount) {
        Refuse("Instrument " + Quoted(name) + " uses " +
               std::to_string(numbering.ExportSampleCount) + " samples, more than the " +
               std::to_string(kWaveSlotCount) + " an EX5/7 wave holds.");
    }
    plan.counts = {.keyMapLength = static_cast<std::int64_t>(kWaveKeyMapHeaderSize) +
                                   static_cast<std::int64_t>(kWaveKeyMapEntrySize) * entries,
                   .sampleCount = numbering.ExportSampleCount};
    plan.keyMapHeader = {.name = WaveName(name), .entryCount = entries};

    std::int64_t dataBefore = 0;
    const std::vector<int> firstUsers = numbering.FirstUserZones();
    for (std::size_t c = 0; c < firstUsers.size(); ++c) {
        const InstZone& zone = info.zone(firstUsers[c]);
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(zone.sampleNdx));
        CheckSampleData(model, sample, name);
        const SampleConversion& conversion = plan.conversions[c];
        const auto slot = static_cast<int>(c);
        plan.sampleHeaders.push_back(
            MakeSampleHeader(Placement(sample), conversion, zone, slot, dataBefore));
        CheckSampleHeader(plan.sampleHeaders.back(), sample, name);
        plan.sampleSizes.push_back(static_cast<std::uint32_t>(2 * conversion.outPoints));
        dataBefore += conversion.outPoints;
    }
    return plan;
}

}  // namespace zelvo
