// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/sample_conversion.h"

#include <soxr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "export/export_error.h"

namespace zelvo {
namespace {

// A whole loop moves the pitch by up to half a point per loop; past this the
// loop is too short to tune through the fine tune, and keeps the plain ratio.
constexpr double kMaxLoopTuneCents = 50.0;

// Points of input the resampling filter reaches on either side, with room to
// spare (very-high quality reaches about 120 points at 48 kHz).
constexpr double kFilterReachPoints = 512.0;

constexpr std::size_t kBlockPoints = 1 << 16;

double Cents(double ratio) {
    return 1200.0 * std::log2(ratio);
}

// One libsoxr stream at very-high quality: 16-bit points in, floats out,
// each output point handed to take(index, value) with its index from 0.
class Resampler {
public:
    explicit Resampler(double ratio) {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_error_t error = nullptr;
        soxr_ = soxr_create(1.0, ratio, 1, &error, &io, &quality, &runtime);
        if (error != nullptr) Fail(error);
    }
    ~Resampler() { soxr_delete(soxr_); }
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    template <typename Take>
    void Feed(std::span<const std::int16_t> in, Take& take) {
        while (!in.empty()) {
            std::size_t used = 0;
            Process(in.data(), in.size(), &used, take);
            in = in.subspan(used);
        }
    }

    // Flushes what the filter still holds.
    template <typename Take>
    void Finish(Take& take) {
        while (Process(nullptr, 0, nullptr, take) > 0) {
        }
    }

private:
    template <typename Take>
    std::size_t Process(const std::int16_t* in, std::size_t size, std::size_t* used, Take& take) {
        std::size_t made = 0;
        const soxr_error_t error = soxr_process(soxr_, in, size, used, out_.data(), out_.size(), &made);
        if (error != nullptr) Fail(error);
        for (std::size_t i = 0; i < made; ++i) take(made_ + i, out_[i]);
        made_ += made;
        return made;
    }

    [[noreturn]] static void Fail(soxr_error_t error) {
        throw ExportError(ExportError::Kind::Failed, std::string("Cannot convert the sample rate: ") + error);
    }

    soxr_t soxr_ = nullptr;
    std::vector<float> out_ = std::vector<float>(kBlockPoints);
    std::uint64_t made_ = 0;
};

// Feeds points [from, to) of the source, block by block.
template <typename Take>
void FeedRange(Resampler& resampler, const PointReader& read, std::int64_t from, std::int64_t to,
               Take& take) {
    std::vector<std::int16_t> block(kBlockPoints);
    for (std::int64_t at = from; at < to;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(to - at, kBlockPoints));
        const std::span<std::int16_t> points(block.data(), n);
        read(static_cast<std::uint64_t>(at), points);
        resampler.Feed(points, take);
        at += static_cast<std::int64_t>(n);
    }
}

// The loop points that the runs after the first need again: its first
// `head` and last `tail` points (all of it when they meet), kept as the
// first run reads them, so that the source is read once, front to back.
class KeptLoop {
public:
    KeptLoop(const SampleConversion& c, std::int64_t head, std::int64_t tail)
        : start_(c.loopStart), loop_(c.loopEnd - c.loopStart), head_(std::min(head, loop_)),
          tail_(std::min(tail, loop_)) {
        if (head_ + tail_ >= loop_) std::tie(head_, tail_) = std::make_pair(loop_, std::int64_t{0});
        points_.resize(static_cast<std::size_t>(head_ + tail_));
    }

    // Notes the points of the sample from point `first` on as they are read.
    void Keep(std::int64_t first, std::span<const std::int16_t> points) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::int64_t p = first + static_cast<std::int64_t>(i) - start_;
            if (p >= 0 && p < loop_ && (p < head_ || p >= loop_ - tail_)) points_[Index(p)] = points[i];
        }
    }

    // Feeds count points of the loop repeating, from loop point `into` on.
    template <typename Take>
    void Feed(Resampler& resampler, std::int64_t into, std::int64_t count, Take& take) const {
        std::vector<std::int16_t> block;
        for (std::int64_t i = 0; i < count; ++i) block.push_back(points_[Index((into + i) % loop_)]);
        resampler.Feed(block, take);
    }

private:
    std::size_t Index(std::int64_t p) const {
        return static_cast<std::size_t>(p < head_ ? p : head_ + p - (loop_ - tail_));
    }

    std::int64_t start_, loop_, head_, tail_;
    std::vector<std::int16_t> points_;
};

// How far before the loop end the run for the points after the loop starts,
// and where its output meets the first run's grid. Its first output point
// falls between two of that grid's; of the lengths of loop the filter needs,
// the one that puts it closest to the grid is taken.
struct TailLead {
    std::int64_t before = 0;  // loop points fed first
    std::int64_t shift = 0;   // its output index of the loop end's
};

TailLead LeadIntoTail(const SampleConversion& c, double reach) {
    const double phase = static_cast<double>(c.outLoopStart) - static_cast<double>(c.loopStart) * c.ratio;
    const auto least = static_cast<std::int64_t>(std::ceil(reach)) + 1;
    TailLead lead{least, 0};
    double best = 1.0;
    for (std::int64_t p = least; p < least + 256; ++p) {
        const double at = static_cast<double>(p) * c.ratio + phase;
        const double off = std::abs(at - std::round(at));
        if (off < best) {
            best = off;
            lead.before = p;
        }
    }
    lead.shift = std::llround(static_cast<double>(lead.before) * c.ratio + phase);
    return lead;
}

std::vector<float> ResamplePlain(const PointReader& read, const SampleConversion& c) {
    std::vector<float> out(static_cast<std::size_t>(c.outPoints), 0.0f);
    Resampler resampler(c.ratio);
    auto take = [&](std::uint64_t j, float v) {
        if (j < out.size()) out[j] = v;
    };
    FeedRange(resampler, read, 0, c.points, take);
    resampler.Finish(take);
    return out;
}

// The first run gives the points before the loop and the loop: the sample up
// to the loop end, then the loop again for as far as the filter reaches on
// both sides, so that every loop point is taken where the filter sees only
// the loop around it. The ratio maps the loop to a whole number of points, so
// each repeat starts on an output point.
void ResampleLoop(const PointReader& read, const SampleConversion& c, std::int64_t extra, KeptLoop& kept,
                  std::vector<float>& out) {
    const std::int64_t outLoop = c.outLoopEnd - c.outLoopStart;
    const auto reachOut = static_cast<std::int64_t>(std::ceil(static_cast<double>(extra) / 3 * c.ratio));
    const std::int64_t validEnd =
        c.outLoopEnd + static_cast<std::int64_t>(std::floor(static_cast<double>(extra) * c.ratio)) - reachOut;
    Resampler resampler(c.ratio);
    auto take = [&](std::uint64_t index, float v) {
        const auto j = static_cast<std::int64_t>(index);
        if (j >= validEnd) return;
        // A later repeat of a point replaces an earlier one: it has more loop before it.
        const std::int64_t k = j < c.outLoopEnd ? j : c.outLoopStart + (j - c.outLoopStart) % outLoop;
        out[static_cast<std::size_t>(k)] = v;
    };
    const PointReader keeping = [&](std::uint64_t first, std::span<std::int16_t> into) {
        read(first, into);
        kept.Keep(static_cast<std::int64_t>(first), into);
    };
    FeedRange(resampler, keeping, 0, c.loopEnd, take);
    kept.Feed(resampler, 0, extra, take);
    resampler.Finish(take);
}

// The second run gives the points after the loop, with as much of the loop
// before them as the filter reaches.
void ResampleTail(const PointReader& read, const SampleConversion& c, const TailLead& lead,
                  const KeptLoop& kept, std::vector<float>& out) {
    const std::int64_t loop = c.loopEnd - c.loopStart;
    Resampler resampler(c.ratio);
    auto take = [&](std::uint64_t index, float v) {
        const std::int64_t k = c.outLoopEnd + static_cast<std::int64_t>(index) - lead.shift;
        if (k >= c.outLoopEnd && k < c.outPoints) out[static_cast<std::size_t>(k)] = v;
    };
    kept.Feed(resampler, ((loop - lead.before) % loop + loop) % loop, lead.before, take);
    FeedRange(resampler, read, c.loopEnd, c.points, take);
    resampler.Finish(take);
}

// The gain that keeps every rounded point within 16 bits.
double FittingGain(const std::vector<float>& points) {
    double gain = 1.0;
    if (points.empty()) return gain;
    // Eight running minima and maxima, so that the compiler can keep them in
    // vector registers instead of waiting on one comparison after another.
    constexpr std::size_t kLanes = 8;
    std::array<float, kLanes> lowest, highest;
    lowest.fill(points.front());
    highest.fill(points.front());
    std::size_t i = 0;
    for (; i + kLanes <= points.size(); i += kLanes) {
        for (std::size_t k = 0; k < kLanes; ++k) {
            const float p = points[i + k];
            lowest[k] = p < lowest[k] ? p : lowest[k];
            highest[k] = p > highest[k] ? p : highest[k];
        }
    }
    for (; i < points.size(); ++i) {
        lowest[0] = points[i] < lowest[0] ? points[i] : lowest[0];
        highest[0] = points[i] > highest[0] ? points[i] : highest[0];
    }
    const double high = 32768.0 * *std::max_element(highest.begin(), highest.end());
    const double low = 32768.0 * *std::min_element(lowest.begin(), lowest.end());
    if (high >= 32767.5) gain = std::min(gain, 32767.0 / high);
    if (low <= -32768.5) gain = std::min(gain, -32768.0 / low);
    return gain;
}

}  // namespace

// The SoundFont standard's lowest sample rate, and four times the highest
// common studio rate.
constexpr std::uint32_t kLowestConvertedRate = 400;
constexpr std::uint32_t kHighestConvertedRate = 4 * 192000;

SampleConversion PlanSampleConversion(const sfSample& sample, bool convert, bool loopPlays) {
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
    if (c.Looped() && loopPlays) {
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

double GainDb(double gain) {
    return 20.0 * std::log10(gain);
}

double ConvertedSample::GainDb() const {
    return zelvo::GainDb(gain);
}

namespace {

// full is 32768 x the gain. Rounded half away from zero into the 16-bit
// range: a clamp to whole bounds gives the same as after cutting toward
// zero. Without branches or mixed widths, so that a loop of them is
// vectorised.
std::int16_t Scaled(float point, double full) {
    const double scaled = full * static_cast<double>(point);
    const double rounded = std::clamp(scaled + std::copysign(0.5, scaled), -32768.0, 32767.0);
    return static_cast<std::int16_t>(static_cast<std::int32_t>(rounded));
}

}  // namespace

std::int16_t ConvertedSample::Point(std::size_t i) const {
    return Scaled(points[i], 32768.0 * gain);
}

void ConvertedSample::Points(std::size_t first, std::span<std::int16_t> into) const {
    const float* from = points.data() + first;
    const double full = 32768.0 * gain;
    for (std::size_t i = 0; i < into.size(); ++i) into[i] = Scaled(from[i], full);
}

ConvertedSample ConvertSample(const PointReader& read, const SampleConversion& c) {
    ConvertedSample converted;
    if (!c.Resampled()) {
        std::vector<std::int16_t> points(static_cast<std::size_t>(c.points));
        read(0, points);
        converted.points.reserve(points.size());
        for (const std::int16_t p : points) converted.points.push_back(static_cast<float>(p) / 32768.0f);
        return converted;
    }
    const double reach = kFilterReachPoints * std::max(1.0, 1.0 / c.ratio);
    if (c.wholeLoop) {
        converted.points.assign(static_cast<std::size_t>(c.outPoints), 0.0f);
        const auto extra = static_cast<std::int64_t>(std::ceil(3.0 * reach));
        const TailLead lead = LeadIntoTail(c, reach);
        KeptLoop kept(c, extra, lead.before);
        ResampleLoop(read, c, extra, kept, converted.points);
        if (c.outPoints > c.outLoopEnd) ResampleTail(read, c, lead, kept, converted.points);
    } else {
        converted.points = ResamplePlain(read, c);
    }
    converted.gain = FittingGain(converted.points);
    return converted;
}

std::vector<std::int16_t> ConvertSamplePoints(const std::vector<std::int16_t>& source,
                                              const SampleConversion& c) {
    const ConvertedSample converted = ConvertSample(
        [&source](std::uint64_t first, std::span<std::int16_t> into) {
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(first), into.size(), into.begin());
        },
        c);
    std::vector<std::int16_t> points(converted.points.size());
    converted.Points(0, points);
    return points;
}

}  // namespace zelvo
