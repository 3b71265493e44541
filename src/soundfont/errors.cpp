#include "soundfont/errors.h"

namespace zelvo {

ChunkIdError::ChunkIdError(std::string expected, std::string found, std::uint64_t offset)
    : SoundFontError("expected chunk id \"" + expected + "\"", offset),
      expected_(std::move(expected)),
      found_(std::move(found)) {}

std::string DescribeError(const SoundFontError& error) {
    return std::string("Error in SoundFont File: ") + error.what() + " (at byte offset " +
           std::to_string(error.offset()) + ")";
}

}  // namespace zelvo
