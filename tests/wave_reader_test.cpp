// Exported waves read back by the product's reader: the values a small
// SoundFont's definition gives, worked out by hand; every cut and a garbled
// byte in each block refused at the right offset.
#include "export/wave_reader.h"

#include <gtest/gtest.h>

#include "export/write_stuff.h"
#include "load_helpers.h"

namespace zelvo::testing {
namespace {

// Oboe (500 points, loop 50..454) and Flute (1000 points, loop 100..900), both
// at 44.1 kHz. Instrument 1 plays Oboe in two zones and Flute in one after a
// global zone; instrument 2 has a global zone only.
std::string Woodwinds() {
    Sf2Builder b;
    b.Sample({.name = "Flute", .end = 1000, .startLoop = 100, .endLoop = 900});
    b.Sample({.name = "Oboe Long Name", .start = 1046, .end = 1546, .startLoop = 1096,
              .endLoop = 1500, .pitch = 72});
    b.SamplePoints(std::vector<std::int16_t>(1600, 7));
    b.Instrument({"Woodwinds",
                  {{{Gen(48, 100)}},
                   {{KeyRange(0, 59), VelRange(0, 127), Pan(-250), CoarseTune(12),
                     FineTune(-50), SampleModes(1), SampleId(1)}},
                   {{KeyRange(60, 127), VelRange(1, 100), Pan(500), SampleId(0)}},
                   {{KeyRange(60, 127), VelRange(101, 127), RootKey(50), SampleId(1)}}}});
    return b.Instrument({"Globals", {{{Gen(48, 10)}}}}).Build();
}

// Instrument n of a built SoundFont exported as stored: the file's bytes.
std::string Export(const std::string& sf2, int n) {
    const OpenedFile f(sf2);
    ExportInstrumentToWave(f.model, n, f.Path(), f.Out(), {}, {.convertSamples = false});
    return ReadWholeFile(f.Out());
}

using Entry = std::vector<int>;  // reference, keys, velocities, pan, coarse, fine, first
using Sample = std::pair<std::string, std::vector<std::int64_t>>;

Entry Fields(const WaveKeyMapEntry& e) {
    return {e.sampleReference, e.keyLo,    e.keyHi, e.velLo, e.velHi, e.pan,
            e.coarseTune,      e.fineTune, e.first};
}
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

TEST(WaveReader, ReadsTheKeyMapAndSampleHeadersTheSoundFontGives) {
    const WaveFileContents w = ParseWaveFile(Export(Woodwinds(), 1));
    EXPECT_EQ(w.fileSize, 69766u + 1000 + 2000);
    EXPECT_EQ(w.counts.keyMapLength, 12 + 3 * 18);
    EXPECT_EQ(w.keyMapHeader.name, "Woodwind");
    ASSERT_EQ(w.keyMapEntries.size(), 3u);
    // Pan -250 is 32, 500 is 127 (128 clamped); coarse 12 is 71; fine -50 is 32.
    EXPECT_EQ(Fields(w.keyMapEntries[0]), (Entry{0x4000, 0, 59, 0, 127, 32, 71, 32, 1}));
    EXPECT_EQ(Fields(w.keyMapEntries[1]), (Entry{0x4001, 60, 127, 1, 100, 127, 64, 64, 0}));
    EXPECT_EQ(Fields(w.keyMapEntries[2]), (Entry{0x4000, 60, 127, 101, 127, 64, 64, 64, 0}));
    EXPECT_EQ(WaveSampleNumber(w.keyMapEntries[1]), 2);
    ASSERT_EQ(w.samples.size(), 2u);
    // Oboe's loop starts 50 points in; Flute's 100 points after Oboe's 500.
    EXPECT_EQ(Fields(w.samples[0]),
              (Sample{"Oboe Lon", {0xFC0000 | 25, 0x00, 50, 404, 46, 72, 0, 1000, 69766}}));
    EXPECT_EQ(Fields(w.samples[1]),
              (Sample{std::string("Flute\0\0\0", 8),
                      {0xFC0000 | 300, 0x40, 100, 800, 100, 60, 1, 2000, 69766 + 1000}}));
    EXPECT_TRUE(WaveLooped(w.samples[0].header));
    EXPECT_FALSE(WaveLooped(w.samples[1].header));

    const WaveFileContents globals = ParseWaveFile(Export(Woodwinds(), 2));
    EXPECT_EQ(
        std::make_tuple(globals.fileSize, globals.keyMapEntries.size(), globals.samples.size()),
        std::make_tuple(69766u, 0u, 0u));
}

TEST(WaveReader, RefusesEveryTruncationAtItsEnd) {
    const std::string file = Export(Woodwinds(), 1);
    for (std::size_t size = 0; size < file.size(); ++size) {
        const auto [offset, message] = Refusal(std::string_view(file).substr(0, size));
        ASSERT_EQ(offset, size) << message;
        ASSERT_EQ(
            message.find("the file ends after " + std::to_string(size) + " bytes, inside the "), 0u)
            << message;
    }
    EXPECT_EQ(Refusal(file + '\0'),
              std::make_pair(std::uint64_t{72766}, std::string("1 bytes follow the sample data "
                                                               "that the size slots announce")));
}

TEST(WaveReader, RefusesAGarbledByteAtTheFirstInconsistency) {
    const std::string file = Export(Woodwinds(), 1);
    // offset, the byte written there, where the refusal points and what it says.
    const std::vector<std::tuple<std::size_t, char, std::size_t, std::string>> cases = {
        {0, 'R', 0, "it does not begin with \"SY1200SPA  V1.00\""},
        {127, 0, 127, "the file header does not end in 40"},
        {131, 30 + 17, 128, "the key-map length 47 is not 12 + 18 x entries"},
        {131, 30 + 18, 4238, "the key map has 3 entries, but its length"},
        {132, 4, 132, "the sample count 1026 is more than the 1024"},
        {133, 1, 4260,
         "key-map entry 2 refers to sample 4001 hex, not 4000 hex + a slot below the"
         " sample count 1"},
        {134 + 4 * 9, 0, 134 + 4 * 9, "key-map slot 9 is not empty"},
        {4239, 4, 4238, "the key map has 4 entries"},
        {4241, 1, 4241, "the key map header does not end in 00 00"},
        {4242 + 18, 0, 4242 + 18, "key-map entry 2 refers to sample 0001 hex"},
        {4242 + 18 + 5, '\x80', 4242 + 18 + 5, "the high key of key-map entry 2 is 128, above 127"},
        {4242 + 11, 0, 4242 + 11, "key-map entry 1 lacks the first entry's 40"},
        {4242 + 36 + 11, 0x40, 4242 + 36 + 11, "key-map entry 3 carries the first entry's 40"},
        {4242 + 54 + 100, 0, 4242 + 54 + 100, "the key-map area after the last entry"},
        {34950 + 10, 0x7C, 34950 + 10, "sample header 1 has the loop position 8126489, without"},
        {34950 + 12, 26, 34950 + 10,
         "sample header 1 has the loop position 16515098, but its loop"
         " start 50 after the 0 points of the samples before it gives"
         " 16515097"},
        {34980 + 12, 0x2D, 34980 + 10,
         "sample header 2 has the loop position 16515373, but its loop start 100 after the 500"
         " points"},
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
    std::string tiny = Export(b.Instrument({"Tiny", {{{SampleId(0)}}}}).Build(), 1);
    EXPECT_EQ(Fields(ParseWaveFile(tiny).samples.at(0)).second,
              (std::vector<std::int64_t>{0xFC0001, 0x40, 3, 0, 0, 60, 0, 6, 69766}));
    tiny.replace(34950 + 18, 3, std::string("\0\x03\xE8", 3));
    EXPECT_EQ(Refusal(tiny), std::make_pair(std::uint64_t{34950 + 18},
                                            std::string("sample header 1 has a loop of 1000 points "
                                                        "from point 3, ending at point 1003, "
                                                        "beyond the 3 points of its size slot")));

    std::string woodwinds = Export(Woodwinds(), 1);
    woodwinds.replace(34950 + 10, 7, std::string("\xFF\xFF\xFF\0\xFF\xFF\xFF", 7));
    EXPECT_EQ(Refusal(woodwinds),
              std::make_pair(std::uint64_t{34950 + 14},
                             std::string("sample header 1 has the loop start 16777215, beyond "
                                         "the 500 points of its size slot")));
}

TEST(WaveReader, RefusesForeignFiles) {
    EXPECT_EQ(Refusal(Woodwinds()).first, 0u);
    EXPECT_EQ(Refusal(std::string(80000, '\0')).first, 0u);
    EXPECT_EQ(Refusal("SY1200SPA  V2.00").first, 12u);
}

}  // namespace
}  // namespace zelvo::testing
