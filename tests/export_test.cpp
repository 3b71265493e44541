// Exports of SoundFonts built in memory and of real ones, read back by the
// offsets of the wave file format.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "export/write_stuff.h"
#include "sf2_builder.h"
#include "soundfont/tree_keys.h"
#include "wave_file_view.h"

namespace zelvo::testing {
namespace {

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
    SampleSpec oboe{.name = "Oboe Long Name", .start = 1046, .end = 1546, .startLoop = 1096};
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
    std::string Run(int instrument = 1, const ExportProgress& progress = {}) {
        ExportInstrumentToWave(model_, instrument, NodeTextOf(instrument), sf2_->path().string(),
                               Out(), progress);
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
            ExportInstrumentToWave(model_, instrument, NodeTextOf(instrument),
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
    const std::string second = sf2Bytes_.substr(model_.SampleDataPos - 1 + 2 * 1046, 2);
    EXPECT_EQ(file.substr(71766, 2), (std::string{second[1], second[0]}));
    ExpectSameWave(w, Expected());
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

TEST_F(Export, InstrumentWithoutSampleZonesOrWithEmptySamplesStillGivesTheFrontPart) {
    Sf2Builder b = TwoSampleFile();
    b.Sample({.name = "Empty", .start = 20, .end = 20})
        .Instrument({"Globals", {{{Gen(kPan, 100)}}}});
    b.Sample({.name = "Backward", .start = 30, .end = 10, .startLoop = 5, .endLoop = 40});
    Load(b.Instrument({"Empties", {{{SampleId(2)}}, {{SampleId(3)}}}}));
    const std::string globals = Run(1);
    EXPECT_EQ(globals.size(), 69766u);
    EXPECT_EQ(Be(globals, kCounts, 4), 12);
    EXPECT_TRUE(ParseWave(globals).samples.empty());
    const WaveFields empties = ParseWave(Run(2));
    ASSERT_EQ(empties.samples.size(), 2u);
    // Nothing below zero: the loop starts before the start and ends after the end.
    EXPECT_EQ(empties.samples[1], (SampleFields{"Backward", {0, 0x40, 0, 35, 60, 0, 0, 1, 0}}));
    ExpectSameWave(empties, Expected(2));
}

TEST_F(Export, SingleByteFieldsAreClampedFlooredAndTheRootKeyFallsBackTo60) {
    Load(TwoSampleFile()
             .Sample({.name = "Noise", .start = 1546, .end = 1590, .pitch = 255})
             .Instrument(
                 {"Extremes",
                  {{{KeyRange(0, 200), VelRange(0, 250), Gen(kPan, -600), Gen(kCoarseTune, -120),
                     Gen(kFineTune, 99), Gen(kRootKey, 65535), SampleId(2)}},
                   {{Gen(kPan, 500), Gen(kCoarseTune, 120), Gen(kSampleModes, 2), SampleId(1)}},
                   {{Gen(kPan, -1), Gen(kCoarseTune, 1), Gen(kFineTune, -1), SampleId(1)}}}}));
    const WaveFields w = ParseWave(Run());
    EXPECT_EQ(w.entries[0], (EntryFields{0x4000, 0, 127, 0, 127, 0, 0, 127, 0x40}));
    EXPECT_EQ(w.entries[1], (EntryFields{0x4001, 0, 127, 1, 127, 127, 127, 64, 0}));
    EXPECT_EQ(w.entries[2], (EntryFields{0x4001, 0, 127, 1, 127, 63, 64, 63, 0}));
    EXPECT_EQ(w.samples[0].second[4], 60);  // root key
    EXPECT_EQ(w.samples[1],
              (SampleFields{"Oboe Lon", {0xFC0000 | 47, 0x00, 50, 404, 72, 0, 46, 1, 1000}}));
    ExpectSameWave(w, Expected());
}

TEST_F(Export, LimitsAreExactAndInstrumentsOfManyZonesExport) {
    // 1024 empty samples fill the sample slots; 1706 zones fill the key-map area.
    Sf2Builder b;
    std::vector<ZoneSpec> own, shared;
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
    EXPECT_EQ(Be(full, kSampleHeaders + 30 * 1023 + 28, 2), 1023);
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
    EXPECT_EQ(Error(2),
              "Sample \"InRom\" of instrument \"Uses2\" lies in ROM, not in this file, so it "
              "cannot be exported.");
    EXPECT_NE(Error(3).find("\"Packed\" of instrument \"Uses3\" is compressed"), std::string::npos);
    EXPECT_NE(Error(4).find("\"Beyond\" of instrument \"Uses4\" reaches past the sample data"),
              std::string::npos);
    EXPECT_NE(Error(5).find("loop length (16777216)"), std::string::npos);
    EXPECT_EQ(
        Error(6),
        "Zone 2 of instrument \"Missing\" refers to sample 8, but this SoundFont has 7 samples.");
    EXPECT_EQ(ParseWave(Run(7)).samples.at(0).second[3], 0xFFFFFF);  // loop length
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
        ExportInstrumentToWave(model_, i, NodeTextOf(i), path, Out());
        ExpectSameWave(ParseWave(ReadWholeFile(Out())), Expected(i));
        if (HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Debian, RealExport, ::testing::Values("TimGM6mb.sf2", "FluidR3_GS.sf2"));

}  // namespace
}  // namespace zelvo::testing
