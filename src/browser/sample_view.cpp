// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/sample_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "browser/instrument_view.h"
#include "browser/names.h"
#include "browser/text_encoding.h"

namespace zelvo {
namespace {

const sfSample* SampleOf(const SoundFontModel& model, int sampleNdx) {
    if (sampleNdx < 1 || sampleNdx > model.SampleCount) return nullptr;
    return &model.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
}

// A compressed sample's start and end are bytes of its stream; its length in
// points is what its stream says.
std::uint64_t PointCount(const sfSample& s) {
    if (s.IsCompressed()) return s.decodedLength;
    return s.dwEnd > s.dwStart ? s.dwEnd - s.dwStart : 0;
}

std::uint32_t RelativeToStart(const sfSample& s, std::uint32_t at) {
    return s.IsCompressed() ? at : at - s.dwStart;
}

std::string RootText(int key) {
    return NoteName(key).value_or("") + " (" + std::to_string(key) + ")";
}

}  // namespace

void SetLoopFromHeader(SampleSound& sound, const sfSample& sample) {
    const auto relative = [&](std::uint32_t at) -> std::uint32_t {
        if (at <= sample.dwStart) return 0;
        return static_cast<std::uint32_t>(
            std::min<std::uint64_t>(at - sample.dwStart, sound.points.size()));
    };
    sound.loopStart = relative(sample.dwStartloop);
    sound.loopEnd = relative(sample.dwEndloop);
}

std::vector<WaveColumn> WaveColumns(std::span<const std::int16_t> points, int width) {
    std::vector<WaveColumn> columns;
    if (width <= 0 || points.empty()) return columns;
    const std::uint64_t count = points.size();
    const auto w = static_cast<std::uint64_t>(width);
    columns.resize(static_cast<std::size_t>(width));
    for (std::uint64_t c = 0; c < w; ++c) {
        // The first point whose column is c, and the first of the next one.
        const std::uint64_t begin = (c * count + w - 1) / w;
        const std::uint64_t end = ((c + 1) * count + w - 1) / w;
        if (begin >= end) {
            columns[c] = c > 0 ? columns[c - 1] : WaveColumn{points[0], points[0]};
            continue;
        }
        const auto [lo, hi] = std::minmax_element(points.begin() + static_cast<std::ptrdiff_t>(begin),
                                                  points.begin() + static_cast<std::ptrdiff_t>(end));
        columns[c] = {*lo, *hi};
    }
    return columns;
}

WaveWindow ZoomWindow(WaveWindow window, std::uint64_t total, double factor, double at) {
    if (total == 0 || factor <= 0) return {0, total};
    const double shown = std::clamp(static_cast<double>(window.count) / factor,
                                    static_cast<double>(std::min(kFewestShownPoints, total)),
                                    static_cast<double>(total));
    const double anchor = static_cast<double>(window.first) + std::clamp(at, 0.0, 1.0) * static_cast<double>(window.count);
    const auto count = static_cast<std::uint64_t>(std::llround(shown));
    const double first = std::clamp(anchor - std::clamp(at, 0.0, 1.0) * shown, 0.0, static_cast<double>(total - count));
    return {static_cast<std::uint64_t>(std::llround(first)), count};
}

bool DrawsLine(std::uint64_t count, int width) {
    return width > 0 && count < static_cast<std::uint64_t>(width);
}

double PointX(std::uint64_t i, std::uint64_t count, int width) {
    if (count == 0) return 0;
    return (static_cast<double>(i) + 0.5) * width / static_cast<double>(count);
}

int ColumnOfPoint(std::uint64_t point, std::uint64_t count, int width) {
    if (count == 0 || width <= 0) return 0;
    return static_cast<int>(std::min<std::uint64_t>(point * static_cast<std::uint64_t>(width) / count,
                                                    static_cast<std::uint64_t>(width)));
}

std::optional<SeamPoints> BuildSeam(const SampleSound& sound) {
    if (!sound.HasLoop()) return std::nullopt;
    const std::uint32_t from = sound.loopEnd > kSeamSide ? sound.loopEnd - kSeamSide : 0;
    const auto to = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{sound.loopStart} + kSeamSide, sound.points.size()));
    SeamPoints seam;
    seam.points.assign(sound.points.begin() + from, sound.points.begin() + sound.loopEnd);
    seam.joinAt = seam.points.size();
    seam.points.insert(seam.points.end(), sound.points.begin() + sound.loopStart,
                       sound.points.begin() + to);
    return seam;
}

std::optional<SampleFacts> SampleFactsOf(const SoundFontModel& model, int sampleNdx) {
    const sfSample* s = SampleOf(model, sampleNdx);
    if (!s) return std::nullopt;
    const std::uint64_t points = PointCount(*s);
    SampleFacts facts;
    facts.name = SoundFontTextToUtf8(DisplayText(s->achSampleName));
    facts.length = std::to_string(points) + " points";
    if (s->dwSampleRate != 0) facts.length += ", " + SecondsText(points, s->dwSampleRate);
    facts.rate = std::to_string(s->dwSampleRate) + " Hz";
    facts.root = RootText(s->byOriginalPitch <= 127 ? s->byOriginalPitch : 60);
    const std::uint64_t first = s->IsCompressed() ? 0 : s->dwStart;
    const bool looped = s->dwStartloop < s->dwEndloop && s->dwStartloop >= first &&
                        s->dwEndloop <= first + points;
    facts.loop = looped ? LoopText(RelativeToStart(*s, s->dwStartloop), RelativeToStart(*s, s->dwEndloop),
                                   s->dwSampleRate)
                        : "no loop";
    return facts;
}

SampleFacts FactsOfSound(SampleFacts facts, const SampleSound& sound, std::uint32_t storedRate) {
    const std::uint64_t points = sound.points.size();
    facts.length = std::to_string(points) + " points";
    if (sound.rate != 0) facts.length += ", " + SecondsText(points, sound.rate);
    facts.rate = std::to_string(sound.rate) + " Hz";
    if (sound.rate != storedRate) facts.rate += ", from " + std::to_string(storedRate) + " Hz";
    if (facts.loop != "no loop") facts.loopSource = "the sample's own " + facts.loop + ", at " + std::to_string(storedRate) + " Hz";
    facts.loop = sound.HasLoop() ? LoopText(sound.loopStart, sound.loopEnd, sound.rate) : "no loop";
    return facts;
}

std::string LoopText(std::uint64_t start, std::uint64_t end, std::uint32_t rate) {
    std::string text = "loop " + Grouped(start) + "\u2013" + Grouped(end) + " pt";
    if (rate == 0) return text;
    // Hundredths of a second, or thousandths for a loop that ends within the first second.
    const int digits = end >= rate ? 2 : 3;
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, " (%.*f\u2013%.*f s)", digits, static_cast<double>(start) / rate,
                  digits, static_cast<double>(end) / rate);
    return text + seconds;
}

std::optional<ZoneRef> InstrumentZoneOf(const SoundFontModel& model, int bag) {
    if (bag < 1 || bag > model.InstZoneCount) return std::nullopt;
    const int instrument = model.InstBags[static_cast<std::size_t>(bag)].ownerNdx;
    if (instrument < 1 || instrument > model.InstCount ||
        static_cast<std::size_t>(instrument) >= model.InstZoneTable.size()) {
        return std::nullopt;
    }
    const int zone = bag - model.InstHeaders[static_cast<std::size_t>(instrument)].firstZoneNdx + 1;
    if (zone < 1 || zone > model.InstZoneTable[static_cast<std::size_t>(instrument)].zoneCount) {
        return std::nullopt;
    }
    return ZoneRef{instrument, zone};
}

std::optional<SampleFacts> ZoneFactsOf(const SoundFontModel& model, int bag) {
    const std::optional<ZoneRef> ref = InstrumentZoneOf(model, bag);
    if (!ref) return std::nullopt;
    for (const KeyMapZone& k : BuildKeyMap(model, ref->instrument)) {
        if (k.zone != ref->zone) continue;
        std::optional<SampleFacts> facts = SampleFactsOf(model, k.sampleNdx);
        if (!facts) return std::nullopt;
        facts->root = RootText(k.rootKey);
        // The sample's loop plays only in the looping modes.
        const InstZone& zone = model.InstZoneTable[static_cast<std::size_t>(ref->instrument)].zone(ref->zone);
        if (!LoopsWhileHeld(zone.sampleModes)) facts->loop = "no loop";
        facts->keys = KeyRangeText(k.keyLo, k.keyHi);
        facts->velocities = std::to_string(k.velLo) + " - " + std::to_string(k.velHi);
        return facts;
    }
    return std::nullopt;
}

}  // namespace zelvo
