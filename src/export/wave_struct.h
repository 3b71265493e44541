// SPDX-License-Identifier: GPL-3.0-or-later
// The records of a Yamaha EX5/EX7 wave file (.s1m) and their byte encoders.
// A file is a front part of fixed size (header, counts, key-map slots, one
// key map, sample headers, sample sizes) followed by the sample points.
// Every multi-byte number is big-endian and unsigned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvo {

inline constexpr int kWaveSlotCount = 1024;         // samples and key maps a file can hold
inline constexpr int kWaveMaxKeyMapEntries = 1706;  // entries that fit the key-map area
inline constexpr std::int64_t kWaveMax24Bit = (std::int64_t{1} << 24) - 1;

inline constexpr std::size_t kWaveFileHeaderSize = 128;
inline constexpr std::size_t kWaveCountsSize = 6;
inline constexpr std::size_t kWaveKeyMapSlotsSize = 4 * kWaveSlotCount;
inline constexpr std::size_t kWaveKeyMapAreaSize = 30720;
inline constexpr std::size_t kWaveKeyMapHeaderSize = 12;
inline constexpr std::size_t kWaveKeyMapEntrySize = 18;
inline constexpr std::size_t kWaveSampleHeaderSize = 30;
inline constexpr std::size_t kWaveSampleHeaderTableSize = kWaveSampleHeaderSize * kWaveSlotCount;
inline constexpr std::size_t kWaveSampleSizesSize = 4 * kWaveSlotCount;

inline constexpr std::size_t kWaveCountsOffset = kWaveFileHeaderSize;
inline constexpr std::size_t kWaveKeyMapSlotsOffset = kWaveCountsOffset + kWaveCountsSize;
inline constexpr std::size_t kWaveKeyMapAreaOffset = kWaveKeyMapSlotsOffset + kWaveKeyMapSlotsSize;
inline constexpr std::size_t kWaveSampleHeaderTableOffset =
    kWaveKeyMapAreaOffset + kWaveKeyMapAreaSize;
inline constexpr std::size_t kWaveSampleSizesOffset =
    kWaveSampleHeaderTableOffset + kWaveSampleHeaderTableSize;
inline constexpr std::size_t kWaveSampleDataOffset = kWaveSampleSizesOffset + kWaveSampleSizesSize;
static_assert(kWaveSampleDataOffset == 69766);

// value as width bytes, most significant first; 0 or less gives width zero
// bytes. Throws std::out_of_range when the value needs more bytes than width:
// a record never grows.
std::string BigEndianBytes(std::int64_t value, int width);

// A text cut to 8 bytes, or padded with spaces to 8.
std::string WaveName(const std::string& text);

// Field conversions from SoundFont values. Single bytes stay within 0..127.
int WaveByte(int value);                          // clamped to 0..127
int WavePan(int pan);                             // 0.1 % units, -500..500
int WaveTune(int value);                          // coarse tune in semitones or fine tune in cents
int WaveLoopFlag(int sampleModes);                // 0x00 for the looping modes 1 and 2, else 0x40
int WaveRootKey(int rootKey, int originalPitch);  // rootKey unless -1; 60 when outside 0..127
// The loop position field for a loop start L points into the file's sample
// data: floor(L / 2) with the top six bits set, 0 for a negative L.
std::int64_t WaveLoopPosition(std::int64_t loopStart);

struct WaveCounts {
    std::int64_t keyMapLength = 0;  // used bytes of the key map: 12 + 18 per entry
    std::int64_t sampleCount = 0;
};

struct WaveKeyMapHeader {
    std::string name;  // 8 bytes
    std::int64_t entryCount = 0;
};

struct WaveKeyMapEntry {
    int sampleReference = 0;  // 0x4000 + the sample's slot (0-based)
    int keyLo = 0;
    int keyHi = 0;
    int velLo = 0;
    int velHi = 0;
    int pan = 64;
    int coarseTune = 64;
    int fineTune = 64;
    bool first = false;  // the first entry of a key map carries a flag
};

struct WaveSampleHeader {
    std::string name;  // 8 bytes
    std::int64_t loopPosition = 0;
    int loopFlag = 0;
    std::int64_t loopStartOffset = 0;
    std::int64_t loopLength = 0;
    int rootKey = 60;
    std::int64_t lengthAfterLoop = 0;
    int slot = 0;  // 0-based position in the sample header table
};

std::string EncodeWaveFileHeader();
std::string EncodeWaveCounts(const WaveCounts& counts);
std::string EncodeWaveKeyMapSlots();
std::string EncodeWaveKeyMapHeader(const WaveKeyMapHeader& header);
std::string EncodeWaveKeyMapEntry(const WaveKeyMapEntry& entry);
// The header, the entries, then 0xFF filler to the end of the area.
std::string EncodeWaveKeyMapArea(const WaveKeyMapHeader& header,
                                 const std::vector<WaveKeyMapEntry>& entries);
std::string EncodeWaveSampleHeader(const WaveSampleHeader& header);
std::string EncodeWaveEmptySampleHeader();
// The headers in their slots, then empty headers in the slots left.
std::string EncodeWaveSampleHeaderTable(const std::vector<WaveSampleHeader>& headers);
// Data lengths in bytes, then zero slots.
std::string EncodeWaveSampleSizes(const std::vector<std::uint32_t>& sizes);

}  // namespace zelvo
