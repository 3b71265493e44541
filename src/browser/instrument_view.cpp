// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/instrument_view.h"

#include <algorithm>
#include <cstdio>

#include "browser/names.h"
#include "browser/node_details.h"
#include "browser/text_encoding.h"

namespace zelvo {
namespace {

int Clamp(int value, int lo, int hi) {
    return std::clamp(value, lo, hi);
}

const sfSample* SampleOf(const SoundFontModel& model, int sampleNdx) {
    if (sampleNdx < 1 || sampleNdx > model.SampleCount) return nullptr;
    return &model.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
}

// A key the zone plays at the sample's own pitch; 255 means unpitched,
// which players treat as 60.
int RootKeyOf(const InstZone& zone, const sfSample* sample) {
    const int key = zone.rootKey != -1 ? zone.rootKey : sample ? sample->byOriginalPitch : 60;
    return key >= 0 && key <= 127 ? key : 60;
}

std::string Note(int key) {
    return NoteName(key).value_or("");
}

const InstZoneInfo* ZonesOf(const SoundFontModel& model, int instrument) {
    if (instrument < 1 || instrument > model.InstCount ||
        static_cast<std::size_t>(instrument) >= model.InstZoneTable.size()) {
        return nullptr;
    }
    return &model.InstZoneTable[static_cast<std::size_t>(instrument)];
}

}  // namespace

std::vector<KeyMapZone> KeyMapOf(const SoundFontModel& model, const std::vector<ZoneAsPlayed>& zones) {
    std::vector<KeyMapZone> map;
    for (const ZoneAsPlayed& played : zones) {
        if (!ZonesOf(model, played.instrument)) continue;
        const InstZone& zone = played.values;
        const sfSample* sample = SampleOf(model, zone.sampleNdx);
        // Files sometimes give a range high to low; it still covers those keys.
        const int keyA = Clamp(zone.keyLo, 0, 127), keyB = Clamp(zone.keyHi, 0, 127);
        const int velA = Clamp(zone.velLo, 1, 127), velB = Clamp(zone.velHi, 1, 127);
        map.push_back({.instrument = played.instrument,
                       .zone = played.zone,
                       .bag = model.InstHeaders[static_cast<std::size_t>(played.instrument)].firstZoneNdx +
                              played.zone - 1,
                       .presetBag = played.presetBag,
                       .keyLo = std::min(keyA, keyB),
                       .keyHi = std::max(keyA, keyB),
                       .velLo = std::min(velA, velB),
                       .velHi = std::max(velA, velB),
                       .rootKey = RootKeyOf(zone, sample),
                       .sampleNdx = zone.sampleNdx,
                       .sampleName = sample ? SoundFontTextToUtf8(DisplayText(sample->achSampleName))
                                            : std::string()});
    }
    return map;
}

std::vector<KeyMapZone> BuildKeyMap(const SoundFontModel& model, int instrument) {
    return KeyMapOf(model, InstrumentZonesAsPlayed(model, instrument));
}

std::vector<KeyMapZone> BuildPresetKeyMap(const SoundFontModel& model, int preset) {
    return KeyMapOf(model, PresetZonesAsPlayed(model, preset));
}

KeyMapRect ZoneRect(const KeyMapZone& zone, int width, int height) {
    const int left = zone.keyLo * width / kKeyCount;
    const int right = (zone.keyHi + 1) * width / kKeyCount;
    const int top = (kVelocityLevels - zone.velHi) * height / kVelocityLevels;
    const int bottom = (kVelocityLevels - zone.velLo + 1) * height / kVelocityLevels;
    return {left, top, right - left, bottom - top};
}

int KeyAt(int x, int width) {
    if (width <= 0) return 0;
    return Clamp(x * kKeyCount / width, 0, 127);
}

int VelocityAt(int y, int height) {
    if (height <= 0) return 127;
    return Clamp(kVelocityLevels - y * kVelocityLevels / height, 1, 127);
}

std::optional<std::size_t> ZoneAt(const std::vector<KeyMapZone>& zones, int key, int velocity) {
    for (std::size_t i = zones.size(); i-- > 0;) {
        const KeyMapZone& z = zones[i];
        if (key >= z.keyLo && key <= z.keyHi && velocity >= z.velLo && velocity <= z.velHi) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> ZoneForKey(const std::vector<KeyMapZone>& zones, int key) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const KeyMapZone& z = zones[i];
        if (key < z.keyLo || key > z.keyHi) continue;
        if (!best || z.velHi > zones[*best].velHi) best = i;
    }
    return best;
}

std::vector<ZoneTableRow> BuildZoneTable(const SoundFontModel& model, int instrument) {
    std::vector<ZoneTableRow> rows;
    const InstZoneInfo* info = ZonesOf(model, instrument);
    if (!info) return rows;
    for (const KeyMapZone& k : BuildKeyMap(model, instrument)) {
        const InstZone& zone = info->zone(k.zone);
        const sfSample* sample = SampleOf(model, zone.sampleNdx);
        ZoneTableRow row{.bag = k.bag,
                         .sample = k.sampleName,
                         .keys = KeyRangeText(k.keyLo, k.keyHi),
                         .velocities = std::to_string(k.velLo) + " - " + std::to_string(k.velHi),
                         .root = Note(k.rootKey),
                         .tune = CentsText(zone.coarseTune * 100 + zone.fineTune),
                         .pan = PanText(zone.pan),
                         .loop = LoopModeText(zone.sampleModes)};
        if (sample) {
            const std::uint64_t points = sample->IsCompressed() ? sample->decodedLength
                                         : sample->dwEnd > sample->dwStart ? sample->dwEnd - sample->dwStart
                                                                           : 0;
            row.rate = std::to_string(sample->dwSampleRate) + " Hz";
            row.length = SecondsText(points, sample->dwSampleRate);
            row.side = SampleTypeWord(sample->sfSampleType);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string KeyRangeText(int lo, int hi) {
    return lo == hi ? Note(lo) : Note(lo) + " - " + Note(hi);
}

std::string CentsText(int cents) {
    return (cents > 0 ? "+" : "") + std::to_string(cents) + " ct";
}

std::string PanText(int pan) {
    const int whole = pan / 10, tenth = std::abs(pan % 10);
    std::string text = (pan > 0 ? "+" : pan < 0 ? "-" : "") + std::to_string(std::abs(whole));
    if (tenth != 0) text += "." + std::to_string(tenth);
    return text + " %";
}

std::string LoopModeText(int sampleModes) {
    switch (sampleModes) {
        case 1: return "loop";
        case 3: return "loop, release";
        default: return "none";
    }
}

bool LoopsWhileHeld(int sampleModes) {
    return sampleModes == 1 || sampleModes == 3;
}

std::string SecondsText(std::uint64_t points, std::uint32_t rate) {
    if (rate == 0) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(points) / rate);
    return text;
}

std::string Grouped(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

}  // namespace zelvo
