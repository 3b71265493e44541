// SPDX-License-Identifier: GPL-3.0-or-later
// How a sparse-load input describes its file: the hole's length in 2-byte
// units (32 bits, little-endian, so up to 8 GiB), where the hole starts in
// the bytes that follow (32 bits, little-endian, clamped to their end), then
// the bytes. The file is the bytes with the hole, reading as zeros, inserted.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

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

namespace detail {

inline void WriteAt(int fd, std::string_view bytes, std::uint64_t at) {
    if (bytes.empty()) return;
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at));
    if (written != static_cast<ssize_t>(bytes.size())) {
        throw std::system_error(errno, std::generic_category(), "pwrite");
    }
}

}  // namespace detail

// The bytes before the hole, the hole as the file's grown size, then the
// bytes after it: the hole takes no disk space.
inline void WriteSparseFile(const std::string& path, const SparseInput& input) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "open " + path);
    try {
        detail::WriteAt(fd, input.bytes.substr(0, input.holeAt), 0);
        if (::ftruncate(fd, static_cast<off_t>(input.FileSize())) != 0) {
            throw std::system_error(errno, std::generic_category(), "ftruncate");
        }
        detail::WriteAt(fd, input.bytes.substr(input.holeAt), input.holeAt + input.holeLength);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) throw std::system_error(errno, std::generic_category(), "close");
}

}  // namespace zelvo::fuzzing
