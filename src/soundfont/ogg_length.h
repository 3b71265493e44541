// SPDX-License-Identifier: GPL-3.0-or-later
// The decoded length of a compressed (Ogg Vorbis) sample, read from the end
// of its stream without decoding it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string_view>

#include "soundfont/model.h"

namespace zelvo {

// Enough bytes to hold the largest Ogg page (27 + 255 + 255 * 255 bytes).
inline constexpr std::size_t kOggTailBytes = 64 * 1024;

// The granule position of the stream's last page, which for a Vorbis stream
// is its length in points. tail is the end of one stream (any length; only
// its last kOggTailBytes are looked at). The last page is found from the
// page headers alone, and only it is checked: it must end exactly where tail
// ends, pass its checksum, be marked as the end of the stream and have a
// granule position without its sign bit; otherwise the length is unknown
// (std::nullopt). The work grows linearly with the bytes looked at.
std::optional<std::uint64_t> OggStreamLength(std::string_view tail);

// OggStreamLength of the stream at the 0-based file offsets [start, end),
// from its last 8 KiB, or its last kOggTailBytes when no page ends there.
// The file's read position is kept, so a reader in the middle of the file
// can go on. Unknown when the range is empty or cannot be read.
std::optional<std::uint64_t> ReadOggStreamLength(std::istream& file, std::uint64_t start,
                                                 std::uint64_t end);

// The decoded length of a compressed sample of a loaded model, read from
// file, the open SoundFont whose offset 0 is the model's position 1. Unknown
// when the sample's stream does not lie inside the sample data.
std::optional<std::uint64_t> ReadCompressedSampleLength(std::istream& file,
                                                        const SoundFontModel& model,
                                                        const sfSample& sample);

// Sets decodedLength of every compressed sample of a loaded model from file,
// as ReadCompressedSampleLength reads it; 0 where unknown or past 32 bits.
void ReadDecodedLengths(std::istream& file, SoundFontModel& model);

}  // namespace zelvo
