// SPDX-License-Identifier: GPL-3.0-or-later
// An exported wave read back with the product's own checked reader, its
// records as plain lists for comparing with values worked out by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/wave_reader.h"

namespace zelvo::testing {

// Per key-map entry: sample reference, key and velocity ranges, pan, coarse and fine tune.
inline std::vector<std::vector<int>> Entries(const WaveFileContents& w) {
    std::vector<std::vector<int>> entries;
    for (const WaveKeyMapEntry& e : w.keyMapEntries)
        entries.push_back({e.sampleReference, e.keyLo, e.keyHi, e.velLo, e.velHi, e.pan, e.coarseTune, e.fineTune});
    return entries;
}

// Per sample: loop flag, loop start, loop length, points after the loop, root key, size in points.
inline std::vector<std::vector<std::int64_t>> Headers(const WaveFileContents& w) {
    std::vector<std::vector<std::int64_t>> headers;
    for (const WaveSample& s : w.samples) {
        const WaveSampleHeader& h = s.header;
        headers.push_back({h.loopFlag, h.loopStartOffset, h.loopLength, h.lengthAfterLoop, h.rootKey, s.size / 2});
    }
    return headers;
}

// The points of sample s of file, high byte first as the file holds them.
inline std::vector<std::int16_t> PointsOf(const std::string& file, const WaveSample& s) {
    std::vector<std::int16_t> points;
    for (std::uint64_t at = s.dataOffset; at + 1 < s.dataOffset + s.size; at += 2) {
        points.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(file.at(at)) << 8 |
                                                   static_cast<unsigned char>(file.at(at + 1))));
    }
    return points;
}

}  // namespace zelvo::testing
