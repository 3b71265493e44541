// What an export does to one sample's points and tuning: its loop clamped
// into the sample, and, when converting, a new rate of 44,100 Hz (the rate
// the EX5/7 plays every wave at), a loop kept a whole number of points, and
// the tuning that keeps the pitch.
#pragma once

#include <cstdint>
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
// clamped. A converted looped sample takes the ratio that maps its loop to
// round(loop x 44100 / rate) points.
SampleConversion PlanSampleConversion(const sfSample& sample, bool convert);

struct ConvertedPoints {
    std::vector<std::int16_t> points;
    std::int64_t clipped = 0;  // points that left the 16-bit range
};

// source: the sample's points at its own rate. The loop is converted as a
// repeating signal, so that its last point leads into its first as smoothly
// as into the one after it.
ConvertedPoints ConvertSamplePoints(const std::vector<std::int16_t>& source,
                                    const SampleConversion& conversion);

// The fine tune byte for a fine tune in cents with a fractional part:
// floor(64 x cents / 100) + 64, like the whole-cent conversion; the value
// before it is clamped into 0..127.
int UnclampedWaveFineTune(double cents);

}  // namespace zelvo
