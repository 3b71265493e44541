// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/zones_as_played.h"

#include <algorithm>
#include <span>

#include "soundfont/generators.h"
#include "soundfont/zone_tables.h"

namespace zelvo {
namespace {

// What a preset zone adds to the instrument zones it plays: its ranges, and
// offsets to add, from zero.
InstZone PresetDefaults() {
    InstZone values;
    values.velLo = 0;
    values.scaleTuning = 0;
    return values;
}

bool PlaysInstrument(std::span<const sfGenList> gens) {
    return !gens.empty() && gens.back().sfGenOper == kGenInstrument;
}

// The generators a preset zone may set that the merge applies.
bool Merged(int gen) {
    switch (gen) {
        case kGenKeyRange:
        case kGenVelRange:
        case kGenCoarseTune:
        case kGenFineTune:
        case kGenScaleTuning:
        case kGenPan:
        case kGenInstrument: return true;
        default: return false;
    }
}

// Generators that only mean something at instrument level.
bool InstrumentOnly(int gen) {
    switch (gen) {
        case kGenSampleId:
        case kGenSampleModes:
        case kGenOverridingRootKey:
        case kGenKeynum:
        case 47:  // velocity
        case 57:  // exclusiveClass
            return true;
        default: return IsAddressOffset(gen);
    }
}

std::span<const sfGenList> PresetZoneGens(const SoundFontModel& model, int bag) {
    return ZoneGenerators(model.PresetBags, model.PresetGens, bag);
}

// The generators of the preset's global zone: its first, when that plays no instrument.
std::span<const sfGenList> GlobalZoneGens(const SoundFontModel& model, const sfPresetHeader& preset) {
    if (preset.zoneCount == 0) return {};
    const std::span<const sfGenList> first = PresetZoneGens(model, preset.firstZoneNdx);
    return PlaysInstrument(first) ? std::span<const sfGenList>() : first;
}

// Ranges intersect; false when they do not meet.
bool Intersect(int& lo, int& hi, int otherLo, int otherHi) {
    lo = std::max(lo, otherLo);
    hi = std::min(hi, otherHi);
    return lo <= hi;
}

}  // namespace

std::vector<ZoneAsPlayed> InstrumentZonesAsPlayed(const SoundFontModel& model, int instrument) {
    std::vector<ZoneAsPlayed> zones;
    if (instrument < 1 || instrument > model.InstCount ||
        static_cast<std::size_t>(instrument) >= model.InstZoneTable.size()) {
        return zones;
    }
    const InstZoneInfo& info = model.InstZoneTable[static_cast<std::size_t>(instrument)];
    for (int z = 1; z <= info.zoneCount; ++z) {
        if (!info.zone(z).isGlobal) zones.push_back({instrument, z, 0, info.zone(z)});
    }
    return zones;
}

std::vector<ZoneAsPlayed> PresetZonesAsPlayed(const SoundFontModel& model, int preset) {
    std::vector<ZoneAsPlayed> zones;
    if (preset < 1 || preset > model.PresetCount) return zones;
    const sfPresetHeader& header = model.PresetHeaders[static_cast<std::size_t>(preset)];
    InstZone global = PresetDefaults();
    for (const sfGenList& gen : GlobalZoneGens(model, header)) ApplyGenerator(global, gen);
    for (int z = 0; z < header.zoneCount; ++z) {
        const int bag = header.firstZoneNdx + z;
        const std::span<const sfGenList> gens = PresetZoneGens(model, bag);
        if (!PlaysInstrument(gens) || gens.back().linkNdx < 1) continue;
        InstZone p = global;
        for (const sfGenList& gen : gens) ApplyGenerator(p, gen);
        for (ZoneAsPlayed zone : InstrumentZonesAsPlayed(model, gens.back().linkNdx)) {
            InstZone& v = zone.values;
            if (!Intersect(v.keyLo, v.keyHi, p.keyLo, p.keyHi) ||
                !Intersect(v.velLo, v.velHi, p.velLo, p.velHi)) {
                continue;
            }
            v.coarseTune += p.coarseTune;
            v.fineTune += p.fineTune;
            v.scaleTuning += p.scaleTuning;
            v.pan = std::clamp(v.pan + p.pan, -500, 500);
            zone.presetBag = bag;
            zones.push_back(std::move(zone));
        }
    }
    return zones;
}

std::vector<int> UnmergedPresetGenerators(const SoundFontModel& model, int presetBag) {
    std::vector<int> unmerged;
    if (presetBag < 1 || presetBag > model.PresetZoneCount) return unmerged;
    const int preset = model.PresetBags[static_cast<std::size_t>(presetBag)].ownerNdx;
    if (preset < 1 || preset > model.PresetCount) return unmerged;
    const auto add = [&](std::span<const sfGenList> gens) {
        for (const sfGenList& gen : gens) {
            const int g = gen.sfGenOper;
            if (Merged(g) || InstrumentOnly(g)) continue;
            if (std::find(unmerged.begin(), unmerged.end(), g) == unmerged.end()) unmerged.push_back(g);
        }
    };
    add(PresetZoneGens(model, presetBag));
    add(GlobalZoneGens(model, model.PresetHeaders[static_cast<std::size_t>(preset)]));
    return unmerged;
}

}  // namespace zelvo
