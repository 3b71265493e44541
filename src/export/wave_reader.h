// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an EX5/7 wave file (.s1m) back: every fixed byte, count, key-map
// entry, sample header and size slot is checked against the format and the
// file's length, every loop against its sample's points, so that a damaged
// or foreign file is refused at its first inconsistency rather than shown
// half-read or sent to a synthesizer that would fail on it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "export/wave_struct.h"

namespace zelvo {

// A file that is not the wave file it claims to be. offset is the 0-based
// byte offset of the first inconsistency; for a file that ends too early,
// its length.
class WaveFileError : public std::runtime_error {
public:
    WaveFileError(const std::string& what, std::uint64_t offset)
        : std::runtime_error(what), offset_(offset) {}
    std::uint64_t offset() const { return offset_; }

private:
    std::uint64_t offset_;
};

// "Not a valid EX5/7 wave file: <what> (at byte offset N)".
std::string DescribeWaveError(const WaveFileError& error);

struct WaveSample {
    WaveSampleHeader header;
    std::uint32_t size = 0;        // bytes of sample data, from its size slot
    std::uint64_t dataOffset = 0;  // where its points begin in the file
};

// What a checked file holds. Key-map entries and sample headers use the
// writer's records; entries[k].first is true for the first entry only.
struct WaveFileContents {
    WaveCounts counts;
    WaveKeyMapHeader keyMapHeader;
    std::vector<WaveKeyMapEntry> keyMapEntries;
    std::vector<WaveSample> samples;  // sample c in [c - 1]
    std::uint64_t fileSize = 0;
};

// The 1-based number of the sample an entry plays.
int WaveSampleNumber(const WaveKeyMapEntry& entry);
// Whether a sample header's flag asks for its loop to be played.
bool WaveLooped(const WaveSampleHeader& header);

// Checks and reads a whole file's bytes. Throws WaveFileError.
WaveFileContents ParseWaveFile(std::string_view file);

// The same, from the file's first min(fileSize, 69766) bytes and its length:
// the sample points themselves need no reading.
WaveFileContents ParseWaveFront(std::string_view front, std::uint64_t fileSize);

// Reads and checks the file at path. Throws WaveFileError, or
// FileAccessError (path and the reason) when it cannot be read or is not a
// regular file: a FIFO, device or folder is refused without waiting on it.
WaveFileContents ReadWaveFile(const std::string& path);

}  // namespace zelvo
