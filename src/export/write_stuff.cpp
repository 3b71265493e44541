#include "export/write_stuff.h"

#include <algorithm>
#include <limits>

#include "browser/text_encoding.h"
#include "export/export_files.h"
#include "export/export_texts.h"

namespace zelvo {
namespace {

constexpr int kSampleReferenceBase = 0x4000;

[[noreturn]] void Refuse(const std::string& message) {
    throw ExportError(ExportError::Kind::Refused, message);
}

std::string Quoted(const std::string& text) {
    return "\"" + EscapedText(DisplayText(text)) + "\"";
}

std::string SampleOf(const sfSample& sample, const std::string& instrumentName) {
    return "Sample " + Quoted(sample.achSampleName) + " of instrument " + Quoted(instrumentName);
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
// or the points decoded from a compressed sample.
void CheckSampleData(const SoundFontModel& model, const sfSample& sample, const std::string& name,
                     bool decoded) {
    if (sample.sfSampleType & kSampleTypeRom) {
        Refuse(SampleOf(sample, name) +
               " lies in ROM, not in this file, so it cannot be exported.");
    }
    if (decoded) return;
    if (sample.sfSampleType & kSampleTypeCompressed) {
        Refuse(SampleOf(sample, name) + " is compressed; only 16-bit PCM samples can be exported.");
    }
    const std::uint64_t points = model.SmplSize / 2;
    if (sample.dwEnd > sample.dwStart && sample.dwEnd > points) {
        Refuse(SampleOf(sample, name) + " reaches past the sample data: it ends at point " +
               std::to_string(sample.dwEnd) + " of " + std::to_string(points) + ".");
    }
}

void CheckField(std::int64_t value, const char* field, const sfSample& sample,
                const std::string& name) {
    if (value <= kWaveMax24Bit) return;
    Refuse(SampleOf(sample, name) + " is too long for an EX5/7 wave: its " + field + " (" +
           std::to_string(value) + ") does not fit in 3 bytes.");
}

// A compressed sample as placed for the plan: its points are the decoded
// ones, and its loop points already count from their start.
sfSample DecodedPlacement(const sfSample& sample, const DecodedSample& decoded) {
    sfSample placed = sample;
    placed.dwStart = 0;
    placed.dwEnd = static_cast<std::uint32_t>(
        std::min<std::size_t>(decoded.points.size(), std::numeric_limits<std::uint32_t>::max()));
    return placed;
}

DecodedSample DecodeCompressedSample(const SoundFontModel& model, const sfSample& sample,
                                     const std::string& name, const InputFile& soundFont) {
    // dwStart and dwEnd of a compressed sample are byte offsets of its stream.
    if (sample.dwEnd > model.SmplSize) {
        Refuse(SampleOf(sample, name) + " reaches past the sample data: its stream ends at byte " +
               std::to_string(sample.dwEnd) + " of " + std::to_string(model.SmplSize) + ".");
    }
    std::string stream(sample.dwEnd > sample.dwStart ? sample.dwEnd - sample.dwStart : 0, '\0');
    soundFont.ReadAt(model.SampleDataPos - 1 + sample.dwStart, stream.data(), stream.size());
    try {
        return DecodeVorbisSample(stream, DisplayText(sample.achSampleName));
    } catch (const VorbisDecodeError& e) {
        Refuse(SampleOf(sample, name) + " " + e.reason() + ".");
    }
}

// Fills `size` bytes at `into` with big-endian points of one planned sample,
// from byte `from` of its points on.
void FillSamplePoints(const SampleDataRange& range, std::uint64_t from, char* into,
                      std::size_t size, const InputFile& soundFont,
                      std::uint64_t sampleDataOffset, const DecodedSamples& decoded) {
    if (range.decodedSample == 0) {
        soundFont.ReadAt(sampleDataOffset + range.offset + from, into, size);
        SwapPointBytes(into, size);
        return;
    }
    const std::vector<std::int16_t>& points = decoded.at(range.decodedSample).points;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto point = static_cast<std::uint16_t>(points.at((from + i) / 2));
        into[i] = static_cast<char>(point >> 8);
        into[i + 1] = static_cast<char>(point & 0xFF);
    }
}

std::int64_t PointCount(const sfSample& sample) {
    return std::max<std::int64_t>(0, std::int64_t{sample.dwEnd} - std::int64_t{sample.dwStart});
}

WaveKeyMapEntry MakeKeyMapEntry(const InstZone& zone, int sampleNumber, bool first) {
    return {.sampleReference = kSampleReferenceBase + sampleNumber - 1,
            .keyLo = WaveByte(zone.keyLo),
            .keyHi = WaveByte(zone.keyHi),
            .velLo = WaveByte(zone.velLo),
            .velHi = WaveByte(zone.velHi),
            .pan = WavePan(zone.pan),
            .coarseTune = WaveTune(zone.coarseTune),
            .fineTune = WaveTune(zone.fineTune),
            .first = first};
}

// dataBefore: points of the samples written before this one, so that the
// loop position counts from the start of the file's sample data.
WaveSampleHeader MakeSampleHeader(const sfSample& sample, const InstZone& firstUser, int slot,
                                  std::int64_t dataBefore) {
    const std::int64_t s = sample.dwStart;
    const std::int64_t e = sample.dwEnd;
    const std::int64_t ls = sample.dwStartloop;
    const std::int64_t le = sample.dwEndloop;
    return {.name = WaveName(sample.achSampleName),
            .loopPosition = WaveLoopPosition(ls - s + dataBefore),
            .loopFlag = WaveLoopFlag(firstUser.sampleModes),
            .loopStartOffset = std::max<std::int64_t>(0, ls - s),
            .loopLength = std::max<std::int64_t>(0, le - ls),
            .rootKey = WaveRootKey(firstUser.rootKey, sample.byOriginalPitch),
            .lengthAfterLoop = std::max<std::int64_t>(0, e - le),
            .slot = slot};
}

void CheckSampleHeader(const WaveSampleHeader& h, const sfSample& sample, const std::string& name) {
    CheckField(h.loopPosition, "loop position", sample, name);
    CheckField(h.loopStartOffset, "loop start offset", sample, name);
    CheckField(h.loopLength, "loop length", sample, name);
    CheckField(h.lengthAfterLoop, "length after the loop", sample, name);
}

}  // namespace

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
    for (const SampleDataRange& range : sampleData) total += range.size;
    return total;
}

std::string InstrumentName(const SoundFontModel& model, int instrument) {
    if (instrument < 1 || instrument > model.InstCount) return {};
    return DisplayText(model.InstHeaders.at(static_cast<std::size_t>(instrument)).achInstName);
}

DecodedSamples DecodeCompressedSamples(const SoundFontModel& model, int instrument,
                                       const InputFile& soundFont) {
    DecodedSamples decoded;
    if (instrument < 1 || instrument > model.InstCount) return decoded;
    const InstZoneInfo& info = model.InstZoneTable.at(static_cast<std::size_t>(instrument));
    const std::string name = InstrumentName(model, instrument);
    for (const int z : NumberExportSamples(info).FirstUserZones()) {
        const int s = info.zone(z).sampleNdx;
        if (s < 1 || s > model.SampleCount) continue;
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(s));
        if (!sample.IsCompressed()) continue;
        decoded.emplace(s, DecodeCompressedSample(model, sample, name, soundFont));
    }
    return decoded;
}

WavePlan PlanWaveFile(const SoundFontModel& model, int instrument, const DecodedSamples& decoded) {
    if (instrument < 1 || instrument > model.InstCount) {
        Refuse(NoInstrumentText(std::to_string(instrument)));
    }
    const InstZoneInfo& info = model.InstZoneTable.at(static_cast<std::size_t>(instrument));
    if (info.zoneCount == 0) Refuse(kNoSamplesMessage);
    const std::string name = InstrumentName(model, instrument);
    CheckZoneSamples(model, info, name);

    const ExportNumbering numbering = NumberExportSamples(info);
    WavePlan plan;
    for (int z = 1; z <= info.zoneCount; ++z) {
        const InstZone& zone = info.zone(z);
        if (zone.isGlobal) continue;
        plan.keyMapEntries.push_back(MakeKeyMapEntry(
            zone, numbering.ExportSampleNumber.at(zone.sampleNdx), plan.keyMapEntries.empty()));
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
    for (const int z : numbering.FirstUserZones()) {
        const InstZone& zone = info.zone(z);
        const sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(zone.sampleNdx));
        const auto found = decoded.find(zone.sampleNdx);
        const bool isDecoded = found != decoded.end();
        CheckSampleData(model, sample, name, isDecoded);
        const sfSample placed = isDecoded ? DecodedPlacement(sample, found->second) : sample;
        const auto slot = static_cast<int>(plan.sampleHeaders.size());
        plan.sampleHeaders.push_back(MakeSampleHeader(placed, zone, slot, dataBefore));
        CheckSampleHeader(plan.sampleHeaders.back(), sample, name);
        const std::int64_t points = PointCount(placed);
        plan.sampleSizes.push_back(static_cast<std::uint32_t>(2 * points));
        plan.sampleData.push_back({.offset = isDecoded ? 0 : 2 * std::uint64_t{sample.dwStart},
                                   .size = 2 * static_cast<std::uint64_t>(points),
                                   .decodedSample = isDecoded ? zone.sampleNdx : 0});
        dataBefore += points;
    }
    return plan;
}

void WriteWaveFileHeader(std::string& out) {
    out += EncodeWaveFileHeader();
}

void WriteWaveCounts(std::string& out, const WavePlan& plan) {
    out += EncodeWaveCounts(plan.counts);
}

void WriteWaveKeyMapSlots(std::string& out) {
    out += EncodeWaveKeyMapSlots();
}

void WriteWaveKeyMap(std::string& out, const WavePlan& plan) {
    out += EncodeWaveKeyMapArea(plan.keyMapHeader, plan.keyMapEntries);
}

void WriteWaveSampleHeaders(std::string& out, const WavePlan& plan) {
    out += EncodeWaveSampleHeaderTable(plan.sampleHeaders);
}

void WriteWaveSampleSizes(std::string& out, const WavePlan& plan) {
    out += EncodeWaveSampleSizes(plan.sampleSizes);
}

void SwapPointBytes(char* data, std::size_t size) {
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char low = data[i];
        data[i] = data[i + 1];
        data[i + 1] = low;
    }
}

void WriteWaveSampleData(const WavePlan& plan, const InputFile& soundFont,
                         std::uint64_t sampleDataOffset, const DecodedSamples& decoded,
                         AtomicOutputFile& out, const ExportProgress& progress) {
    const std::uint64_t total = plan.SampleDataBytes();
    std::uint64_t written = 0;
    if (progress) progress(written, total);
    // Small samples share a block, so the output is written in whole blocks.
    std::vector<char> block(kSampleCopyBlockBytes);
    std::size_t filled = 0;
    const auto flush = [&] {
        out.Write(block.data(), filled);
        written += filled;
        filled = 0;
        if (progress) progress(written, total);
    };
    for (const SampleDataRange& range : plan.sampleData) {
        for (std::uint64_t done = 0; done < range.size;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::uint64_t>(range.size - done, block.size() - filled));
            FillSamplePoints(range, done, block.data() + filled, n, soundFont, sampleDataOffset,
                             decoded);
            filled += n;
            done += n;
            if (filled == block.size()) flush();
        }
    }
    if (filled > 0) flush();
}

void ExportInstrumentToWave(const SoundFontModel& model, int instrument,
                            const std::string& soundFontPath, const std::string& outputPath,
                            const ExportProgress& progress) {
    const InputFile soundFont(soundFontPath);
    // Decoding can refuse, so it is done before the output exists.
    const DecodedSamples decoded = DecodeCompressedSamples(model, instrument, soundFont);
    const WavePlan plan = PlanWaveFile(model, instrument, decoded);
    AtomicOutputFile out(outputPath, soundFont.identity());
    std::string front;
    front.reserve(kWaveSampleDataOffset);
    WriteWaveFileHeader(front);
    WriteWaveCounts(front, plan);
    WriteWaveKeyMapSlots(front);
    WriteWaveKeyMap(front, plan);
    WriteWaveSampleHeaders(front, plan);
    WriteWaveSampleSizes(front, plan);
    out.Write(front);
    WriteWaveSampleData(plan, soundFont, model.SampleDataPos - 1, decoded, out, progress);
    out.Commit();
}

}  // namespace zelvo
