#include "export/sample_source.h"

#include <algorithm>
#include <bit>

#include "export/export_files.h"

namespace zelvo {

std::string SourceCodecName(const sfSample& sample) {
    return sample.IsCompressed() ? "Ogg Vorbis" : "PCM 16-bit";
}

std::vector<std::int16_t> ReadSourceSamplePoints(const SoundFontModel& model,
                                                 const sfSample& sample,
                                                 const InputFile& soundFont) {
    const std::int64_t count =
        std::max<std::int64_t>(0, std::int64_t{sample.dwEnd} - std::int64_t{sample.dwStart});
    std::vector<std::int16_t> points(static_cast<std::size_t>(count));
    soundFont.ReadAt(model.SampleDataPos - 1 + 2 * std::uint64_t{sample.dwStart},
                     reinterpret_cast<char*>(points.data()), 2 * points.size());
    // The SoundFont stores points low byte first.
    if constexpr (std::endian::native == std::endian::big) {
        for (std::int16_t& point : points) {
            const auto bits = static_cast<std::uint16_t>(point);
            point = static_cast<std::int16_t>(static_cast<std::uint16_t>(bits << 8 | bits >> 8));
        }
    }
    return points;
}

}  // namespace zelvo
