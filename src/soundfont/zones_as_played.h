// SPDX-License-Identifier: GPL-3.0-or-later
// The zones a SoundFont player sounds for an instrument alone or for a
// preset: the instrument's zones after its global zone, and, for a preset,
// merged with the preset zones that layer them.
#pragma once

#include <vector>

#include "soundfont/model.h"

namespace zelvo {

struct ZoneAsPlayed {
    int instrument = 0;  // 1-based
    int zone = 0;        // 1-based within the instrument
    int presetBag = 0;   // the preset zone that layers it; 0 for the instrument alone
    InstZone values;
};

// The non-global zones of instrument (1-based) in zone order, as the zone
// table holds them.
std::vector<ZoneAsPlayed> InstrumentZonesAsPlayed(const SoundFontModel& model, int instrument);

// Every zone of every instrument that preset (1-based) layers, in preset zone
// order, merged as SoundFont 2.01 says: the preset's global zone supplies what
// its other zones lack; preset and instrument key and velocity ranges
// intersect, and a zone whose ranges do not meet is left out; the preset's
// coarse and fine tune, scale tuning and pan add to the instrument's, pan
// kept within -500..500. Generators that only an instrument may set (sample,
// sample modes, root key, address offsets) are ignored at preset level.
std::vector<ZoneAsPlayed> PresetZonesAsPlayed(const SoundFontModel& model, int preset);

// The generators a preset zone (with its preset's global zone) sets that the
// merge above does not apply: those a player adds on top of the instrument's,
// such as attenuation, filter and envelopes. Generator numbers, each once.
std::vector<int> UnmergedPresetGenerators(const SoundFontModel& model, int presetBag);

}  // namespace zelvo
