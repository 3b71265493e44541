// Reads an exported .s1m by the offsets of its format, and computes what a
// model's instrument should give, without the writer's code.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "load_helpers.h"
#include "soundfont/model.h"

namespace zelvo::testing {

inline constexpr std::size_t kCounts = 128, kKeyMapArea = 4230, kSampleHeaders = 34950,
                             kSampleSizes = 65670, kSampleData = 69766;

// Big-endian unsigned number of width bytes at offset.
inline std::int64_t Be(const std::string& file, std::size_t offset, int width) {
    std::int64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value * 256 + static_cast<unsigned char>(file.at(offset + i));
    return value;
}

// A key-map entry: sample reference, key and velocity ranges (low, high), pan,
// coarse tune, fine tune and the first-entry flag.
using EntryFields = std::vector<std::int64_t>;
// A sample header's name, then its loop position, loop flag, loop start, loop
// length, root key, start, points after the loop, slot, and the sample's size.
using SampleFields = std::pair<std::string, std::vector<std::int64_t>>;

// The variable fields of a file; ParseWave checks the fixed bytes around them.
struct WaveFields {
    std::string keyMapName;
    std::vector<EntryFields> entries;
    std::vector<SampleFields> samples;
    std::string data;  // the sample points as the file holds them
};

inline WaveFields ParseWave(const std::string& f) {
    WaveFields w;
    EXPECT_GE(f.size(), kSampleData);
    if (f.size() < kSampleData) return w;
    EXPECT_EQ(f.substr(0, 128), "SY1200SPA  V1.00" + std::string(111, '\0') + '\x40');
    const std::int64_t sampleCount = Be(f, kCounts + 4, 2);
    // One key map in the first of 1024 slots.
    EXPECT_EQ(f.substr(kCounts + 6, 4096), std::string(4, '\0') + std::string(4092, '\xFF'));
    w.keyMapName = f.substr(kKeyMapArea, 8);
    const std::size_t used =
        12 + 18 * static_cast<std::size_t>(Be(f, kKeyMapArea + 8, 2));  // entries
    EXPECT_EQ(Be(f, kCounts, 4), static_cast<std::int64_t>(used));
    EXPECT_EQ(Be(f, kKeyMapArea + 10, 2), 0);
    for (std::size_t at = kKeyMapArea + 12; at < kKeyMapArea + used; at += 18) {
        w.entries.push_back({Be(f, at, 2), Be(f, at + 4, 1), Be(f, at + 5, 1), Be(f, at + 6, 1),
                             Be(f, at + 7, 1), Be(f, at + 8, 1), Be(f, at + 9, 1),
                             Be(f, at + 10, 1), Be(f, at + 11, 1)});
        EXPECT_EQ(Be(f, at + 2, 2) + Be(f, at + 12, 6), 0);
    }
    EXPECT_EQ(f.substr(kKeyMapArea + used, 30720 - used), std::string(30720 - used, '\xFF'));

    const std::string emptySlot = "NewSampl" + std::string(9, '\0') + '\x80' +
                                  std::string(3, '\0') + '\x3C' + std::string(6, '\0') + "\xFF\xFF";
    std::int64_t dataBytes = 0;
    for (std::size_t c = 0; c < 1024; ++c) {
        const std::size_t at = kSampleHeaders + 30 * c;
        const std::int64_t size = Be(f, kSampleSizes + 4 * c, 4);
        if (static_cast<std::int64_t>(c) >= sampleCount) {
            EXPECT_EQ(f.substr(at, 30) + std::to_string(size), emptySlot + "0") << "slot " << c;
            continue;
        }
        w.samples.push_back(
            {f.substr(at, 8),
             {Be(f, at + 10, 3), Be(f, at + 13, 1), Be(f, at + 14, 3), Be(f, at + 18, 3),
              Be(f, at + 21, 1), Be(f, at + 22, 3), Be(f, at + 25, 3), Be(f, at + 28, 2), size}});
        EXPECT_EQ(Be(f, at + 8, 2) + Be(f, at + 17, 1), 0);
        dataBytes += size;
    }
    EXPECT_EQ(static_cast<std::int64_t>(f.size()),
              static_cast<std::int64_t>(kSampleData) + dataBytes);
    w.data = f.substr(kSampleData);
    return w;
}

// floor(64 x value / range) + 64 in floating point, kept within 0..127.
inline std::int64_t Scaled(int value, double range) {
    return std::clamp<std::int64_t>(
        static_cast<std::int64_t>(std::floor(64.0 * value / range)) + 64, 0, 127);
}

// What instrument i of a loaded model should give; sf2 is the SoundFont's
// bytes, for the sample points.
inline WaveFields ExpectedWave(const SoundFontModel& m, int i, const std::string& nodeText,
                               const std::string& sf2) {
    WaveFields w{(nodeText + std::string(8, ' ')).substr(0, 8), {}, {}, {}};
    const InstZoneInfo& info = m.InstZoneTable[i];
    std::vector<int> samples,
        firstUser;  // sampleNdx of sample numbers 1..N, and the zone that first used it
    const auto byte = [](int v) { return std::clamp<std::int64_t>(v, 0, 127); };
    for (int z = 1; z <= info.zoneCount; ++z) {
        const InstZone& zone = info.zone(z);
        if (zone.isGlobal) continue;
        auto found = std::find(samples.begin(), samples.end(), zone.sampleNdx);
        if (found == samples.end()) {
            samples.push_back(zone.sampleNdx);
            firstUser.push_back(z);
            found = samples.end() - 1;
        }
        w.entries.push_back({0x4000 + (found - samples.begin()), byte(zone.keyLo), byte(zone.keyHi),
                             byte(zone.velLo), byte(zone.velHi), Scaled(zone.pan, 500),
                             Scaled(zone.coarseTune, 100), Scaled(zone.fineTune, 100),
                             w.entries.empty() ? 0x40 : 0x00});
    }
    std::int64_t pointsBefore = 0;
    for (std::size_t c = 0; c < samples.size(); ++c) {
        const sfSample& s = m.SampleHeaders[static_cast<std::size_t>(samples[c])];
        const InstZone& zone = info.zone(firstUser[c]);
        const std::int64_t start = s.dwStart, end = s.dwEnd, ls = s.dwStartloop, le = s.dwEndloop;
        const std::int64_t points = std::max<std::int64_t>(0, end - start);
        const std::int64_t loop = ls - start + pointsBefore;
        const int key = zone.rootKey >= 0 ? zone.rootKey : s.byOriginalPitch;
        w.samples.push_back(
            {s.achSampleName.substr(0, 8),
             {loop < 0 ? 0 : (loop / 2) | 0xFC0000,
              zone.sampleModes == 1 || zone.sampleModes == 2 ? 0x00 : 0x40,
              std::max<std::int64_t>(0, ls - start), std::max<std::int64_t>(0, le - ls),
              key <= 127 ? key : 60, 0, std::max<std::int64_t>(0, end - le),
              static_cast<std::int64_t>(c), 2 * points}});
        const std::string le16 =
            sf2.substr(m.SampleDataPos - 1 + 2 * static_cast<std::size_t>(start), 2 * points);
        for (std::size_t p = 0; p < le16.size(); p += 2) w.data += {le16[p + 1], le16[p]};
        pointsBefore += points;
    }
    return w;
}

inline void ExpectSameWave(const WaveFields& actual, const WaveFields& expected) {
    EXPECT_EQ(::testing::PrintToString(actual.keyMapName),
              ::testing::PrintToString(expected.keyMapName));
    EXPECT_EQ(actual.entries, expected.entries);
    EXPECT_EQ(actual.samples, expected.samples);
    EXPECT_TRUE(actual.data == expected.data) << "sample data differs";
}

}  // namespace zelvo::testing
