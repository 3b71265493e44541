#include "export/sample_conversion.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>

#include "export/export_error.h"

namespace zelvo {
namespace {

// A whole loop moves the pitch by up to half a point per loop; past this the
// loop is too short to tune through the fine tune, and keeps the plain ratio.
constexpr double kMaxLoopTuneCents = 50.0;

// Points of input the resampling filter reaches on either side, with room to
// spare (very-high quality reaches about 120 points at 48 kHz).
constexpr double kFilterReachPoints = 512.0;

double Cents(double ratio) {
    return 1200.0 * std::log2(ratio);
}

// Points in, full scale 1.0 out.
std::vector<float> Resample(const std::vector<std::int16_t>& in, double ratio,
                            std::size_t outCount) {
    std::vector<float> out(outCount, 0.0f);
    if (in.empty() || outCount == 0) return out;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    std::size_t used = 0;
    std::size_t made = 0;
    const soxr_error_t error =
        soxr_oneshot(1.0, ratio, 1, in.data(), in.size(), &used, out.data(), outCount, &made, &io,
                     &quality, &runtime);
    if (error != nullptr) {
        throw ExportError(ExportError::Kind::Failed,
                          std::string("Cannot convert the sample rate: ") + error);
    }
    return out;
}

// Rounded half away from zero, then clipped into 16 bits.
std::int16_t ClippedPoint(float value, std::int64_t& clipped) {
    const double scaled = 32768.0 * static_cast<double>(value);
    const double rounded = std::trunc(scaled + (scaled < 0 ? -0.5 : 0.5));
    if (rounded > 32767.0 || rounded < -32768.0) ++clipped;
    return static_cast<std::int16_t>(std::clamp(rounded, -32768.0, 32767.0));
}

// The points from 0 to the loop start, the loop repeated `repeats` times, then
// the points after the loop.
std::vector<std::int16_t> WithLoopRepeated(const std::vector<std::int16_t>& source,
                                           const SampleConversion& c, std::int64_t repeats) {
    const auto start = static_cast<std::size_t>(c.loopStart);
    const auto end = static_cast<std::size_t>(c.loopEnd);
    std::vector<std::int16_t> signal(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(start));
    signal.reserve(source.size() + static_cast<std::size_t>(repeats - 1) * (end - start));
    for (std::int64_t r = 0; r < repeats; ++r) {
        signal.insert(signal.end(), source.begin() + static_cast<std::ptrdiff_t>(start),
                      source.begin() + static_cast<std::ptrdiff_t>(end));
    }
    signal.insert(signal.end(), source.begin() + static_cast<std::ptrdiff_t>(end), source.end());
    return signal;
}

// Resamples the sample with its loop repeated often enough that one whole
// converted loop can be taken where the filter sees only the loop around it.
// The ratio maps the loop to a whole number of points, so every repeat starts
// on an output point and the pieces line up.
std::vector<float> ResampleLooped(const std::vector<std::int16_t>& source,
                                  const SampleConversion& c) {
    const std::int64_t loop = c.loopEnd - c.loopStart;
    const std::int64_t outLoop = std::llround(static_cast<double>(loop) * c.ratio);
    const double reach = kFilterReachPoints * std::max(1.0, 1.0 / c.ratio);
    const std::int64_t repeats =
        1 + static_cast<std::int64_t>(std::ceil(2.0 * reach / static_cast<double>(loop)));
    const std::vector<float> converted = Resample(
        WithLoopRepeated(source, c, repeats), c.ratio,
        static_cast<std::size_t>(c.outPoints + (repeats - 1) * outLoop));
    const auto at = [&converted](std::int64_t k) { return converted.begin() + k; };
    std::vector<float> out(at(0), at(c.outLoopStart));
    out.reserve(static_cast<std::size_t>(c.outPoints));
    for (std::int64_t k = c.outLoopStart; k < c.outLoopEnd; ++k) {
        // The repeat in which point k has `reach` loop points before it.
        const double into = static_cast<double>(k - c.outLoopStart) / c.ratio;
        const auto repeat = static_cast<std::int64_t>(std::ceil((reach - into) / loop));
        out.push_back(*at(k + std::clamp<std::int64_t>(repeat, 0, repeats - 1) * outLoop));
    }
    const std::int64_t shift = (repeats - 1) * outLoop;
    out.insert(out.end(), at(c.outLoopEnd + shift), at(c.outPoints + shift));
    return out;
}

}  // namespace

// The SoundFont standard's lowest sample rate, and four times the highest
// common studio rate.
constexpr std::uint32_t kLowestConvertedRate = 400;
constexpr std::uint32_t kHighestConvertedRate = 4 * 192000;

SampleConversion PlanSampleConversion(const sfSample& sample, bool convert) {
    SampleConversion c;
    c.fromRate = c.toRate = sample.dwSampleRate;
    c.points = std::max<std::int64_t>(0, std::int64_t{sample.dwEnd} - std::int64_t{sample.dwStart});
    const std::int64_t loopStart = std::int64_t{sample.dwStartloop} - std::int64_t{sample.dwStart};
    const std::int64_t loopEnd = std::int64_t{sample.dwEndloop} - std::int64_t{sample.dwStart};
    c.loopStart = std::clamp<std::int64_t>(loopStart, 0, c.points);
    c.loopEnd = std::clamp<std::int64_t>(loopEnd, c.loopStart, c.points);
    if (c.loopStart != loopStart) c.clamps.push_back({"loop start", loopStart, c.loopStart});
    if (c.loopEnd != loopEnd) c.clamps.push_back({"loop end", loopEnd, c.loopEnd});
    c.outPoints = c.points;
    c.outLoopStart = c.loopStart;
    c.outLoopEnd = c.loopEnd;
    if (!convert) return c;

    c.pitchCorrectionCents = static_cast<std::int8_t>(sample.chPitchCorrection);
    // A rate of 0, or one far outside what samples are recorded at, says
    // nothing sound about the points: they are kept as they are, rather
    // than stretched a thousandfold.
    if (sample.dwSampleRate == kWaveSampleRate || sample.dwSampleRate < kLowestConvertedRate ||
        sample.dwSampleRate > kHighestConvertedRate) {
        return c;
    }
    c.toRate = kWaveSampleRate;
    const double plain = static_cast<double>(kWaveSampleRate) / sample.dwSampleRate;
    c.ratio = plain;
    std::int64_t outLoop = 0;
    if (c.Looped()) {
        const std::int64_t loop = c.loopEnd - c.loopStart;
        outLoop = std::max<std::int64_t>(1, std::llround(static_cast<double>(loop) * plain));
        const double whole = static_cast<double>(outLoop) / static_cast<double>(loop);
        if (std::abs(Cents(whole / plain)) <= kMaxLoopTuneCents) {
            c.ratio = whole;
            c.loopTuneCents = Cents(whole / plain);
            c.wholeLoop = true;
        }
    }
    c.outPoints = std::llround(static_cast<double>(c.points) * c.ratio);
    c.outLoopStart = std::llround(static_cast<double>(c.loopStart) * c.ratio);
    c.outLoopEnd = c.wholeLoop ? c.outLoopStart + outLoop
                       : std::llround(static_cast<double>(c.loopEnd) * c.ratio);
    c.outLoopStart = std::min(c.outLoopStart, c.outPoints);
    c.outLoopEnd = std::clamp(c.outLoopEnd, c.outLoopStart, c.outPoints);
    return c;
}

ConvertedPoints ConvertSamplePoints(const std::vector<std::int16_t>& source,
                                    const SampleConversion& c) {
    ConvertedPoints converted;
    if (!c.Resampled()) {
        converted.points = source;
        return converted;
    }
    const std::vector<float> out =
        c.wholeLoop ? ResampleLooped(source, c)
                    : Resample(source, c.ratio, static_cast<std::size_t>(c.outPoints));
    converted.points.reserve(out.size());
    for (const float value : out) converted.points.push_back(ClippedPoint(value, converted.clipped));
    return converted;
}

int UnclampedWaveFineTune(double cents) {
    // The small allowance keeps whole cents on the whole-number conversion's side.
    return static_cast<int>(std::floor(64.0 * cents / 100.0 + 1e-9)) + 64;
}

}  // namespace zelvo
