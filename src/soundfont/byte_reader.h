// SPDX-License-Identifier: GPL-3.0-or-later
// A buffered, bounds-checked forward reader over a SoundFont file. Every read
// checks the end of the data and throws MalformedFileError with the offset
// where that read began and the chunk being read.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace zelvo {

class ByteReader {
public:
    // Reads from the stream's current position to its end; the stream must
    // be seekable and outlive the reader.
    explicit ByteReader(std::istream& in);

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();  // unsigned 16-bit little-endian
    std::uint32_t ReadLong();  // unsigned 32-bit little-endian
    std::string ReadText(std::size_t n);
    // Reads four bytes and throws ChunkIdError when they differ from id.
    void ExpectChunkId(std::string_view id);
    // The next n bytes without consuming them (fewer at the end of the data).
    std::string PeekText(std::size_t n);
    void Skip(std::uint64_t n);

    // The chunk that errors name from now on ("the file ends early inside
    // the pbag chunk"); empty outside any chunk.
    void SetChunk(std::string_view id) { chunk_ = id; }
    const std::string& Chunk() const { return chunk_; }

    // The stream read from, for the few reads by position after a load.
    std::istream& Stream() { return in_; }

    std::uint64_t Offset() const { return offset_; }  // 0-based
    std::uint64_t Size() const { return size_; }
    std::uint64_t Remaining() const { return size_ - offset_; }
    bool AtEnd() const { return offset_ >= size_; }

private:
    void Require(std::uint64_t n) const;
    void Fill(std::size_t atLeast);
    std::size_t Buffered() const { return end_ - pos_; }

    std::istream& in_;
    std::uint64_t base_ = 0;    // stream position of offset 0
    std::uint64_t size_ = 0;    // bytes from base_ to the end of the stream
    std::uint64_t offset_ = 0;  // bytes consumed
    std::array<char, 64 * 1024> buffer_{};
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::string chunk_;
};

}  // namespace zelvo
