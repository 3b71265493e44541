// SPDX-License-Identifier: GPL-3.0-or-later
// What the preview shows for an instrument: its key map and its zone table,
// worked out from the zone table of the model without any widget.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "soundfont/model.h"
#include "soundfont/zones_as_played.h"

namespace zelvo {

inline constexpr int kKeyCount = 128;       // MIDI keys 0..127 across
inline constexpr int kVelocityLevels = 127;  // velocities 1..127 up

// One zone as played, as the key map draws it: its key and velocity ranges
// after the global zone, the defaults and any preset, low to high and
// clamped to what MIDI can play.
struct KeyMapZone {
    int instrument = 0;  // 1-based
    int zone = 0;        // 1-based within the instrument
    int bag = 0;         // index in InstBags: the number of its "IGene" tree key
    int presetBag = 0;   // the preset zone that layers it; 0 for the instrument alone
    int keyLo = 0, keyHi = 127, velLo = 1, velHi = 127;
    int rootKey = 60;  // the key that plays the sample at its own pitch
    int sampleNdx = 0;
    std::string sampleName;  // UTF-8, cut at its NUL
};

// The one rule for every key map: zones as played become rectangles.
std::vector<KeyMapZone> KeyMapOf(const SoundFontModel& model, const std::vector<ZoneAsPlayed>& zones);
// An instrument's non-global zones; a preset's zones merged with the instruments it layers.
std::vector<KeyMapZone> BuildKeyMap(const SoundFontModel& model, int instrument);
std::vector<KeyMapZone> BuildPresetKeyMap(const SoundFontModel& model, int preset);

// A zone's rectangle in an area of width x height pixels: keys left to
// right, velocity 127 at the top.
struct KeyMapRect {
    int left = 0, top = 0, width = 0, height = 0;
};
KeyMapRect ZoneRect(const KeyMapZone& zone, int width, int height);

// The key under x and the velocity under y in the same area.
int KeyAt(int x, int width);
int VelocityAt(int y, int height);

// The zone drawn on top at key and velocity (the last in zone order), if any.
std::optional<std::size_t> ZoneAt(const std::vector<KeyMapZone>& zones, int key, int velocity);
// The zone a key plays when pressed on the keyboard strip: the loudest
// layer, the first of equals.
std::optional<std::size_t> ZoneForKey(const std::vector<KeyMapZone>& zones, int key);

// One row of the zone table, every cell a readable text.
struct ZoneTableRow {
    int bag = 0;
    std::string sample{}, keys{}, velocities{}, root{}, tune{}, pan{}, loop{}, rate{}, length{}, side{};
};

inline constexpr const char* kZoneTableTitles[] = {"Sample", "Keys", "Velocity", "Root",
                                                   "Tune",   "Pan",  "Loop",     "Rate",
                                                   "Length", "Side"};

std::vector<ZoneTableRow> BuildZoneTable(const SoundFontModel& model, int instrument);

// "C3" or "C-1 - G8"; the note names the detail list uses.
std::string KeyRangeText(int lo, int hi);
// Cents with their sign: "0 ct", "+1200 ct", "-7 ct".
std::string CentsText(int cents);
// Pan from 0.1 % units: "0 %", "-50 %", "+12.5 %".
std::string PanText(int pan);
// The SoundFont loop modes: 1 loops, 3 loops until the key is released.
std::string LoopModeText(int sampleModes);
bool LoopsWhileHeld(int sampleModes);
// Seconds with two decimals, "1.25 s"; empty for a rate of 0.
std::string SecondsText(std::uint64_t points, std::uint32_t rate);
// n with a comma between groups of three digits: "30,896".
std::string Grouped(std::uint64_t n);

}  // namespace zelvo
