// SPDX-License-Identifier: GPL-3.0-or-later
// What the preview shows for a sample: the points it plays, the waveform's
// columns, the seam of its loop and the facts above them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "soundfont/model.h"

namespace zelvo {

// The points of one sample as the preview draws and plays them, with its
// loop counted from the first point (loopEnd is the first point after it).
struct SampleSound {
    std::vector<std::int16_t> points;
    std::uint32_t rate = 0;
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = 0;

    bool HasLoop() const { return loopStart < loopEnd && loopEnd <= points.size(); }
};

// The loop of a sample header relative to its start, clamped to its points.
void SetLoopFromHeader(SampleSound& sound, const sfSample& sample);

// The lowest and highest point of one pixel column.
struct WaveColumn {
    std::int16_t min = 0;
    std::int16_t max = 0;
};

// width columns over all points: point i falls in column i * width / count.
// With fewer points than columns, a column without a point repeats the one
// before it.
std::vector<WaveColumn> WaveColumns(std::span<const std::int16_t> points, int width);

// The points a waveform shows: count of them from first.
struct WaveWindow {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
    auto operator<=>(const WaveWindow&) const = default;
};
inline constexpr std::uint64_t kFewestShownPoints = 8;

// The window zoomed in by factor (2 shows half as many points, 0.5 twice as
// many), the point at fraction at of its width staying where it is; kept
// within total points and at least kFewestShownPoints wide.
WaveWindow ZoomWindow(WaveWindow window, std::uint64_t total, double factor, double at);

// Fewer points than pixels are drawn as a line through each point, at the
// middle of its share of the width; more as each column's lowest and highest.
bool DrawsLine(std::uint64_t count, int width);
double PointX(std::uint64_t i, std::uint64_t count, int width);

// "loop 30,896–40,178 pt (0.70–0.91 s)": a loop in points and, at a rate, in seconds.
std::string LoopText(std::uint64_t start, std::uint64_t end, std::uint32_t rate);

// The column of a point, for the loop markers.
int ColumnOfPoint(std::uint64_t point, std::uint64_t count, int width);

// The loop's seam: the last points before the loop end followed by the
// first ones from the loop start, as the player joins them.
inline constexpr std::uint32_t kSeamSide = 64;
struct SeamPoints {
    std::vector<std::int16_t> points;
    std::size_t joinAt = 0;  // index of the first point after the join
};
std::optional<SeamPoints> BuildSeam(const SampleSound& sound);

// The texts above the waveform: name, length, rate, root and, for a zone,
// its key and velocity ranges.
struct SampleFacts {
    std::string name;
    std::string length;  // "44100 points, 1.00 s"
    std::string rate;    // "44100 Hz"
    std::string root;    // "C3 (60)"
    std::string loop;    // "loop 100–900 pt (0.01–0.02 s)" or "no loop"
    std::string loopSource;  // the sample's own loop, where it has one
    std::string keys;    // zones only
    std::string velocities;
};
std::optional<SampleFacts> SampleFactsOf(const SoundFontModel& model, int sampleNdx);
// A zone's sample with the zone's ranges and root key; its loop only when
// the zone's loop mode plays it.
std::optional<SampleFacts> ZoneFactsOf(const SoundFontModel& model, int bag);

// The facts of the points the preview draws and plays, converted or a
// zone's wave sample: their length, rate and loop, the rest as facts has
// them, the sample's own loop kept as loopSource; a rate other than
// storedRate says what it was converted from.
SampleFacts FactsOfSound(SampleFacts facts, const SampleSound& sound, std::uint32_t storedRate);

// The instrument and zone of an instrument zone's bag index.
struct ZoneRef {
    int instrument = 0;
    int zone = 0;
};
std::optional<ZoneRef> InstrumentZoneOf(const SoundFontModel& model, int bag);

}  // namespace zelvo
