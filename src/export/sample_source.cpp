#include "export/sample_source.h"

#include <algorithm>

#include "export/export_files.h"

namespace zelvo {

std::string SourceCodecName(const sfSample& /*sample*/) {
    return "PCM 16-bit";
}

std::vector<std::int16_t> ReadSourceSamplePoints(const SoundFontModel& model,
                                                 const sfSample& sample,
                                                 const InputFile& soundFont) {
    const std::int64_t count =
        std::max<std::int64_t>(0, std::int64_t{sample.dwEnd} - std::int64_t{sample.dwStart});
    std::vector<char> bytes(2 * static_cast<std::size_t>(count));
    soundFont.ReadAt(model.SampleDataPos - 1 + 2 * std::uint64_t{sample.dwStart}, bytes.data(),
                     bytes.size());
    std::vector<std::int16_t> points(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        points[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
    }
    return points;
}

}  // namespace zelvo
