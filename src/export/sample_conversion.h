// SPDX-License-Identifier: GPL-3.0-or-later
// What an export does to one sample's points and tuning: its loop clamped
// into the sample, and, when converting, a new rate of 44,100 Hz (the rate
// the EX5/7 plays every wave at), a loop kept a whole number of points, the
// tuning that keeps the pitch, and a gain that keeps every point in 16 bits.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "soundfont/model.h"

namespace zelvo {

inline constexpr std::uint32_t kWaveSampleRate = 44100;

// A value the export had to change to fit: what it was and what was written.
struct ValueClamp {
    std::string field;
    std::int64_t from = 0;
    std::int64_t to = 0;
};

struct SampleConversion {
    std::uint32_t fromRate = 0;
    std::uint32_t toRate = 0;  // fromRate when the points are copied as stored
    double ratio = 1.0;        // points out per point in
    std::int64_t points = 0;   // dwEnd - dwStart
    std::int64_t loopStart = 0;  // inside 0..points, relative to dwStart
    std::int64_t loopEnd = 0;    // inside loopStart..points
    std::int64_t outPoints = 0;
    std::int64_t outLoopStart = 0;
    std::int64_t outLoopEnd = 0;
    // Cents added to the fine tune of every entry that plays the sample: the
    // pitch correction, and the pitch lost by making the loop whole.
    int pitchCorrectionCents = 0;
    double loopTuneCents = 0.0;
    bool wholeLoop = false;  // resampled loop of a whole number of points, as a repeating signal
    std::vector<ValueClamp> clamps;  // the loop points, relative to dwStart

    bool Resampled() const { return fromRate != toRate; }
    bool Looped() const { return loopEnd > loopStart; }
    bool ChangesTuning() const { return pitchCorrectionCents != 0 || loopTuneCents != 0.0; }
    double TuneCents() const { return pitchCorrectionCents + loopTuneCents; }
};

// convert false gives the points, loop and tuning as stored, the loop only
// clamped. A converted sample whose loop plays (loopPlays) takes the ratio
// that maps its loop to round(loop x 44100 / rate) points.
SampleConversion PlanSampleConversion(const sfSample& sample, bool convert, bool loopPlays = true);

// Reads the points [first, first + into.size()) of the sample being
// converted, counted from its first point. It may throw to stop the work.
using PointReader = std::function<void(std::uint64_t first, std::span<std::int16_t> into)>;

// A gain as decibels.
double GainDb(double gain);

// A converted sample at full scale 1.0, and the gain that brings its peak
// within 16 bits (1 when it fits already).
struct ConvertedSample {
    std::vector<float> points;
    double gain = 1.0;

    double GainDb() const;
    // Point i scaled by the gain, rounded half away from zero.
    std::int16_t Point(std::size_t i) const;
    // Points [first, first + into.size()) as Point gives them.
    void Points(std::size_t first, std::span<std::int16_t> into) const;
};

// Converts the sample that read gives, as c plans. Each part is resampled
// once as one signal: the points before the loop with the loop after them,
// the loop as a repeating signal (its last point leads into its first as
// smoothly as into the one after it), and the points after the loop with the
// loop before them. The source is read in blocks; only the result is held.
ConvertedSample ConvertSample(const PointReader& read, const SampleConversion& c);

// The same for points held in memory, rounded.
std::vector<std::int16_t> ConvertSamplePoints(const std::vector<std::int16_t>& source,
                                              const SampleConversion& c);

}  // namespace zelvo
