// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/wave_struct.h"

#include <algorithm>
#include <stdexcept>

namespace zelvo {
namespace {

constexpr std::size_t kNameSize = 8;
constexpr std::int64_t kLoopPositionBits = 0xFC0000;

// Rounds toward minus infinity, as the field conversions need for negatives.
int FloorDiv(int numerator, int denominator) {
    const int quotient = numerator / denominator;
    return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1
                                                                                  : quotient;
}

// A conversion of the form floor(64 x value / range) + 64.
int ScaledByte(int value, int range) {
    return WaveByte(FloorDiv(64 * value, range) + 64);
}

std::string Byte(int value) {
    return std::string(1, static_cast<char>(value));
}

std::string Filled(std::size_t size, unsigned char byte) {
    return std::string(size, static_cast<char>(byte));
}

}  // namespace

std::string BigEndianBytes(std::int64_t value, int width) {
    std::string bytes(static_cast<std::size_t>(width), '\0');
    if (value <= 0) return bytes;
    for (int i = width - 1; i >= 0 && value > 0; --i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
    if (value > 0) {
        throw std::out_of_range("a value does not fit its " + std::to_string(width) +
                                "-byte field");
    }
    return bytes;
}

std::string WaveName(const std::string& text) {
    std::string name = text.substr(0, kNameSize);
    name.resize(kNameSize, ' ');
    return name;
}

int WaveByte(int value) {
    return std::clamp(value, 0, 127);
}

int WavePan(int pan) {
    return ScaledByte(pan, 500);
}

int WaveTune(int value) {
    return ScaledByte(value, 100);
}

int WaveLoopFlag(int sampleModes) {
    return sampleModes == 1 || sampleModes == 2 ? 0x00 : 0x40;
}

int WaveRootKey(int rootKey, int originalPitch) {
    const int key = rootKey != -1 ? rootKey : originalPitch;
    return key >= 0 && key <= 127 ? key : 60;
}

std::int64_t WaveLoopPosition(std::int64_t loopStart) {
    if (loopStart < 0) return 0;
    return (loopStart / 2) | kLoopPositionBits;
}

std::string EncodeWaveFileHeader() {
    std::string header = "SY1200SPA  V1.00";
    header += Filled(kWaveFileHeaderSize - header.size() - 1, 0x00);
    header += Byte(0x40);
    return header;
}

std::string EncodeWaveCounts(const WaveCounts& counts) {
    return BigEndianBytes(counts.keyMapLength, 4) + BigEndianBytes(counts.sampleCount, 2);
}

std::string EncodeWaveKeyMapSlots() {
    // One key map, at the start of the key-map area; the other slots are unused.
    return Filled(4, 0x00) + Filled(4 * (kWaveSlotCount - 1), 0xFF);
}

std::string EncodeWaveKeyMapHeader(const WaveKeyMapHeader& header) {
    return WaveName(header.name) + BigEndianBytes(header.entryCount, 2) + Filled(2, 0x00);
}

std::string EncodeWaveKeyMapEntry(const WaveKeyMapEntry& entry) {
    std::string bytes = BigEndianBytes(entry.sampleReference, 2) + Filled(2, 0x00);
    for (const int value : {entry.keyLo, entry.keyHi, entry.velLo, entry.velHi, entry.pan,
                            entry.coarseTune, entry.fineTune}) {
        bytes += Byte(WaveByte(value));
    }
    bytes += Byte(entry.first ? 0x40 : 0x00);
    bytes += Filled(6, 0x00);
    return bytes;
}

std::string EncodeWaveKeyMapArea(const WaveKeyMapHeader& header,
                                 const std::vector<WaveKeyMapEntry>& entries) {
    if (entries.size() > static_cast<std::size_t>(kWaveMaxKeyMapEntries)) {
        throw std::out_of_range("too many key-map entries");
    }
    std::string area = EncodeWaveKeyMapHeader(header);
    for (const WaveKeyMapEntry& entry : entries) area += EncodeWaveKeyMapEntry(entry);
    area += Filled(kWaveKeyMapAreaSize - area.size(), 0xFF);
    return area;
}

std::string EncodeWaveSampleHeader(const WaveSampleHeader& header) {
    return WaveName(header.name) + Filled(2, 0x00) + BigEndianBytes(header.loopPosition, 3) +
           Byte(header.loopFlag) + BigEndianBytes(header.loopStartOffset, 3) + Filled(1, 0x00) +
           BigEndianBytes(header.loopLength, 3) + BigEndianBytes(header.rootKey, 1) +
           Filled(3, 0x00) + BigEndianBytes(header.lengthAfterLoop, 3) +
           BigEndianBytes(header.slot, 2);
}

std::string EncodeWaveEmptySampleHeader() {
    return "NewSampl" + BigEndianBytes(128, 10) + BigEndianBytes(60, 4) + Filled(6, 0x00) +
           Filled(2, 0xFF);
}

std::string EncodeWaveSampleHeaderTable(const std::vector<WaveSampleHeader>& headers) {
    if (headers.size() > static_cast<std::size_t>(kWaveSlotCount)) {
        throw std::out_of_range("too many sample headers");
    }
    std::string table;
    table.reserve(kWaveSampleHeaderTableSize);
    for (const WaveSampleHeader& header : headers) table += EncodeWaveSampleHeader(header);
    const std::string empty = EncodeWaveEmptySampleHeader();
    while (table.size() < kWaveSampleHeaderTableSize) table += empty;
    return table;
}

std::string EncodeWaveSampleSizes(const std::vector<std::uint32_t>& sizes) {
    if (sizes.size() > static_cast<std::size_t>(kWaveSlotCount)) {
        throw std::out_of_range("too many sample sizes");
    }
    std::string slots;
    slots.reserve(kWaveSampleSizesSize);
    for (const std::uint32_t size : sizes) slots += BigEndianBytes(size, 4);
    slots.resize(kWaveSampleSizesSize, '\0');
    return slots;
}

}  // namespace zelvo
