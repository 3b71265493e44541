#include "export/sample_source.h"

#include "browser/text_encoding.h"
#include "export/export_files.h"
#include "export/write_stuff.h"

namespace zelvo {
namespace {

[[noreturn]] void Refuse(const sfSample& sample, const std::string& why) {
    throw ExportError(ExportError::Kind::Refused,
                      "Sample \"" + Latin1ToUtf8(DisplayText(sample.achSampleName)) + "\" " + why);
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
    if (sample.sfSampleType & kSampleTypeCompressed) Refuse(sample, "is compressed.");
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
