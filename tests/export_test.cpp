// SPDX-License-Identifier: GPL-3.0-or-later
// Exports of SoundFonts built in memory, read back with the product's
// checked reader: as stored, every value is the one the reference export's
// rules give, worked out by hand here; every refusal comes before a byte.
// The reader refuses every cut and a garbled byte in each block at the right
// offset.
#include <gtest/gtest.h>

#include <memory>

#include "export/export_many.h"
#include "export/wave_reader.h"
#include "export/write_stuff.h"
#include "load_helpers.h"
#include "ogg_streams.h"
#include "wave_fields.h"

namespace zelvo::testing {
namespace {

const ExportOptions kAsStored{.convertSamples = false};

// Points that do not repeat within a copy block, so a block read twice shows.
std::vector<std::int16_t> Ramp(std::size_t count) {
    std::vector<std::int16_t> points(count);
    for (std::size_t i = 0; i < count; ++i) points[i] = static_cast<std::int16_t>(0x1234 + 3 * i + i / 65536);
    return points;
}

// Flute, 1000 points (loop 100..900), and Oboe, 500 points (loop 50..454) after the
// 46-point gap, both at 44.1 kHz.
Sf2Builder TwoSampleFile() {
    Sf2Builder b;
    b.Sample({.name = "Flute", .end = 1000, .startLoop = 100, .endLoop = 900});
    b.Sample({.name = "Oboe Long Name", .start = 1046, .end = 1546, .startLoop = 1096, .endLoop = 1500, .pitch = 72});
    return b.SamplePoints(Ramp(1600));
}

class Export : public ::testing::Test {
protected:
    void Load(const Sf2Builder& builder) { f_ = std::make_unique<OpenedFile>(builder.Build()); }
    std::string Run(int instrument = 1, const ExportOptions& options = kAsStored,
                    const ExportProgress& progress = {}) {
        ExportInstrumentToWave(f_->model, instrument, f_->Path(), f_->Out(), progress, options);
        return ReadWholeFile(f_->Out());
    }
    WaveFileContents Read(int instrument = 1) { return ParseWaveFile(Run(instrument)); }
    // Expects an export error that leaves an existing file and no other behind.
    std::string Error(int instrument, ExportError::Kind kind = ExportError::Kind::Refused,
                      std::string soundFont = "", std::string out = "") {
        std::ofstream(f_->Out()) << "old";
        try {
            ExportInstrumentToWave(f_->model, instrument, soundFont.empty() ? f_->Path() : soundFont,
                                   out.empty() ? f_->Out() : out);
        } catch (const ExportError& e) {
            EXPECT_EQ(e.kind(), kind) << e.what();
            EXPECT_EQ(ReadWholeFile(f_->Out()), "old");
            EXPECT_EQ(FileNames(f_->file.folder()).size(), 2u);
            return e.what();
        }
        ADD_FAILURE() << "instrument " << instrument << " was exported";
        return "";
    }

    std::unique_ptr<OpenedFile> f_;
};

TEST_F(Export, OneZoneOfAThousandPointsGivesTheWorkedExample) {
    Load(TwoSampleFile().Instrument({"Fl", {{{SampleId(0)}}}}));
    for (const ExportOptions& options : {kAsStored, ExportOptions{}}) {
        const std::string file = Run(1, options);
        ASSERT_EQ(file.size(), 69766u + 2000);
        EXPECT_EQ(file.substr(128, 6), std::string("\0\0\0\x1E\0\x01", 6));
        EXPECT_EQ(file.substr(4230, 30), std::string("Fl      \0\x01\0\0\x40\0\0\0\0\x7F\x01\x7F\x40\x40\x40\x40", 24) +
                                             std::string(6, '\0'));
        // Loop position FC 00 32, flag 40 (mode 0 does not loop), loop start 00 00 64, loop
        // length 00 03 20, root key 60, start 0, after the loop 00 00 64, slot 0; size 2000.
        EXPECT_EQ(file.substr(34950, 30), std::string("Flute\0\0\0\0\0\xFC\x00\x32\x40\0\0\x64\0"
                                                      "\0\x03\x20\x3C\0\0\0\0\0\x64\0\0",
                                                      30));
        EXPECT_EQ(file.substr(65670, 8), std::string("\0\0\x07\xD0\0\0\0\0", 8));
        // Point 0x1234, stored 34 12 in the SoundFont, is written 12 34.
        EXPECT_EQ(file.substr(69766, 4), "\x12\x34\x12\x37");
        EXPECT_EQ(file.substr(69766 + 1998), "\x1D\xE9");  // point 999: 0x1234 + 2997
    }
}

// Single bytes floored and clamped, the root key falling back to 60, loop
// modes 1 and 2 looping, odd loop starts rounded down in the loop position,
// samples of no points, and instruments without sample zones.
TEST_F(Export, AsStoredKeepsTheReferenceRules) {
    Sf2Builder b = TwoSampleFile();
    b.Sample({.name = "Noise", .start = 1546, .end = 1590, .pitch = 255});
    b.Sample({.name = "Empty", .start = 20, .end = 20});
    b.Sample({.name = "Backward", .start = 30, .end = 10, .startLoop = 5, .endLoop = 40});
    b.Sample({.name = "Odd", .end = 100, .startLoop = 41, .endLoop = 90});
    b.Instrument({"Extremes",
                  {{{KeyRange(0, 200), VelRange(0, 250), Pan(-600), CoarseTune(-120),
                     FineTune(99), RootKey(65535), SampleId(2)}},
                   {{Pan(500), CoarseTune(120), SampleModes(2), SampleId(1)}},
                   {{Pan(-1), CoarseTune(1), FineTune(-1), SampleModes(3), SampleId(1)}},
                   {{SampleModes(1), SampleId(5)}}}});
    Load(b.Instrument({"Globals", {{{Pan(100)}}}})
             .Instrument({"Empties", {{{SampleId(3)}}, {{SampleId(4)}}}}));
    const WaveFileContents w = Read();
    EXPECT_EQ(Entries(w), (std::vector<std::vector<int>>{{0x4000, 0, 127, 0, 127, 0, 0, 127},
                                                         {0x4001, 0, 127, 1, 127, 127, 127, 64},
                                                         {0x4001, 0, 127, 1, 127, 63, 64, 63},
                                                         {0x4002, 0, 127, 1, 127, 64, 64, 64}}));
    // A loop of 0..0 before the start gives an empty loop at the start; Oboe is
    // written from its first zone (mode 2: looping), the third zone's mode 3 reaches nothing.
    EXPECT_EQ(Headers(w), (std::vector<std::vector<std::int64_t>>{
                              {0x40, 0, 0, 44, 60, 44}, {0x00, 50, 404, 46, 72, 500}, {0x00, 41, 49, 10, 60, 100}}));
    EXPECT_EQ(w.samples[0].header.name, std::string("Noise\0\0\0", 8));
    EXPECT_EQ(w.samples[1].header.loopPosition, 0xFC0000 | (44 + 50) / 2);
    EXPECT_EQ(w.samples[2].header.loopPosition, 0xFC0000 | (44 + 500 + 41) / 2);

    EXPECT_EQ(Read(2).counts.keyMapLength, 12);
    EXPECT_TRUE(Read(2).samples.empty());
    const WaveFileContents empties = Read(3);
    ASSERT_EQ(empties.samples.size(), 2u);
    // A loop around a sample of no points shrinks to nothing.
    EXPECT_EQ(Headers(empties)[1], (std::vector<std::int64_t>{0x40, 0, 0, 0, 60, 0}));
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
    EXPECT_EQ(Read(1).samples.size(), 1024u);
    EXPECT_EQ(Read(2).keyMapEntries.size(), 1706u);  // no filler left
    EXPECT_NE(Error(3).find("1025 samples"), std::string::npos);
    EXPECT_NE(Error(4).find("1707 zones"), std::string::npos);
}

TEST_F(Export, RefusesWhatTheFileCannotHoldAndFailuresBeforeWritingAnything) {
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
    EXPECT_NE(Error(6).find("Zone 2 of instrument \"Missing\" refers to sample 8, but this SoundFont has 7 samples"),
              std::string::npos);
    // Loops past the end are cut at the sample's last point.
    EXPECT_EQ(Read(5).samples.at(0).header.loopLength, 10);
    EXPECT_EQ(Read(7).samples.at(0).header.loopLength, 9);
    EXPECT_EQ(Error(0) + "|" + Error(8), "There is no instrument 0 in this SoundFont; its instruments are numbered 1 "
                                         "to 7.|There is no instrument 8 in this SoundFont; its instruments are "
                                         "numbered 1 to 7.");
    // Files that fail name themselves: a SoundFont gone, a folder that is not
    // there, and a SoundFont cut short after loading.
    const auto failed = ExportError::Kind::Failed;
    const std::string sf2 = f_->Path(), nowhere = (f_->file.folder() / "no" / "x.s1m").string();
    EXPECT_EQ(Error(5, failed, sf2 + ".gone"), "Cannot open the SoundFont " + sf2 + ".gone: No such file or directory");
    EXPECT_EQ(Error(5, failed, sf2, nowhere), "Cannot write " + nowhere + ": No such file or directory");
    std::ofstream(sf2, std::ios::binary) << f_->bytes.substr(0, f_->model.SampleDataPos + 9);
    EXPECT_EQ(Error(5, failed), "Cannot read the SoundFont " + sf2 + ": the file ends before its sample data does");
}

// Compressed samples refused by name before a byte: lengths from the
// streams' last pages, known before a point is decoded (one too long for a
// 3-byte field, and a wave too large for the EX5/7's largest memory: zones
// that start one point apart play three wave samples of 12 million points),
// and streams that do not decode, after a good one that changes nothing.
TEST_F(Export, CompressedSamplesAreRefusedByName) {
    const std::string silence = EncodeVorbis(std::vector<float>(4096, 0.0f), 1);
    const std::string mono = EncodeVorbis(TestSignal(5000), 1);
    Sf2Builder b;
    b.CompressedSample({.name = "Endless"}, WithLength(silence, 1 << 24))
        .CompressedSample({.name = "Third"}, WithLength(silence, 12'000'000))
        .CompressedSample({.name = "Good"}, mono)
        .CompressedSample({.name = "Stereo"}, EncodeVorbis(std::vector<float>(6000, 0.1f), 2))
        .CompressedSample({.name = "Cut"}, mono.substr(0, mono.size() - 1))
        .Sample({.name = "Past", .start = 100, .end = 1u << 20, .type = 0x11});
    b.Instrument({"Endless", {{{SampleId(0)}}}})
        .Instrument({"Big", {{{SampleId(1)}}, {{Gen(0, 1), SampleId(1)}}, {{Gen(0, 2), SampleId(1)}}}});
    for (const int s : {3, 4, 5})
        b.Instrument({"Uses" + std::to_string(s), {{{SampleId(2)}}, {{SampleId(s)}}}});
    Load(b);
    EXPECT_EQ(Error(1), "Sample \"Endless\" of instrument \"Endless\" is too long for an EX5/7 wave: its "
                        "length after the loop (16777216) does not fit in 3 bytes.");
    EXPECT_EQ(PlanWaveFile(f_->model, 2, kAsStored).samples.size(), 1u);  // one sample as stored
    EXPECT_EQ(Error(2), "Sample \"Third\" of instrument \"Big\" makes the wave 72,069,760 bytes, "
                        "more than the largest EX5/7 wave memory (65 MB, 68,157,440 bytes).");
    EXPECT_EQ(Error(3), "Sample \"Stereo\" of instrument \"Uses3\" has 2 channels; only "
                        "one-channel samples can be exported.");
    EXPECT_EQ(Error(4), "Sample \"Cut\" of instrument \"Uses4\" has a damaged or incomplete "
                        "Ogg Vorbis stream.");
    EXPECT_EQ(Error(5), "Sample \"Past\" of instrument \"Uses5\" reaches past the sample data: "
                        "its stream ends at byte 1048576 of " + std::to_string(f_->model.SmplSize) + ".");
}

// A sample longer than a copy block, over a longer file: the old bytes go.
TEST_F(Export, CopiesInBlocksOverALongerFileAndReportsProgressPerBlock) {
    const std::size_t points = kSampleCopyBlockBytes / 2 + 1000;
    Sf2Builder b;
    b.Sample({.name = "Long", .end = static_cast<std::uint32_t>(points)}).SamplePoints(Ramp(points));
    Load(b.Instrument({"Long", {{{SampleId(0)}}}}));
    std::ofstream(f_->Out()) << std::string(1 << 20, 'x');
    std::vector<std::uint64_t> calls;
    const std::string file = Run(1, kAsStored, [&](std::uint64_t done, std::uint64_t total) {
        calls.insert(calls.end(), {done, total});
    });
    const std::uint64_t total = 2 * points;
    EXPECT_EQ(calls, (std::vector<std::uint64_t>{0, total, kSampleCopyBlockBytes, total, total, total}));
    EXPECT_EQ(PointsOf(file, ParseWaveFile(file).samples.at(0)), Ramp(points));
    // Asked to stop, the export reads no more and writes nothing.
    std::stop_source stop;
    stop.request_stop();
    try {
        ExportInstrumentToWave(f_->model, 1, f_->Path(), f_->Out(), {}, {.stop = stop.get_token()});
        ADD_FAILURE() << "not stopped";
    } catch (const ExportError& e) {
        EXPECT_EQ(e.kind(), ExportError::Kind::Cancelled);
    }
    EXPECT_EQ(ReadWholeFile(f_->Out()), file);
}

// Compressed samples: written as their decoded points, once each, with loop
// points that count from the start of those points.
// Sine at 44.1 kHz and Chord at 22,050 Hz, compressed; instrument 1 plays
// Sine twice and Chord, the others share them; the last two play Sine
// shifted by 700 points, start and loop, or cut 700 points short, which
// gives the same lengths and loop points from other points.
Sf2Builder OggBank(const std::vector<float>& sine, const std::vector<float>& chord) {
    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4})
        .CompressedSample({.name = "Sine", .startLoop = 1000, .endLoop = 19000}, EncodeVorbis(sine, 1))
        .CompressedSample({.name = "Chord", .startLoop = 300, .endLoop = 8000, .rate = 22050},
                          EncodeVorbis(chord, 1, 22050));
    b.Instrument({"Ogg", {{{KeyRange(0, 59), SampleId(0)}}, {{KeyRange(60, 90), SampleId(1)}},
                          {{KeyRange(91, 127), SampleId(0)}}}});
    return b.Instrument({"Chords", {{{SampleModes(1), SampleId(1)}}, {{SampleId(0)}}}})
        .Instrument({"Chord", {{{SampleModes(1), SampleId(1)}}}})
        .Instrument({"Sine later", {{{Gen(0, 700), Gen(2, 700), Gen(3, 700), SampleId(0)}}}})
        .Instrument({"Sine shorter", {{{Gen(1, -700), SampleId(0)}}}});
}

TEST_F(Export, CompressedSamplesAreWrittenDecodedWithTheirOwnLoopPoints) {
    const std::vector<float> sine = TestSignal(20000), chord = TestSignal(9001, 22050);
    Load(OggBank(sine, chord));
    // As stored: the 22,050 Hz sample keeps its points.
    const std::string file = Run();
    const WaveFileContents w = ParseWaveFile(file);
    ASSERT_EQ(w.samples.size(), 2u);
    EXPECT_EQ(w.keyMapEntries[2].sampleReference, 0x4000);  // the third zone plays the first sample again
    EXPECT_EQ(Headers(w), (std::vector<std::vector<std::int64_t>>{{0x40, 1000, 18000, 1000, 60, 20000},
                                                                 {0x40, 300, 7700, 1001, 60, 9001}}));
    EXPECT_EQ(w.samples[1].header.loopPosition, 0xFC0000 | 10150);  // 20000 points on
    EXPECT_GE(Correlation(PointsOf(file, w.samples[0]), sine), 0.99);
    EXPECT_GE(Correlation(PointsOf(file, w.samples[1]), chord), 0.99);
}

// An export of many instruments decodes and converts each shared sample
// once, on any number of threads and however little it may keep: each file
// is the one the instrument's own export writes, also where two play
// different points of one sample alike.
TEST_F(Export, ManyInstrumentsShareTheirSamplesAndWriteWhatEachAloneWrites) {
    Load(OggBank(TestSignal(20000), TestSignal(40000, 22050)));  // more points than one block converts
    for (const ExportOptions& options :
         {ExportOptions{.jobs = 1}, ExportOptions{.jobs = 4}, ExportOptions{.jobs = 3, .cacheBytes = 1}}) {
        const std::filesystem::path folder = f_->file.folder() / std::to_string(options.jobs);
        std::filesystem::create_directory(folder);
        const ExportManySummary all = ExportManyInstruments(f_->model, f_->Path(), folder.string(), {}, options);
        ASSERT_EQ(all.written.size(), 5u);
        for (int i = 1; i <= 5; ++i) EXPECT_EQ(ReadWholeFile(all.written[i - 1]), Run(i, {})) << options.jobs;
    }
}

// --- The reader: what the exports above hold, every cut and garbled byte refused ---

// Flute and Oboe as above; instrument 1 plays Oboe in two zones and Flute in
// one after a global zone.
std::string Woodwinds() {
    return TwoSampleFile()
        .Instrument({"Woodwinds", {{{Gen(48, 100)}},
                                   {{KeyRange(0, 59), VelRange(0, 127), Pan(-250), CoarseTune(12), FineTune(-50),
                                     SampleModes(1), SampleId(1)}},
                                   {{KeyRange(60, 127), VelRange(1, 100), Pan(500), SampleId(0)}},
                                   {{KeyRange(60, 127), VelRange(101, 127), RootKey(50), SampleId(1)}}}})
        .Build();
}

// Instrument n of a built SoundFont exported as stored: the file's bytes.
std::string ExportAsStored(const std::string& sf2, int n) {
    const OpenedFile f(sf2);
    ExportInstrumentToWave(f.model, n, f.Path(), f.Out(), {}, kAsStored);
    return ReadWholeFile(f.Out());
}

using Sample = std::pair<std::string, std::vector<std::int64_t>>;

// Name; loop position, flag, start, length, after; root key, slot, size, data offset.
Sample Fields(const WaveSample& s) {
    const WaveSampleHeader& h = s.header;
    return {h.name,
            {h.loopPosition, h.loopFlag, h.loopStartOffset, h.loopLength, h.lengthAfterLoop,
             h.rootKey, h.slot, s.size, static_cast<std::int64_t>(s.dataOffset)}};
}

// offset and message of the refusal of bytes.
std::pair<std::uint64_t, std::string> Refusal(std::string_view bytes) {
    try {
        ParseWaveFile(bytes);
    } catch (const WaveFileError& e) {
        return {e.offset(), e.what()};
    }
    return {0, "accepted"};
}

// Every cut, a byte too many, files that are no wave, and a garbled byte in
// each block, each at the first inconsistency.
TEST(WaveReader, RefusesEveryTruncationForeignFilesAndGarbledBytes) {
    const std::string file = ExportAsStored(Woodwinds(), 1);
    for (std::size_t size = 0; size < file.size(); ++size) {
        const auto [offset, message] = Refusal(std::string_view(file).substr(0, size));
        ASSERT_EQ(offset, size) << message;
        ASSERT_TRUE(message.starts_with("the file ends after " + std::to_string(size) + " bytes, inside the "))
            << message;
    }
    const std::string after = "1 bytes follow the sample data that the size slots announce";
    EXPECT_EQ(Refusal(file + '\0'), std::make_pair(std::uint64_t{72766}, after));
    EXPECT_EQ(Refusal(Woodwinds()).first, 0u);
    EXPECT_EQ(Refusal(std::string(80000, '\0')).first, 0u);
    EXPECT_EQ(Refusal("SY1200SPA  V2.00").first, 12u);

    // offset, the byte written there, where the refusal points and what it says.
    const std::vector<std::tuple<std::size_t, char, std::size_t, std::string>> cases = {
        {0, 'R', 0, "it does not begin with \"SY1200SPA  V1.00\""},
        {127, 0, 127, "the file header does not end in 40"},
        {131, 30 + 17, 128, "the key-map length 47 is not 12 + 18 x entries"},
        {131, 30 + 18, 4238, "the key map has 3 entries, but its length"},
        {132, 4, 132, "the sample count 1026 is more than the 1024"},
        {133, 1, 4260, "key-map entry 2 refers to sample 4001 hex, not 4000 hex + a slot below the sample count 1"},
        {134 + 4 * 9, 0, 134 + 4 * 9, "key-map slot 9 is not empty"},
        {4239, 4, 4238, "the key map has 4 entries"},
        {4241, 1, 4241, "the key map header does not end in 00 00"},
        {4242 + 18, 0, 4242 + 18, "key-map entry 2 refers to sample 0001 hex"},
        {4242 + 18 + 5, '\x80', 4242 + 18 + 5, "the high key of key-map entry 2 is 128, above 127"},
        {4242 + 11, 0, 4242 + 11, "key-map entry 1 lacks the first entry's 40"},
        {4242 + 36 + 11, 0x40, 4242 + 36 + 11, "key-map entry 3 carries the first entry's 40"},
        {4242 + 54 + 100, 0, 4242 + 54 + 100, "the key-map area after the last entry"},
        {34950 + 10, 0x7C, 34950 + 10, "sample header 1 has the loop position 8126489, without"},
        {34950 + 12, 26, 34950 + 10, "sample header 1 has the loop position 16515098, but its loop start 50 after "
                                     "the 0 points of the samples before it gives 16515097"},
        {34980 + 12, 0x2D, 34980 + 10, "sample header 2 has the loop position 16515373, but its loop start 100 "
                                       "after the 500 points"},
        {34950 + 13, 1, 34950 + 13, "sample header 1 has the loop flag 01 hex"},
        {34980 + 21, '\xC8', 34980 + 21, "the root key of sample header 2 is 200"},
        {34980 + 23, 1, 34980 + 23, "sample header 2 has no 00 as its start offset"},
        {34980 + 29, 0, 34980 + 28, "sample header 2 gives its slot as 0, not 1"},
        {34950 + 27, 47, 65670, "the size of sample 1 (1000 bytes) is not the 501 points that"},
        {34950 + 30 * 5 + 29, 0, 34950 + 30 * 5 + 29, "sample header slot 6 is beyond"},
        {65670 + 3, '\xE9', 65670, "the size of sample 1 (1001 bytes) is not a whole number"},
        {65670 + 7, '\xDA', 65670 + 4, "the size of sample 2 (2010 bytes) is not the 1000 points"},
        {65670 + 4 * 1023, 1, 65670 + 4 * 1023, "size slot 1024 is beyond the sample count"},
    };
    for (const auto& [at, byte, offset, message] : cases) {
        std::string garbled = file;
        garbled[at] = byte;
        const auto [refusedAt, refusal] = Refusal(garbled);
        EXPECT_EQ(refusedAt, offset) << "byte " << at << ": " << refusal;
        EXPECT_TRUE(refusal.starts_with(message)) << "byte " << at << ": " << refusal;
    }
}

// Zelvo clamps every loop into its sample, at worst to no points at its very
// end; a loop start of 16777215 with the loop position it gives, or a loop
// of 1000 points in a 3-point sample, is refused at its field.
TEST(WaveReader, RefusesALoopOutsideItsSample) {
    Sf2Builder b;
    b.Sample({.name = "Tiny", .end = 3, .startLoop = 3, .endLoop = 9}).SamplePoints({1, 2, 3});
    std::string tiny = ExportAsStored(b.Instrument({"Tiny", {{{SampleId(0)}}}}).Build(), 1);
    EXPECT_EQ(Fields(ParseWaveFile(tiny).samples.at(0)).second,
              (std::vector<std::int64_t>{0xFC0001, 0x40, 3, 0, 0, 60, 0, 6, 69766}));
    tiny.replace(34950 + 18, 3, std::string("\0\x03\xE8", 3));
    EXPECT_EQ(Refusal(tiny), std::make_pair(std::uint64_t{34950 + 18},
                                            std::string("sample header 1 has a loop of 1000 points from point 3, "
                                                        "ending at point 1003, beyond the 3 points of its size slot")));

    std::string woodwinds = ExportAsStored(Woodwinds(), 1);
    woodwinds.replace(34950 + 10, 7, std::string("\xFF\xFF\xFF\0\xFF\xFF\xFF", 7));
    EXPECT_EQ(Refusal(woodwinds), std::make_pair(std::uint64_t{34950 + 14},
                                                 std::string("sample header 1 has the loop start 16777215, "
                                                             "beyond the 500 points of its size slot")));
}

}  // namespace
}  // namespace zelvo::testing
