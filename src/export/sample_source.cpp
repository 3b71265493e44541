#include "export/sample_source.h"

#include "browser/text_encoding.h"
#include <algorithm>

#include "export/export_files.h"
#include "export/vorbis_decode.h"
#include "export/write_stuff.h"

namespace zelvo {
namespace {

[[noreturn]] void Refuse(const sfSample& sample, const std::string& why) {
    throw ExportError(ExportError::Kind::Refused,
                      "Sample \"" + Latin1ToUtf8(DisplayText(sample.achSampleName)) + "\" " + why);
}

// A compressed sample's dwStart and dwEnd are byte offsets of its stream; its
// loop counts points from its first decoded one.
SampleSound DecodeSampleSound(const SoundFontModel& model, const sfSample& sample,
                              const std::string& soundFontPath) {
    if (sample.dwEnd > model.SmplSize) Refuse(sample, "reaches past the sample data.");
    std::string stream(sample.dwEnd > sample.dwStart ? sample.dwEnd - sample.dwStart : 0, '\0');
    InputFile(soundFontPath).ReadAt(model.SampleDataPos - 1 + sample.dwStart, stream.data(), stream.size());
    DecodedSample decoded;
    try {
        decoded = DecodeVorbisSample(stream, DisplayText(sample.achSampleName));
    } catch (const VorbisDecodeError& e) {
        throw ExportError(ExportError::Kind::Refused, e.what());
    }
    SampleSound sound{.points = std::move(decoded.points), .rate = decoded.rate};
    const auto clamp = [&](std::uint32_t at) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(at, sound.points.size()));
    };
    sound.loopStart = clamp(sample.dwStartloop);
    sound.loopEnd = clamp(sample.dwEndloop);
    return sound;
}

}  // namespace

SampleSound ReadSampleSound(const SoundFontModel& model, int sampleNdx,
                            const std::string& soundFontPath) {
    if (sampleNdx < 1 || sampleNdx > model.SampleCount) {
        throw ExportError(ExportError::Kind::Refused,
                          "There is no sample " + std::to_string(sampleNdx) + " in this SoundFont.");
    }
    const sfSample& sample = model.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
    if (sample.sfSampleType & kSampleTypeRom) Refuse(sample, "lies in ROM, not in this file.");
    if (sample.IsCompressed()) return DecodeSampleSound(model, sample, soundFontPath);
    const std::uint64_t available = model.SmplSize / 2;
    if (sample.dwEnd > available) Refuse(sample, "reaches past the sample data.");

    SampleSound sound;
    sound.rate = sample.dwSampleRate;
    const std::uint64_t count = sample.dwEnd > sample.dwStart ? sample.dwEnd - sample.dwStart : 0;
    std::string bytes(2 * count, '\0');
    if (count > 0) {
        const InputFile file(soundFontPath);
        file.ReadAt(model.SampleDataPos - 1 + 2 * std::uint64_t{sample.dwStart}, bytes.data(),
                    bytes.size());
    }
    sound.points.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        sound.points[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
    }
    SetLoopFromHeader(sound, sample);
    return sound;
}

}  // namespace zelvo
