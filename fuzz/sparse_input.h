// How a sparse-load input describes its file: the hole's length in 2-byte
// units (32 bits, little-endian, so up to 8 GiB), where the hole starts in
// the bytes that follow (32 bits, little-endian, clamped to their end), then
// the bytes. The file is the bytes with the hole, reading as zeros, inserted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo::fuzzing {

struct SparseInput {
    std::uint64_t holeLength = 0;
    std::size_t holeAt = 0;
    std::string_view bytes;
    std::uint64_t FileSize() const { return bytes.size() + holeLength; }
};

constexpr std::size_t kSparseHeaderSize = 8;

inline std::uint32_t Le32At(std::string_view data, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(data[at + i]);
    return value;
}

inline std::optional<SparseInput> ParseSparseInput(std::string_view data) {
    if (data.size() < kSparseHeaderSize) return std::nullopt;
    SparseInput input;
    input.holeLength = std::uint64_t{Le32At(data, 0)} * 2;
    input.bytes = data.substr(kSparseHeaderSize);
    input.holeAt = std::min<std::size_t>(Le32At(data, 4), input.bytes.size());
    return input;
}

inline std::string EncodeSparseInput(std::uint64_t holeLength, std::size_t holeAt, std::string_view bytes) {
    std::string out;
    for (const std::uint64_t value : {holeLength / 2, std::uint64_t{holeAt}}) {
        for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out.append(bytes);
}

}  // namespace zelvo::fuzzing
