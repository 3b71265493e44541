// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding one compressed (Ogg Vorbis) sample of a SoundFont, block by block.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo {

// A stream Zelvo cannot turn into one channel of points. what() is
// "Sample "<name>" <reason>."; reason() alone reads after any label of the sample.
class VorbisDecodeError : public std::runtime_error {
public:
    VorbisDecodeError(const std::string& sampleName, const std::string& reason)
        : std::runtime_error("Sample \"" + sampleName + "\" " + reason + "."),
          sampleName_(sampleName),
          reason_(reason) {}
    const std::string& sampleName() const { return sampleName_; }
    const std::string& reason() const { return reason_; }

private:
    std::string sampleName_;
    std::string reason_;
};

// The bytes of one stream: its size and a reader of size bytes at an offset.
struct StreamBytes {
    std::uint64_t size = 0;
    std::function<void(std::uint64_t offset, char* into, std::size_t size)> read;
};

// One open stream, decoded front to back into 16-bit points (clipped as
// libvorbisfile's own 16-bit output is). The stream must be Vorbis, hold one
// channel and be whole: it must give exactly `length` points, the length its
// last page promises. Throws VorbisDecodeError naming sampleName otherwise.
class VorbisStream {
public:
    VorbisStream(StreamBytes bytes, std::uint64_t length, std::string sampleName);
    ~VorbisStream();
    VorbisStream(const VorbisStream&) = delete;
    VorbisStream& operator=(const VorbisStream&) = delete;

    std::uint32_t rate() const { return rate_; }
    std::uint64_t length() const { return length_; }
    std::uint64_t position() const { return position_; }  // points decoded so far

    // Decodes the next into.size() points; asking past the length is a
    // programming error (std::out_of_range). The last point read checks
    // that the stream ends there.
    void Read(std::span<std::int16_t> into);
    // Decodes and drops points up to point `to`.
    void SkipTo(std::uint64_t to);

private:
    struct Decoder;
    [[noreturn]] void Refuse(const std::string& reason) const;
    void CheckEnded();

    std::unique_ptr<Decoder> decoder_;
    std::string sampleName_;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
    std::uint32_t rate_ = 0;
};

struct DecodedSample {
    std::vector<std::int16_t> points;
    std::uint32_t rate = 0;  // the stream's own rate, in points per second
};

// The whole stream held in memory, decoded at once: its length is read from
// its last page.
DecodedSample DecodeVorbisSample(std::string_view stream, const std::string& sampleName);

}  // namespace zelvo
