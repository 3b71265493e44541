// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/sample_source.h"

#include <algorithm>
#include <stdexcept>

#include "browser/text_encoding.h"
#include "export/export_error.h"
#include "export/export_plan.h"
#include "export/sample_conversion.h"
#include "export/vorbis_decode.h"

namespace zelvo {
namespace {

constexpr std::size_t kBlockPoints = 1 << 16;

[[noreturn]] void Refuse(const sfSample& sample, const std::string& why) {
    throw ExportError(ExportError::Kind::Refused,
                      "Sample \"" + SoundFontTextToUtf8(DisplayText(sample.achSampleName)) + "\" " + why);
}

}  // namespace

SampleSource::SampleSource(const SoundFontModel& model, const std::string& soundFontPath,
                           std::stop_token stop)
    : model_(model), file_(soundFontPath), stop_(std::move(stop)) {}

SampleSource::~SampleSource() = default;

const sfSample& SampleSource::Sample(int sampleNdx) const {
    if (sampleNdx < 1 || sampleNdx > model_.SampleCount) {
        throw ExportError(ExportError::Kind::Refused,
                          "There is no sample " + std::to_string(sampleNdx) + " in this SoundFont.");
    }
    return model_.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
}

std::uint64_t SampleSource::PointCount(int sampleNdx) const {
    const sfSample& s = Sample(sampleNdx);
    if (s.IsCompressed()) return s.decodedLength;
    return s.dwEnd > s.dwStart ? s.dwEnd - s.dwStart : 0;
}

void SampleSource::ReadStored(const sfSample& sample, std::uint64_t first,
                              std::span<std::int16_t> into) const {
    if (sample.dwEnd > model_.SmplSize / 2 && !into.empty()) Refuse(sample, "reaches past the sample data.");
    std::vector<unsigned char>& bytes = bytes_;
    if (bytes.size() < 2 * into.size()) bytes.resize(2 * into.size());
    file_.ReadAt(model_.SampleDataPos - 1 + 2 * (std::uint64_t{sample.dwStart} + first),
                 reinterpret_cast<char*>(bytes.data()), 2 * into.size());
    // The SoundFont stores points low byte first.
    for (std::size_t i = 0; i < into.size(); ++i) {
        into[i] = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8));
    }
}

// The decoder of a compressed sample, at point `first` or before it. A stream
// is decoded front to back; reading before its position starts it again.
VorbisStream& SampleSource::StreamAt(int sampleNdx, std::uint64_t first) {
    if (stream_ && streamSample_ == sampleNdx && stream_->position() <= first) return *stream_;
    stream_.reset();
    const sfSample& sample = Sample(sampleNdx);
    // dwStart and dwEnd of a compressed sample are byte offsets of its stream.
    if (sample.dwEnd > model_.SmplSize) Refuse(sample, "reaches past the sample data.");
    const std::uint64_t at = model_.SampleDataPos - 1 + sample.dwStart;
    StreamBytes bytes{sample.dwEnd > sample.dwStart ? sample.dwEnd - sample.dwStart : 0u,
                      [this, at](std::uint64_t offset, char* into, std::size_t size) {
                          file_.ReadAt(at + offset, into, size);
                      }};
    stream_ = std::make_unique<VorbisStream>(std::move(bytes), sample.decodedLength,
                                             DisplayText(sample.achSampleName));
    streamSample_ = sampleNdx;
    return *stream_;
}

void SampleSource::Read(int sampleNdx, std::uint64_t first, std::span<std::int16_t> into) {
    if (stop_.stop_requested()) throw ExportError(ExportError::Kind::Cancelled, "Cancelled.");
    const sfSample& sample = Sample(sampleNdx);
    if (sample.sfSampleType & kSampleTypeRom) Refuse(sample, "lies in ROM, not in this file.");
    if (first + into.size() > PointCount(sampleNdx)) {
        if (!sample.IsCompressed()) Refuse(sample, "reaches past the sample data.");
        throw VorbisDecodeError(DisplayText(sample.achSampleName),
                                "has a damaged or incomplete Ogg Vorbis stream");
    }
    if (!sample.IsCompressed()) return ReadStored(sample, first, into);
    VorbisStream& stream = StreamAt(sampleNdx, first);
    stream.SkipTo(first);
    stream.Read(into);
}

std::vector<std::int16_t> SampleSource::ReadPoints(int sampleNdx, std::uint64_t first,
                                                   std::uint64_t count) {
    std::vector<std::int16_t> points(static_cast<std::size_t>(count));
    Read(sampleNdx, first, points);
    return points;
}

SampleSound ReadSampleSound(const SoundFontModel& model, int sampleNdx,
                            const std::string& soundFontPath, std::stop_token stop) {
    SampleSource source(model, soundFontPath, std::move(stop));
    SampleSound sound;
    try {
        sound.points = source.ReadPoints(sampleNdx, 0, source.PointCount(sampleNdx));
    } catch (const VorbisDecodeError& e) {
        throw ExportError(ExportError::Kind::Refused, e.what());
    }
    const sfSample& sample = model.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
    sound.rate = sample.dwSampleRate;
    if (!sample.IsCompressed()) {
        SetLoopFromHeader(sound, sample);
        return sound;
    }
    // A compressed sample's loop counts from its first decoded point.
    const auto clamp = [&](std::uint32_t at) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(at, sound.points.size()));
    };
    sound.loopStart = clamp(sample.dwStartloop);
    sound.loopEnd = clamp(sample.dwEndloop);
    return sound;
}

SampleSound ReadConvertedSampleSound(const SoundFontModel& model, int sampleNdx,
                                     const std::string& soundFontPath, std::stop_token stop) {
    SampleSound sound = ReadSampleSound(model, sampleNdx, soundFontPath, std::move(stop));
    // The conversion plans from a header; this one describes the points read.
    sfSample placed = model.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
    placed.dwStart = 0;
    placed.dwEnd = static_cast<std::uint32_t>(sound.points.size());
    placed.dwStartloop = sound.loopStart;
    placed.dwEndloop = sound.loopEnd;
    placed.dwSampleRate = sound.rate;
    const SampleConversion conversion = PlanSampleConversion(placed, true);
    if (!conversion.Resampled()) return sound;
    sound.points = ConvertSamplePoints(sound.points, conversion);
    sound.rate = conversion.toRate;
    sound.loopStart = static_cast<std::uint32_t>(conversion.outLoopStart);
    sound.loopEnd = static_cast<std::uint32_t>(conversion.outLoopEnd);
    return sound;
}

PointReader PlannedPointReader(SampleSource& source, const PlannedSample& sample) {
    return [&source, &sample](std::uint64_t first, std::span<std::int16_t> into) {
        auto at = static_cast<std::int64_t>(first);
        for (const PointRun& run : sample.runs) {
            if (into.empty()) return;
            if (at >= run.count) {
                at -= run.count;
                continue;
            }
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(run.count - at, static_cast<std::int64_t>(into.size())));
            source.Read(sample.sampleNdx, static_cast<std::uint64_t>(run.first + at), into.first(n));
            into = into.subspan(n);
            at = 0;
        }
        if (!into.empty()) throw std::out_of_range("read past a planned sample's points");
    };
}

double ReadPlannedPoints(SampleSource& source, const PlannedSample& s,
                         const std::function<void(std::span<const std::int16_t>)>& write) {
    const SampleConversion& c = s.conversion;
    const PointReader read = PlannedPointReader(source, s);
    std::vector<std::int16_t> block(kBlockPoints);
    if (c.Resampled()) {
        const ConvertedSample converted = ConvertSample(read, c);
        for (std::size_t i = 0; i < converted.points.size();) {
            const std::size_t n = std::min(block.size(), converted.points.size() - i);
            converted.Points(i, std::span<std::int16_t>(block.data(), n));
            write(std::span<const std::int16_t>(block.data(), n));
            i += n;
        }
        return converted.gain;
    }
    for (std::int64_t done = 0; done < c.points;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(c.points - done, static_cast<std::int64_t>(block.size())));
        const std::span<std::int16_t> points(block.data(), n);
        read(static_cast<std::uint64_t>(done), points);
        write(points);
        done += static_cast<std::int64_t>(n);
    }
    return 1.0;
}

WavePoints ReadWavePoints(SampleSource& source, const PlannedSample& s) {
    WavePoints made;
    const PointReader read = PlannedPointReader(source, s);
    if (!s.conversion.Resampled()) {
        made.points.resize(static_cast<std::size_t>(s.conversion.points));
        read(0, made.points);
        return made;
    }
    const ConvertedSample converted = ConvertSample(read, s.conversion);
    made.points.resize(converted.points.size());
    converted.Points(0, made.points);
    made.gain = converted.gain;
    return made;
}

SampleSound ReadPlannedSound(const SoundFontModel& model, const std::string& soundFontPath,
                             const PlannedSample& sample, std::stop_token stop) {
    SampleSource source(model, soundFontPath, std::move(stop));
    SampleSound sound;
    sound.rate = sample.conversion.toRate;
    try {
        sound.points = ReadWavePoints(source, sample).points;
    } catch (const VorbisDecodeError& e) {
        throw ExportError(ExportError::Kind::Refused, e.what());
    }
    if (sample.looped) {
        sound.loopStart = static_cast<std::uint32_t>(sample.conversion.outLoopStart);
        sound.loopEnd = static_cast<std::uint32_t>(sample.conversion.outLoopEnd);
    }
    return sound;
}

std::string SourceCodecName(const sfSample& sample) {
    return sample.IsCompressed() ? "Ogg Vorbis" : "PCM 16-bit";
}

}  // namespace zelvo
