// SPDX-License-Identifier: GPL-3.0-or-later
// What the preview shows for a preset: the instruments it layers, each with
// the key and velocity ranges of its zone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "soundfont/model.h"

namespace zelvo {

struct PresetLayer {
    int bag = 0;         // index in PresetBags: the number of its "PGene" tree key
    int instrument = 0;  // 1-based; the number of its "nodeI" tree key
    std::string instrumentName;  // UTF-8, cut at its NUL
    int keyLo = 0, keyHi = 127, velLo = 1, velHi = 127;
};

// The layers of preset (1-based) in zone order, each with the keys and
// velocities its zones play; a layer without zones keeps its preset zone's
// ranges, missing ones from the preset's global zone, then the defaults.
std::vector<PresetLayer> BuildPresetLayers(const SoundFontModel& model, int preset);

// The preset a preset zone's bag belongs to.
std::optional<int> PresetOfZone(const SoundFontModel& model, int bag);

// The tree key of the node a node leads to: a preset zone's instrument.
std::optional<std::string> LinkedNodeKey(const SoundFontModel& model, const std::string& key);

}  // namespace zelvo
