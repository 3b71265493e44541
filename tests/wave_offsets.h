// Reading an exported .s1m in tests by the offsets of its format, without
// the writer's code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelvo::testing {

inline constexpr std::size_t kCounts = 128, kKeyMapArea = 4230, kSampleHeaders = 34950,
                             kSampleSizes = 65670, kSampleData = 69766;

// Big-endian unsigned number of width bytes at offset.
inline std::int64_t Be(const std::string& file, std::size_t offset, int width) {
    std::int64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value * 256 + static_cast<unsigned char>(file.at(offset + i));
    return value;
}

}  // namespace zelvo::testing
