#include "export/sample_source.h"

#include <algorithm>

#include "browser/text_encoding.h"
#include "export/export_error.h"
#include "export/sample_conversion.h"
#include "export/vorbis_decode.h"

namespace zelvo {
namespace {

[[noreturn]] void Refuse(const sfSample& sample, const std::string& why) {
    throw ExportError(ExportError::Kind::Refused,
                      "Sample \"" + SoundFontTextToUtf8(DisplayText(sample.achSampleName)) + "\" " + why);
}

}  // namespace

SampleSource::SampleSource(const SoundFontModel& model, const std::string& soundFontPath)
    : model_(model), file_(soundFontPath) {}

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
    std::vector<unsigned char> bytes(2 * into.size());
    file_.ReadAt(model_.SampleDataPos - 1 + 2 * (std::uint64_t{sample.dwStart} + first),
                 reinterpret_cast<char*>(bytes.data()), bytes.size());
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
                            const std::string& soundFontPath) {
    SampleSource source(model, soundFontPath);
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
                                     const std::string& soundFontPath) {
    SampleSound sound = ReadSampleSound(model, sampleNdx, soundFontPath);
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

std::string SourceCodecName(const sfSample& sample) {
    return sample.IsCompressed() ? "Ogg Vorbis" : "PCM 16-bit";
}

}  // namespace zelvo
