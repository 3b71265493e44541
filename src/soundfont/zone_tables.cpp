// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/zone_tables.h"

#include "soundfont/generators.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

// A zone plays an instrument (or a sample) when its last generator names
// one; a zone without that generator, or without any generator, is global.
bool IsGlobalZone(const std::vector<sfGenList>& gens, std::size_t first, int count, int linkGen) {
    return count == 0 || gens[first + static_cast<std::size_t>(count) - 1].sfGenOper != linkGen;
}

template <typename Record>
std::string LinkedName(const std::vector<Record>& records, std::string Record::*name, int linkNdx) {
    return linkNdx >= 1 ? DisplayText(records[static_cast<std::size_t>(linkNdx)].*name) : "";
}

// The label of a zone: "global", or the name of what it plays; empty when
// that record is missing from the file.
std::string ZoneLabel(const SoundFontModel& model, const std::vector<sfGenList>& gens,
                      std::size_t first, int count, int linkGen) {
    if (IsGlobalZone(gens, first, count, linkGen)) return kGlobalLabel;
    const int link = gens[first + static_cast<std::size_t>(count) - 1].linkNdx;
    return linkGen == kGenInstrument ? LinkedName(model.InstHeaders, &sfInst::achInstName, link)
                                     : LinkedName(model.SampleHeaders, &sfSample::achSampleName, link);
}

void ResolveLinks(std::vector<sfGenList>& gens, int instCount, int sampleCount) {
    for (sfGenList& gen : gens) {
        const int count = gen.sfGenOper == kGenInstrument ? instCount
                          : gen.sfGenOper == kGenSampleId ? sampleCount
                                                          : -1;
        if (count < 0) continue;
        gen.linkNdx = gen.genAmount < count ? gen.genAmount + 1 : kMissingRecord;
    }
}

}  // namespace

void ApplyGenerator(InstZone& zone, const sfGenList& gen) {
    const std::uint16_t a = gen.genAmount;
    switch (gen.sfGenOper) {
        case kGenPan: zone.pan = SignedAmount(a); break;
        case kGenKeyRange:
            zone.keyLo = a % 256;
            zone.keyHi = a / 256;
            break;
        case kGenVelRange:
            zone.velLo = a % 256;
            zone.velHi = a / 256;
            break;
        case kGenCoarseTune: zone.coarseTune = SignedAmount(a); break;
        case kGenFineTune: zone.fineTune = SignedAmount(a); break;
        case kGenSampleId:
            zone.sampleNdx = gen.linkNdx;
            zone.sampleId = a;
            break;
        case kGenSampleModes: zone.sampleModes = a; break;
        case kGenScaleTuning: zone.scaleTuning = SignedAmount(a); break;
        case kGenKeynum: zone.keynum = a <= 127 ? a : -1; break;
        case kGenStartAddrsOffset: zone.offsets.start = SignedAmount(a); break;
        case kGenEndAddrsOffset: zone.offsets.end = SignedAmount(a); break;
        case kGenStartloopAddrsOffset: zone.offsets.loopStart = SignedAmount(a); break;
        case kGenEndloopAddrsOffset: zone.offsets.loopEnd = SignedAmount(a); break;
        case kGenStartAddrsCoarseOffset: zone.offsets.startCoarse = SignedAmount(a); break;
        case kGenEndAddrsCoarseOffset: zone.offsets.endCoarse = SignedAmount(a); break;
        case kGenStartloopAddrsCoarseOffset: zone.offsets.loopStartCoarse = SignedAmount(a); break;
        case kGenEndloopAddrsCoarseOffset: zone.offsets.loopEndCoarse = SignedAmount(a); break;
        // Files write "none" as 65535: the zone then plays at the sample's own pitch.
        case kGenOverridingRootKey: zone.rootKey = a <= 127 ? a : -1; break;
        default: break;
    }
}

void ResolveReferences(SoundFontModel& model) {
    ResolveLinks(model.PresetGens, model.InstCount, model.SampleCount);
    ResolveLinks(model.InstGens, model.InstCount, model.SampleCount);
    // Which preset zones play each instrument, indexed once for the whole file.
    model.InstPresetZones.assign(static_cast<std::size_t>(model.InstCount) + 1, {});
    for (int bag = 1; bag <= model.PresetZoneCount; ++bag) {
        const std::span<const sfGenList> gens = ZoneGenerators(model.PresetBags, model.PresetGens, bag);
        if (gens.empty() || gens.back().sfGenOper != kGenInstrument || gens.back().linkNdx < 1) continue;
        model.InstPresetZones[static_cast<std::size_t>(gens.back().linkNdx)].push_back(bag);
    }
}

void LabelPresetZones(const SoundFontModel& model, BrowseTree& tree) {
    std::size_t g = 1;
    for (int z = 1; z <= model.PresetZoneCount; ++z) {
        const int count = model.PresetBags[z].genCount;
        tree.SetNodeText(NodeKey(kPresetZonePrefix, z),
                         ZoneLabel(model, model.PresetGens, g, count, kGenInstrument));
        g += static_cast<std::size_t>(count);
    }
}

void BuildInstZoneTable(SoundFontModel& model, BrowseTree& tree) {
    model.InstZoneTable.assign(static_cast<std::size_t>(model.InstCount) + 1, InstZoneInfo{});
    int k = 0;
    std::size_t g = 1;
    for (int i = 1; i <= model.InstCount; ++i) {
        InstZoneInfo& info = model.InstZoneTable[i];
        info.zoneCount = model.InstHeaders[i].zoneCount;
        info.zones.assign(static_cast<std::size_t>(info.zoneCount) + 1, InstZone{});
        // Zones take what they lack from the instrument's global zone, which
        // can only be its first.
        InstZone inherited;
        for (int z = 1; z <= info.zoneCount; ++z) {
            ++k;
            const int count = model.InstBags[k].genCount;
            InstZone& zone = info.zones[z];
            zone = inherited;
            for (int j = 0; j < count; ++j) ApplyGenerator(zone, model.InstGens[g + j]);
            tree.SetNodeText(NodeKey(kInstZonePrefix, k),
                             ZoneLabel(model, model.InstGens, g, count, kGenSampleId));
            zone.isGlobal = IsGlobalZone(model.InstGens, g, count, kGenSampleId);
            g += static_cast<std::size_t>(count);
            if (zone.isGlobal && z == 1) {
                inherited = zone;
                inherited.sampleNdx = 0;
                inherited.sampleId = 0;
                inherited.isGlobal = false;
            }
        }
    }
}

}  // namespace zelvo
