// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/preset_view.h"

#include <algorithm>
#include <unordered_map>

#include "browser/instrument_view.h"
#include "browser/names.h"
#include "browser/text_encoding.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

struct Ranges {
    int keyLo = 0, keyHi = 127, velLo = 1, velHi = 127;
};

// The zone's generators, in file order.
std::vector<sfGenList> GensOf(const SoundFontModel& model, int bag) {
    std::vector<sfGenList> gens;
    const sfPresetBag& b = model.PresetBags[static_cast<std::size_t>(bag)];
    const long first = static_cast<long>(b.wGenNdx) - model.PresetBags[1].wGenNdx + 1;
    for (long slot = first; slot < first + b.genCount; ++slot) {
        if (slot >= 1 && static_cast<std::size_t>(slot) < model.PresetGens.size())
            gens.push_back(model.PresetGens[static_cast<std::size_t>(slot)]);
    }
    return gens;
}

void Apply(Ranges& r, const sfGenList& g) {
    if (g.sfGenOper == kGenKeyRange) {
        r.keyLo = g.genAmount % 256;
        r.keyHi = g.genAmount / 256;
    } else if (g.sfGenOper == kGenVelRange) {
        r.velLo = g.genAmount % 256;
        r.velHi = g.genAmount / 256;
    }
}

// A layer plays only where its instrument has zones: a drum kit's layers
// each span the whole keyboard in the preset but a few keys as played.
void NarrowToZones(std::vector<PresetLayer>& layers, const std::vector<KeyMapZone>& zones) {
    std::unordered_map<int, Ranges> played;  // by preset zone
    for (const KeyMapZone& z : zones) {
        const auto [at, first] = played.try_emplace(z.presetBag, Ranges{z.keyLo, z.keyHi, z.velLo, z.velHi});
        Ranges& r = at->second;
        if (first) continue;
        r = {std::min(r.keyLo, z.keyLo), std::max(r.keyHi, z.keyHi), std::min(r.velLo, z.velLo),
             std::max(r.velHi, z.velHi)};
    }
    for (PresetLayer& layer : layers) {
        const auto found = played.find(layer.bag);
        if (found == played.end()) continue;
        layer.keyLo = found->second.keyLo;
        layer.keyHi = found->second.keyHi;
        layer.velLo = found->second.velLo;
        layer.velHi = found->second.velHi;
    }
}

}  // namespace

std::vector<PresetLayer> BuildPresetLayers(const SoundFontModel& model, int preset) {
    std::vector<PresetLayer> layers;
    if (preset < 1 || preset > model.PresetCount) return layers;
    const sfPresetHeader& h = model.PresetHeaders[static_cast<std::size_t>(preset)];
    Ranges global;
    for (int z = 0; z < h.zoneCount; ++z) {
        const int bag = h.firstZoneNdx + z;
        if (bag < 1 || bag > model.PresetZoneCount) break;
        const std::vector<sfGenList> gens = GensOf(model, bag);
        const bool plays = !gens.empty() && gens.back().sfGenOper == kGenInstrument;
        Ranges ranges = global;
        for (const sfGenList& g : gens) Apply(ranges, g);
        if (!plays) {
            if (z == 0) global = ranges;  // only a first zone can be global
            continue;
        }
        const int instrument = gens.back().genAmount + 1;
        const bool known = instrument >= 1 && instrument <= model.InstCount;
        layers.push_back(
            {.bag = bag,
             .instrument = instrument,
             .instrumentName =
                 known ? SoundFontTextToUtf8(DisplayText(
                             model.InstHeaders[static_cast<std::size_t>(instrument)].achInstName))
                       : std::string(),
             .keyLo = ranges.keyLo,
             .keyHi = ranges.keyHi,
             .velLo = ranges.velLo,
             .velHi = ranges.velHi});
    }
    NarrowToZones(layers, BuildPresetKeyMap(model, preset));
    return layers;
}

std::optional<int> PresetOfZone(const SoundFontModel& model, int bag) {
    if (bag < 1 || bag > model.PresetZoneCount) return std::nullopt;
    const int preset = model.PresetBags[static_cast<std::size_t>(bag)].ownerNdx;
    if (preset < 1 || preset > model.PresetCount) return std::nullopt;
    return preset;
}

std::optional<std::string> LinkedNodeKey(const SoundFontModel& model, const std::string& key) {
    const ParsedKey parsed = ParseKey(key);
    if (parsed.prefix != kPresetZonePrefix || !parsed.number) return std::nullopt;
    const std::optional<int> preset = PresetOfZone(model, *parsed.number);
    if (!preset) return std::nullopt;
    for (const PresetLayer& layer : BuildPresetLayers(model, *preset)) {
        if (layer.bag == *parsed.number && layer.instrument >= 1 && layer.instrument <= model.InstCount)
            return NodeKey(kInstrumentsKey, layer.instrument);
    }
    return std::nullopt;
}

}  // namespace zelvo
