// SPDX-License-Identifier: GPL-3.0-or-later
// The detail list of a tree node, built without widgets, and its value texts.
#include "browser/node_details.h"

#include <gtest/gtest.h>

#include "browser/gen_value_text.h"
#include "browser/text_encoding.h"
#include "soundfont/zone_tables.h"
#include "load_helpers.h"

namespace zelvo::testing {
namespace {

using Table = std::vector<std::vector<std::string>>;

// The titles, then each row's cells.
Table Shown(std::string_view key, const SoundFontModel& model) {
    const NodeDetails d = BuildNodeDetails(key, model);
    Table shown(1);
    for (const DetailColumn& c : d.columns) shown[0].push_back(c.title);
    for (const DetailRow& r : d.rows) shown.push_back(r.cells);
    return shown;
}

const std::vector<std::string> kPresetTitles{"Bank", "Preset", "PBAG"};
const std::vector<std::string> kGenTitles{"Gen Nr", "Generator", "Amount"};
const std::vector<std::string> kSampleTitles{"Type",     "Size",    "Start loop",
                                             "End loop", "Rate Hz", " Root Key"};

// Presets whose names begin alike, zones with a few generators, samples of
// every kind the sample view tells apart.
Sf2Builder BrowsingFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .start = 1000, .end = 5000, .startLoop = 1200, .endLoop = 4800})
        .Sample({.name = "Empty", .start = 300, .end = 300})
        .Sample({.name = "Backwards", .start = 500, .end = 400, .type = 2})
        .Sample({.name = "Caf\xE9", .end = 10, .rate = 22050, .pitch = 200, .type = 0x8003})
        .Sample({.name = "Odd", .end = 10, .type = 0x8000});
    b.Instrument({"Strings", {}}).Instrument({"Organ", {{{SampleId(1)}}}});
    b.Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{Pan(-250), Gen(99, 7), SampleId(3)}}}});
    b.Preset({"Piano Bright", 3, 128, {{{KeyRange(36, 96), InstrumentId(2)}}, {}}});
    b.Preset({"Piano", 7, 0, {{{InstrumentId(9)}}}}).Preset({"Piano", 8, 1, {}});
    return b.SamplePoints(std::vector<std::int16_t>(5100, 0));
}

// Presets by the number in their key; generators by name with their values,
// wherever the bags say the zones' records are; samples with points.
TEST(NodeDetails, PresetsGeneratorsAndSamplesShowTheirRecords) {
    std::string file = BrowsingFile().Build();
    const Loaded f = LoadBytes(file);
    EXPECT_EQ(Shown("nodeP1", f.model), (Table{kPresetTitles, {"128", "3", "0"}}));
    // Not the earlier "Piano Bright" nor the first of the two "Piano"s.
    EXPECT_EQ(Shown("nodeP3", f.model), (Table{kPresetTitles, {"1", "8", "3"}}));
    for (const char* key : {"nodeP", "nodeP0", "nodeP4", "nodeP99999999999"})
        EXPECT_EQ(Shown(key, f.model), Table{kPresetTitles}) << key;
    for (const char* key : {"node1", "nodeI", "nodeI3", "Pgene1", ""})
        EXPECT_EQ(Shown(key, f.model), Table(1)) << key;
    EXPECT_TRUE(BuildNodeDetails(std::nullopt, f.model).columns.empty());

    // Every preset zone's first generator index moved on by 5; the records stay.
    const std::size_t pbag = FindChunk(file, "pbag") + 8;
    for (std::size_t at = pbag; at < pbag + 16; at += 4)
        PutLe(file, at, static_cast<unsigned char>(file[at]) + 5, 2);
    const Loaded moved = LoadBytes(file);
    for (const Loaded* g : {&f, &moved}) {
        EXPECT_EQ(Shown("PGene1", g->model),
                  (Table{kGenTitles, {"1", "KeyRange", "C1 - C6 / 36 - 96"}, {"2", "instrument", "Piano"}}));
        EXPECT_EQ(Shown("PGene2", g->model), Table{kGenTitles});
        // A reference the file lacks leaves the value empty.
        EXPECT_EQ(Shown("PGene3", g->model), (Table{kGenTitles, {"1", "instrument", ""}}));
    }
    // A generator above 60 has no name. Instrument zones count on from the zones before them.
    EXPECT_EQ(Shown("IGene3", f.model),
              (Table{kGenTitles, {"1", "pan", "-250"}, {"2", "", "7"}, {"3", "SampleID", "Caf\xE9"}}));
    for (const char* key : {"IGene4", "PGene0"}) EXPECT_EQ(Shown(key, f.model), Table{kGenTitles}) << key;

    EXPECT_EQ(Shown("nodeS1", f.model),
              (Table{kSampleTitles, {"mono", "4000", "1200", "4800", "44100", "60"}}));
    EXPECT_EQ(Shown("nodeS4", f.model), (Table{kSampleTitles, {"ROM", "10", "0", "0", "22050", "200"}}));
    EXPECT_EQ(Shown("nodeS5", f.model)[1][0], "");  // a type without a word
    // No points, an end before the start, no number: the columns alone.
    for (const char* key : {"nodeS2", "nodeS3", "nodeS", "nodeS6"})
        EXPECT_EQ(Shown(key, f.model), Table{kSampleTitles}) << key;
    EXPECT_EQ(SampleTypeWord(0x8008) + "|" + SampleTypeWord(0x8009), "ROM|");
}

// Value texts: note names at octave turns, the signed 16-bit edge, the
// looping-mode words, unsigned coarse tune, named and missing records.
TEST(GenValueText, BoundariesAndOddCases) {
    Sf2Builder b;
    b.Instrument({"Strings", {}}).Instrument({"Brass", {}}).Sample({.name = "Violin", .end = 2});
    const SoundFontModel m = LoadBytes(b.Build()).model;
    // clang-format off
    const std::tuple<int, int, std::string> cases[] = {
        {43, 3083, "B-2 - C-1 / 11 - 12"}, {43, 32513, "C#-2 - G8 / 1 - 127"},
        {43, 65535, "D#19 - D#19 / 255 - 255"}, {44, 32513, "1 - 127"}, {17, 32767, "32767"},
        {17, 32768, "-32768"}, {52, 65535, "-1"}, {51, 65524, "65524"}, {54, 2, "FwdLp"},
        {54, 3, "FwdLpEx"}, {54, 4, "FwdNoLp"}, {58, 59, "B2 / 59"}, {58, 60, "C3 / 60"},
        {58, 65535, "D#5459 / 65535"}, {61, 7, "7"}, {41, 1, std::string("Brass") + std::string(15, '\0')},
        {53, 0, std::string("Violin") + std::string(14, '\0')}};
    // clang-format on
    // References are resolved by the load, so each case goes through it.
    const auto text = [&](int gen, int amount) {
        SoundFontModel copy = m;
        copy.InstGens.assign(1, {static_cast<std::uint16_t>(gen), static_cast<std::uint16_t>(amount)});
        ResolveReferences(copy);
        return GenValueText(copy, copy.InstGens[0]);
    };
    for (const auto& [gen, amount, expected] : cases) EXPECT_EQ(text(gen, amount), expected) << gen;
    // The terminal records are no instrument or sample of the file.
    EXPECT_FALSE(text(41, 2) || text(53, 1) || text(53, 65535));
}

// Texts that are valid UTF-8 stay as they are; anything else is Latin-1.
TEST(TextEncoding, Utf8WhenValidOtherwiseLatin1) {
    EXPECT_EQ(SoundFontTextToUtf8("\xC2\xA9 2020 MuseScore"), "\xC2\xA9 2020 MuseScore");
    EXPECT_EQ(SoundFontTextToUtf8("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(SoundFontTextToUtf8("\xF0\x9F\x8E\xB9"), "\xF0\x9F\x8E\xB9");  // a 4-byte character
    // A cut sequence, overlong "©" and "/", a surrogate and a code point past U+10FFFF.
    const std::pair<std::string, std::string> bad[] = {
        {"ab\xC3", "ab\xC3\x83"}, {"\xC0\xA9", "\xC3\x80\xC2\xA9"}, {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"}};
    for (const auto& [text, latin1] : bad) {
        EXPECT_FALSE(IsValidUtf8(text)) << text;
        EXPECT_EQ(SoundFontTextToUtf8(text), latin1);
    }
    EXPECT_EQ(EscapedText("\xC0\xA9\xC0\x80"), "\xC3\x80\xC2\xA9\xC3\x80\\x80");  // "À©À\x80"
}

}  // namespace
}  // namespace zelvo::testing
