// Exports of SoundFonts built in memory and of real ones, read back by the
// offsets of the wave file format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "export/write_stuff.h"
#include "load_helpers.h"
#include "ogg_streams.h"
#include "sf2_builder.h"
#include "wave_offsets.h"
#include "soundfont/tree_keys.h"

namespace zelvo::testing {
namespace {

// What a model's instrument should give, computed without the writer's code.

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

WaveFields ParseWave(const std::string& f) {
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

// What instrument i of a loaded model should give; sf2 is the SoundFont's
// bytes, for the sample points.
WaveFields ExpectedWave(const SoundFontModel& m, int i, const std::string& nodeText,
                        const std::string& sf2) {
    WaveFields w{(nodeText + std::string(8, ' ')).substr(0, 8), {}, {}, {}};
    const InstZoneInfo& info = m.InstZoneTable[i];
    // sampleNdx of the file's samples 1..N, and the zone that first used each.
    std::vector<int> samples, firstUser;
    const auto byte = [](double v) { return std::clamp<std::int64_t>(std::floor(v), 0, 127); };
    // floor(64 x value / range) + 64 in floating point, as one byte.
    const auto scaled = [&](int value, double range) { return byte(64.0 * value / range + 64); };
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
                             byte(zone.velLo), byte(zone.velHi), scaled(zone.pan, 500),
                             scaled(zone.coarseTune, 100), scaled(zone.fineTune, 100),
                             w.entries.empty() ? 0x40 : 0x00});
    }
    std::int64_t pointsBefore = 0;
    for (std::size_t c = 0; c < samples.size(); ++c) {
        const sfSample& s = m.SampleHeaders[static_cast<std::size_t>(samples[c])];
        const InstZone& zone = info.zone(firstUser[c]);
        const std::int64_t start = s.dwStart, end = s.dwEnd;
        const std::int64_t points = std::max<std::int64_t>(0, end - start);
        // The loop clamped into the sample, relative to its start.
        const std::int64_t ls = std::clamp<std::int64_t>(s.dwStartloop - start, 0, points);
        const std::int64_t le = std::clamp<std::int64_t>(s.dwEndloop - start, ls, points);
        const std::int64_t loop = ls + pointsBefore;
        const int key = zone.rootKey >= 0 ? zone.rootKey : s.byOriginalPitch;
        w.samples.push_back({s.achSampleName.substr(0, 8),
                             {(loop / 2) | 0xFC0000,
                              zone.sampleModes == 1 || zone.sampleModes == 2 ? 0x00 : 0x40, ls,
                              le - ls, key <= 127 ? key : 60, 0, points - le,
                              static_cast<std::int64_t>(c), 2 * points}});
        const std::string le16 =
            sf2.substr(m.SampleDataPos - 1 + 2 * static_cast<std::size_t>(start), 2 * points);
        for (std::size_t p = 0; p < le16.size(); p += 2) w.data += {le16[p + 1], le16[p]};
        pointsBefore += points;
    }
    return w;
}

void ExpectSameWave(const WaveFields& actual, const WaveFields& expected) {
    EXPECT_EQ(actual.keyMapName, expected.keyMapName);
    EXPECT_EQ(actual.entries, expected.entries);
    EXPECT_EQ(actual.samples, expected.samples);
    EXPECT_TRUE(actual.data == expected.data) << "sample data differs";
}

namespace fs = std::filesystem;

constexpr int kPan = 17, kCoarseTune = 51, kFineTune = 52, kSampleModes = 54, kRootKey = 58;

// Points that do not repeat within a copy block, so a block read twice shows.
std::vector<std::int16_t> Ramp(std::size_t count) {
    std::vector<std::int16_t> points(count);
    for (std::size_t i = 0; i < count; ++i)
        points[i] = static_cast<std::int16_t>(0x1234 + 3 * i + i / 65536);
    return points;
}

// Samples of 1000 points (loop 100..900) and of 500 points after the 46-point gap.
Sf2Builder TwoSampleFile() {
    Sf2Builder b;
    b.Sample({.name = "Flute", .end = 1000, .startLoop = 100, .endLoop = 900});
    SampleDef oboe{.name = "Oboe Long Name", .start = 1046, .end = 1546, .startLoop = 1096};
    oboe.endLoop = 1500;
    oboe.pitch = 72;
    b.Sample(oboe);
    return b.SamplePoints(Ramp(1600));
}

class Export : public ::testing::Test {
protected:
    void Load(const Sf2Builder& builder) {
        sf2Bytes_ = builder.Build();
        sf2_ = std::make_unique<TempFile>(sf2Bytes_);
        OpenSoundFont(model_, sf2_->path().string(), tree_);
    }
    std::string NodeTextOf(int instrument) const {
        return NodeText(tree_, NodeKey(kInstrumentsKey, instrument));
    }
    std::string Out() const { return (sf2_->folder() / "out.s1m").string(); }
    std::string Run(int instrument = 1, const ExportProgress& progress = {},
                    const ExportOptions& options = {}) {
        ExportInstrumentToWave(model_, instrument, sf2_->path().string(), Out(), progress, options);
        return ReadWholeFile(Out());
    }
    WaveFields Expected(int instrument = 1) const {
        return ExpectedWave(model_, instrument, NodeTextOf(instrument), sf2Bytes_);
    }
    // Expects an export error that leaves an existing file and no other behind.
    std::string Error(int instrument, ExportError::Kind kind = ExportError::Kind::Refused,
                      std::string soundFont = "", std::string out = "") {
        std::ofstream(Out()) << "old";
        try {
            ExportInstrumentToWave(model_, instrument,
                                   soundFont.empty() ? sf2_->path().string() : soundFont,
                                   out.empty() ? Out() : out);
        } catch (const ExportError& e) {
            EXPECT_EQ(e.kind(), kind) << e.what();
            EXPECT_EQ(ReadWholeFile(Out()), "old");
            EXPECT_EQ(std::distance(fs::directory_iterator(sf2_->folder()), {}), 2);
            return e.what();
        }
        ADD_FAILURE() << "instrument " << instrument << " was exported";
        return "";
    }

    std::string sf2Bytes_;
    std::unique_ptr<TempFile> sf2_;
    SoundFontModel model_;
    MemoryTree tree_;
};

TEST_F(Export, OneZoneOfAThousandPointsGivesTheWorkedExample) {
    Load(TwoSampleFile().Instrument({"Fl", {{{SampleId(0)}}}}));
    const std::string file = Run();
    ASSERT_EQ(file.size(), 69766u + 2000);
    EXPECT_EQ(Be(file, kCounts, 4), 30);
    const WaveFields w = ParseWave(file);
    EXPECT_EQ(w.keyMapName, "Fl      ");
    EXPECT_EQ(w.entries, (std::vector<EntryFields>{{0x4000, 0, 127, 1, 127, 64, 64, 64, 0x40}}));
    // Loop position FC 00 32, flag 40, loop start 00 00 64, loop length 00 03 20, root key
    // 60, start 0, after the loop 00 00 64, slot 0; then the size, 2000 bytes.
    EXPECT_EQ(file.substr(kSampleHeaders, 30),
              std::string("Flute\0\0\0\0\0\xFC\x00\x32\x40\0\0\x64\0"
                          "\0\x03\x20\x3C\0\0\0\0\0\x64\0\0",
                          30));
    EXPECT_EQ(file.substr(kSampleSizes, 4), std::string("\0\0\x07\xD0", 4));
    // Point 0x1234 is stored 34 12 in the SoundFont and written 12 34.
    EXPECT_EQ(sf2Bytes_.substr(model_.SampleDataPos - 1, 2), "\x34\x12");
    EXPECT_EQ(file.substr(kSampleData, 4), "\x12\x34\x12\x37");
    ExpectSameWave(w, Expected());
}

TEST_F(Export, TwoSamplesFollowEachOtherAndLoopPositionsCountFromTheFileData) {
    Load(TwoSampleFile().Instrument(
        {"Pair", {{{KeyRange(0, 59), SampleId(0)}}, {{KeyRange(60, 127), SampleId(1)}}}}));
    const std::string file = Run();
    ASSERT_EQ(file.size(), 72766u);
    const WaveFields w = ParseWave(file);
    ASSERT_EQ(w.samples.size(), 2u);
    // Loop start 50 points into the second sample, which follows 1000 points.
    EXPECT_EQ(w.samples[1],
              (SampleFields{"Oboe Lon", {0xFC0000 | 525, 0x40, 50, 404, 72, 0, 46, 1, 1000}}));
    EXPECT_EQ(w.entries[1], (EntryFields{0x4001, 60, 127, 1, 127, 64, 64, 64, 0x00}));
    EXPECT_EQ(file.substr(kSampleData + 2000, 4), "\x1E\x76\x1E\x79");  // points 1046 and 1047
    ExpectSameWave(w, Expected());
}

// The loop position counts pairs of points: an odd loop start is rounded down.
TEST_F(Export, AnOddLoopStartIsRoundedDown) {
    Sf2Builder b = TwoSampleFile();
    Load(b.Sample({.name = "Odd", .end = 100, .startLoop = 41, .endLoop = 90})
             .Instrument({"Odd", {{{SampleId(2)}}}}));
    EXPECT_EQ(ParseWave(Run()).samples.at(0).second[0], 0xFC0000 | 20);
}

TEST_F(Export, RepeatsShareASampleAndGlobalZonesGiveNoEntry) {
    // The leading global zone names sample 1 before its last generator: it
    // is still global and makes no later zone a repeat.
    Load(TwoSampleFile().Instrument(
        {"Layered",
         {{{SampleId(1), Gen(kPan, -250), Gen(kSampleModes, 1)}},
          {{KeyRange(0, 40), Gen(kRootKey, 50), SampleId(1)}},
          {{Gen(kPan, 100)}},
          {{KeyRange(41, 80), SampleId(0)}},
          {{KeyRange(81, 127), Gen(kRootKey, 70), Gen(kSampleModes, 3), SampleId(1)}}}}));
    const WaveFields w = ParseWave(Run());
    ASSERT_EQ(w.entries.size(), 3u);
    EXPECT_EQ(w.entries[0], (EntryFields{0x4000, 0, 40, 1, 127, 32, 64, 64, 0x40}));
    EXPECT_EQ(w.entries[2], (EntryFields{0x4000, 81, 127, 1, 127, 32, 64, 64, 0x00}));
    ASSERT_EQ(w.samples.size(), 2u);
    // Sample 1 is written from its first user: root key 50, the inherited looping mode.
    EXPECT_EQ(w.samples[0],
              (SampleFields{"Oboe Lon", {0xFC0000 | 25, 0x00, 50, 404, 50, 0, 46, 0, 1000}}));
    ExpectSameWave(w, Expected());
}

// Single bytes are clamped and floored, the root key falls back to 60, and
// nothing goes below zero; an instrument without sample zones still gives
// the front part.
TEST_F(Export, EdgeValuesAndInstrumentsWithoutSamplePoints) {
    Sf2Builder b = TwoSampleFile();
    b.Sample({.name = "Noise", .start = 1546, .end = 1590, .pitch = 255});
    b.Sample({.name = "Empty", .start = 20, .end = 20});
    b.Sample({.name = "Backward", .start = 30, .end = 10, .startLoop = 5, .endLoop = 40});
    b.Instrument({"Extremes",
                  {{{KeyRange(0, 200), VelRange(0, 250), Gen(kPan, -600), Gen(kCoarseTune, -120),
                     Gen(kFineTune, 99), Gen(kRootKey, 65535), SampleId(2)}},
                   {{Gen(kPan, 500), Gen(kCoarseTune, 120), Gen(kSampleModes, 2), SampleId(1)}},
                   {{Gen(kPan, -1), Gen(kCoarseTune, 1), Gen(kFineTune, -1), SampleId(1)}}}});
    Load(b.Instrument({"Globals", {{{Gen(kPan, 100)}}}})
             .Instrument({"Empties", {{{SampleId(3)}}, {{SampleId(4)}}}}));
    const WaveFields w = ParseWave(Run());
    EXPECT_EQ(w.entries, (std::vector<EntryFields>{{0x4000, 0, 127, 0, 127, 0, 0, 127, 0x40},
                                                   {0x4001, 0, 127, 1, 127, 127, 127, 64, 0},
                                                   {0x4001, 0, 127, 1, 127, 63, 64, 63, 0}}));
    EXPECT_EQ(w.samples[0].second[4], 60);  // root key
    // A loop of 0..0 before the start gives an empty loop at the start.
    EXPECT_EQ(w.samples[0], (SampleFields{std::string("Noise\0\0\0", 8),
                                          {0xFC0000, 0x40, 0, 0, 60, 0, 44, 0, 88}}));
    EXPECT_EQ(w.samples[1],
              (SampleFields{"Oboe Lon", {0xFC0000 | 47, 0x00, 50, 404, 72, 0, 46, 1, 1000}}));
    ExpectSameWave(w, Expected());

    const std::string globals = Run(2);
    EXPECT_EQ(Be(globals, kCounts, 4), 12);
    EXPECT_TRUE(ParseWave(globals).samples.empty());
    const WaveFields empties = ParseWave(Run(3));
    ASSERT_EQ(empties.samples.size(), 2u);
    // A loop around a sample of no points shrinks to nothing.
    EXPECT_EQ(empties.samples[1],
              (SampleFields{"Backward", {0xFC0000, 0x40, 0, 0, 60, 0, 0, 1, 0}}));
    ExpectSameWave(empties, Expected(3));
}

TEST_F(Export, LimitsAreExactAndInstrumentsOfManyZonesExport) {
    // 1024 empty samples fill the sample slots; 1706 zones fill the key-map area.
    Sf2Builder b;
    std::vector<ZoneDef> own, shared;
    for (int s = 0; s < 1025; ++s) {
        b.Sample({.name = "S" + std::to_string(s)});
        if (s < 1024) own.push_back({{SampleId(s)}});
    }
    for (int z = 0; z < 1706; ++z) shared.push_back({{SampleId(z % 3)}});
    b.Instrument({"Own", own}).Instrument({"Shared", shared});
    own.push_back({{SampleId(1024)}});
    shared.push_back({{SampleId(0)}});
    b.Instrument({"OwnMore", own}).Instrument({"SharedMore", shared});
    Load(b);
    const std::string full = Run(1);
    EXPECT_EQ(Be(full, kCounts + 4, 2), 1024);
    ExpectSameWave(ParseWave(full), Expected(1));
    EXPECT_EQ(ParseWave(Run(2)).entries.size(), 1706u);  // no filler left
    EXPECT_NE(Error(3).find("1025 samples"), std::string::npos);
    EXPECT_NE(Error(4).find("1707 zones"), std::string::npos);
}

TEST_F(Export, RefusesWhatTheFileCannotHoldBeforeWritingAnything) {
    Sf2Builder b = TwoSampleFile();
    b.Sample({.name = "InRom", .start = 0, .end = 10, .type = 0x8001})
        .Sample({.name = "Packed", .start = 0, .end = 10, .type = 0x0011})
        .Sample({.name = "Beyond", .start = 1500, .end = 1601})
        .Sample({.name = "LongLoop", .start = 0, .end = 10, .startLoop = 0, .endLoop = 1u << 24})
        .Sample({.name = "MaxLoop", .start = 0, .end = 10, .startLoop = 1, .endLoop = 1u << 24})
        .Instrument({"Nothing", {}});
    for (const int s : {2, 3, 4, 5}) b.Instrument({"Uses" + std::to_string(s), {{{SampleId(s)}}}});
    Load(b.Instrument({"Missing", {{{SampleId(0)}}, {{SampleId(7)}}}})
             .Instrument({"Fits", {{{SampleId(6)}}}}));
    EXPECT_EQ(Error(1), "Instrument has no samples");
    EXPECT_NE(Error(2).find("\"InRom\" of instrument \"Uses2\" lies in ROM"), std::string::npos);
    EXPECT_NE(Error(3).find("\"Packed\" of instrument \"Uses3\" has a damaged or incomplete Ogg"),
              std::string::npos);
    EXPECT_NE(Error(4).find("\"Beyond\" of instrument \"Uses4\" reaches past the sample data"),
              std::string::npos);
    const std::string missing = Error(6);  // zone 2 of "Missing"
    EXPECT_NE(missing.find("refers to sample 8, but this SoundFont has 7 samples"),
              std::string::npos);
    // Loops past the end are cut at the sample's last point.
    EXPECT_EQ(ParseWave(Run(5)).samples.at(0).second[3], 10);  // loop length
    EXPECT_EQ(ParseWave(Run(7)).samples.at(0).second[3], 9);
    EXPECT_EQ(Error(0), "There is no instrument 0 in this SoundFont.");
    EXPECT_EQ(Error(9), "There is no instrument 9 in this SoundFont.");
}

TEST_F(Export, FailuresNameTheFileAndLeaveNoPartialOutput) {
    Load(TwoSampleFile().Instrument({"Fl", {{{SampleId(0)}}}}));
    const auto failed = ExportError::Kind::Failed;
    const std::string sf2 = sf2_->path().string(),
                      nowhere = (sf2_->folder() / "no" / "x.s1m").string();
    EXPECT_EQ(Error(1, failed, sf2 + ".gone"),
              "Cannot open the SoundFont " + sf2 + ".gone: No such file or directory");
    EXPECT_EQ(Error(1, failed, sf2, nowhere),
              "Cannot write " + nowhere + ": No such file or directory");
    // A SoundFont cut short after loading: the copy fails.
    std::ofstream(sf2_->path(), std::ios::binary)
        << sf2Bytes_.substr(0, model_.SampleDataPos + 999);
    EXPECT_EQ(Error(1, failed),
              "Cannot read the SoundFont " + sf2 + ": the file ends before its sample data does");
}

// A sample longer than a copy block, over a longer file: the old bytes go.
TEST_F(Export, CopiesInBlocksOverALongerFileAndReportsProgressPerBlock) {
    const std::size_t points = kSampleCopyBlockBytes / 2 + 1000;
    Sf2Builder b;
    b.Sample({.name = "Long", .end = static_cast<std::uint32_t>(points)})
        .SamplePoints(Ramp(points));
    Load(b.Instrument({"Long", {{{SampleId(0)}}}}));
    std::ofstream(Out()) << std::string(1 << 20, 'x');
    std::vector<std::uint64_t> calls;
    const std::string file = Run(1, [&](std::uint64_t done, std::uint64_t total) {
        calls.insert(calls.end(), {done, total});
    });
    const std::uint64_t total = 2 * points;
    EXPECT_EQ(calls,
              (std::vector<std::uint64_t>{0, total, kSampleCopyBlockBytes, total, total, total}));
    ExpectSameWave(ParseWave(file), Expected());
}

// Compressed samples: written as their decoded points, once each, with loop
// points that count from the start of those points.
TEST_F(Export, CompressedSamplesAreWrittenDecodedWithTheirOwnLoopPoints) {
    const std::vector<float> sine = TestSignal(20000), chord = TestSignal(9001, 22050);
    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4})
        .CompressedSample({.name = "Sine", .startLoop = 1000, .endLoop = 19000},
                          EncodeVorbis(sine, 1))
        .CompressedSample({.name = "Chord", .startLoop = 300, .endLoop = 8000, .rate = 22050},
                          EncodeVorbis(chord, 1, 22050));
    Load(b.Instrument({"Ogg",
                       {{{KeyRange(0, 59), SampleId(0)}},
                        {{KeyRange(60, 90), SampleId(1)}},
                        {{KeyRange(91, 127), SampleId(0)}}}}));
    // As stored: the 22,050 Hz sample keeps its points.
    const WaveFields w = ParseWave(Run(1, {}, {.convertSamples = false}));
    ASSERT_EQ(w.samples.size(), 2u);
    EXPECT_EQ(w.entries[2][0], 0x4000);  // the third zone plays the first sample again
    // Loop position, flag, loop start, loop length, root key, start, points
    // after the loop, slot, size; the second sample's loop lies 20000 points on.
    EXPECT_EQ(w.samples[0].second,
              (std::vector<std::int64_t>{0xFC0000 | 500, 0x40, 1000, 18000, 60, 0, 1000, 0, 40000}));
    EXPECT_EQ(w.samples[1].second, (std::vector<std::int64_t>{0xFC0000 | 10150, 0x40, 300, 7700,
                                                               60, 0, 1001, 1, 18002}));
    std::vector<std::int16_t> points;
    for (std::size_t i = 0; i + 1 < w.data.size(); i += 2)
        points.push_back(static_cast<std::int16_t>(Be(w.data, i, 2)));
    ASSERT_EQ(points.size(), 29001u);
    EXPECT_GE(Correlation({points.begin(), points.begin() + 20000}, sine), 0.99);
    EXPECT_GE(Correlation({points.begin() + 20000, points.end()}, chord), 0.99);
}

// Before anything is written; a good sample played first changes nothing.
TEST_F(Export, CompressedSamplesThatDoNotDecodeRefuseTheInstrumentByName) {
    const std::string mono = EncodeVorbis(TestSignal(5000), 1);
    Sf2Builder b;
    b.CompressedSample({.name = "Good"}, mono)
        .CompressedSample({.name = "Stereo"}, EncodeVorbis(std::vector<float>(6000, 0.1f), 2))
        .CompressedSample({.name = "Cut"}, mono.substr(0, mono.size() - 1))
        .Sample({.name = "Past", .start = 100, .end = 1u << 20, .type = 0x11});
    for (const int s : {1, 2, 3})
        b.Instrument({"Uses" + std::to_string(s), {{{SampleId(0)}}, {{SampleId(s)}}}});
    Load(b);
    EXPECT_EQ(Error(1), "Sample \"Stereo\" of instrument \"Uses1\" has 2 channels; only "
                        "one-channel samples can be exported.");
    EXPECT_EQ(Error(2), "Sample \"Cut\" of instrument \"Uses2\" has a damaged or incomplete "
                        "Ogg Vorbis stream.");
    EXPECT_EQ(Error(3), "Sample \"Past\" of instrument \"Uses3\" reaches past the sample data: "
                        "its stream ends at byte 1048576 of " + std::to_string(model_.SmplSize) + ".");
}

// Real instruments against expectations computed from their records.
class RealExport : public Export, public ::testing::WithParamInterface<std::string> {};

TEST_P(RealExport, EveryInstrumentMatchesItsRecords) {
    const std::string path = std::string(ZELVO_SOUNDFONT_DIR) + "/" + GetParam();
    if (!fs::exists(path)) GTEST_SKIP() << path << " is not installed";
    sf2Bytes_ = ReadWholeFile(path);
    OpenSoundFont(model_, path, tree_);
    sf2_ = std::make_unique<TempFile>("");
    for (int i = 1; i <= model_.InstCount; ++i) {
        SCOPED_TRACE("instrument " + std::to_string(i) + " " + NodeTextOf(i));
        ExportInstrumentToWave(model_, i, path, Out(), {}, {.convertSamples = false});
        ExpectSameWave(ParseWave(ReadWholeFile(Out())), Expected(i));
        if (HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Debian, RealExport, ::testing::Values("TimGM6mb.sf2", "FluidR3_GS.sf2"));

}  // namespace
}  // namespace zelvo::testing
