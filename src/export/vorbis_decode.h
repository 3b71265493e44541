// Decoding one compressed (Ogg Vorbis) sample of a SoundFont from memory.
#pragma once

#include <cstdint>
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

struct DecodedSample {
    std::vector<std::int16_t> points;
    std::uint32_t rate = 0;  // the stream's own rate, in points per second
};

// Decodes the Ogg Vorbis stream `stream` (the bytes dwStart..dwEnd of the
// "smpl" data) into 16-bit points, clipped. The stream must be Vorbis, hold
// one channel and be whole: its last page ends the stream at its last byte
// and the points decoded are as many as that page promises. Throws
// VorbisDecodeError naming sampleName otherwise.
DecodedSample DecodeVorbisSample(std::string_view stream, const std::string& sampleName);

}  // namespace zelvo
