// Reading well-formed files: records, counts, INFO texts, tree nodes.
#include <gtest/gtest.h>

#include "load_helpers.h"
#include "sf2_builder.h"
#include "soundfont/errors.h"
#include "soundfont/reader.h"

namespace zelvo::testing {
namespace {

Sf2Builder TwoPresetFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .start = 0, .end = 100, .startLoop = 10, .endLoop = 90})
        .Sample({.name = "Piano C5", .start = 146, .end = 246, .correction = 0xFB, .link = 7, .type = 4})
        .Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{KeyRange(61, 127), SampleId(1)}, {{1, 2, 0xFFFF, 4, 5}}}}})
        .Instrument({"Empty", {}})
        .Preset({"Grand", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}})
        .Preset({"Grand Bright", 1, 0, {{{Gen(17, -100)}}, {{InstrumentId(1)}}}});
    b.SamplePoints(std::vector<std::int16_t>(300, 7));
    return b;
}

TEST(Reader, ReadsRecordsCountsAndDerivedFieldsKeepingRawValuesUnsigned) {
    const std::string file = TwoPresetFile().Build();
    const SoundFontModel m = LoadBytes(file).model;
    EXPECT_EQ(std::make_tuple(m.PresetCount, m.PresetZoneCount, m.InstCount, m.InstZoneCount, m.SampleCount),
              std::make_tuple(2, 3, 2, 2, 2));
    ASSERT_EQ(m.PresetHeaders.size(), 4u);  // slot 0, two presets, "EOP"
    EXPECT_EQ(m.PresetHeaders[3].achPresetName.substr(0, 3), "EOP");
    EXPECT_EQ(m.PresetHeaders[2].achPresetName, std::string("Grand Bright") + std::string(8, '\0'));
    EXPECT_EQ(m.PresetHeaders[2].wPreset, 1);
    EXPECT_EQ(m.PresetHeaders[2].zoneCount, 2);
    EXPECT_EQ(m.PresetHeaders[2].firstZoneNdx, 2);
    EXPECT_EQ(m.PresetBags[3].ownerNdx, 2);
    EXPECT_EQ(m.PresetBags[2].genCount, 1);
    EXPECT_EQ(m.PresetGens[3].genAmount, 65436);  // pan -100 held raw
    EXPECT_EQ(m.PresetGens[3].zoneNdx, 2);
    EXPECT_EQ(m.InstHeaders[2].zoneCount, 0);
    EXPECT_EQ(m.InstHeaders[2].firstZoneNdx, 3);
    EXPECT_EQ(m.InstMods[1].modAmount, 65535);
    EXPECT_EQ(m.InstMods[1].zoneNdx, 2);
    EXPECT_EQ(m.SampleHeaders[1].dwEndloop, 90u);
    EXPECT_EQ(m.SampleHeaders[2].dwStart, 146u);
    EXPECT_EQ(m.SampleHeaders[2].chPitchCorrection, 251);
    EXPECT_EQ(m.SampleHeaders[2].wSampleLink, 7);
    EXPECT_EQ(m.SampleHeaders[2].sfSampleType, 4);
    EXPECT_EQ(m.SmplSize, 600u);
    EXPECT_EQ(m.SampleDataPos, FindChunk(file, "smpl") + 8 + 1);  // 1-based
}

TEST(Reader, BuildsTheBrowseTreeWithKeysTextsAndImages) {
    const Loaded f = LoadBytes(TwoPresetFile().Build());
    std::vector<std::string> lines;
    f.tree.Walk([&](const MemoryTree::Node& n, int depth) {
        lines.push_back(std::to_string(depth) + " " + n.key + " " + n.text + " " + std::to_string(n.image));
    });
    const std::vector<std::string> expected = {
        "0 node1 test.sf2 6",     "1 nodeP Presets 20",        "2 nodeP1 Grand 20",
        "3 PGene1 Piano 21",      "2 nodeP2 Grand Bright 20",  "3 PGene2 global 21",
        "3 PGene3 Empty 21",      "1 nodeI Instruments 21",    "2 nodeI1 Piano 21",
        "3 IGene1 Piano C4 22",   "3 IGene2 Piano C5 22",      "2 nodeI2 Empty 21",
        "1 nodeS Samples 22",     "2 nodeS1 Piano C4 22",      "2 nodeS2 Piano C5 22",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(f.tree.Find("node1")->expanded);
    EXPECT_FALSE(f.tree.Find("nodeP")->expanded);
    EXPECT_EQ(f.tree.repaints(), 2);  // once per preset
}

TEST(Reader, ZoneNumbersRunOnOverPresetsWithEmptyOnes) {
    Sf2Builder b;
    b.Instrument({"I", {{{SampleId(0)}}}}).Sample({.name = "S", .end = 10});
    const ZoneSpec zone{{InstrumentId(0)}};
    b.Preset({"A", 0, 0, {zone, zone, zone}}).Preset({"B", 0, 0, {}}).Preset({"C", 0, 0, {zone, zone}});
    const Loaded f = LoadBytes(b.Build());
    const auto& h = f.model.PresetHeaders;
    EXPECT_EQ(std::make_tuple(h[1].zoneCount, h[2].zoneCount, h[3].zoneCount), std::make_tuple(3, 0, 2));
    EXPECT_EQ(h[2].firstZoneNdx, 4);
    EXPECT_EQ(h[3].firstZoneNdx, 4);
    EXPECT_EQ(f.model.PresetBags[4].ownerNdx, 3);
    EXPECT_EQ(f.tree.nodes()[f.tree.Find("PGene4")->parent].key, "nodeP3");
    EXPECT_EQ(f.tree.Find("PGene4")->parent, f.tree.Find("PGene5")->parent);
}

TEST(Reader, InfoTextsAreKeptWholeInAnyOrderAndOtherChunksSkipped) {
    Sf2Builder b;
    b.Info("INAM", std::string("Bank\0\0", 6)).Info("ISBJ", "odd").Info("ICOP", "Mine!")
        .Version(2, 4).Info("iver", std::string("\x02\x00\x0a\x00", 4));
    b.SamplePoints({1, 2, 3}).Sm24("abc").Sample({.name = "S", .end = 3});
    const SoundFontModel m = LoadBytes(b.Build()).model;
    EXPECT_EQ(m.InfoBankName, std::string("Bank\0\0", 6));
    EXPECT_EQ(m.InfoCopyright, "Mine!");
    EXPECT_EQ(m.InfoVersion, " 2.04");
    EXPECT_EQ(m.InfoRomVersion, " 2.1");
    EXPECT_EQ(m.InfoComments, "");
    EXPECT_EQ(m.SampleCount, 1);
    // The minor number is read as hundredths, carrying into the major one.
    EXPECT_EQ(VersionText(1, 100) + VersionText(65535, 65535), " 2 66190.35");
}

TEST(Reader, EveryLoadStartsFromAnEmptyModelAndWithoutEosTheLastSampleIsDropped) {
    Loaded f = LoadBytes(Sf2Builder().Info("ICOP", "Old").Sample({.name = "S", .end = 2})
                             .Instrument({"I", {{{KeyRange(10, 20), SampleId(0)}}}})
                             .Preset({"P", 0, 0, {}}).Build());
    std::istringstream in(Sf2Builder().Sample({.name = "One", .end = 2}).Sample({.name = "Two", .end = 4})
                              .WithoutEos().Build());
    ByteReader reader(in);
    LoadSoundFont(f.model, reader, f.tree);
    EXPECT_EQ(f.model.InfoCopyright, "");
    EXPECT_EQ(f.model.PresetCount, 0);
    EXPECT_EQ(f.model.InstZoneTable.size(), 1u);
    EXPECT_EQ(f.model.SampleCount, 1);
    EXPECT_EQ(f.model.FileName, "test.sf2");
    EXPECT_EQ(f.tree.nodes().size(), 5u);  // the file, three groups, one sample
    EXPECT_FALSE(f.tree.Find("node1")->expanded);
    EXPECT_EQ(f.tree.Find("nodeS2"), nullptr);
}

// Reads that straddle the reader's buffer end, skips past it and a refused
// skip beyond the data.
TEST(ByteReader, ReadsAcrossBufferRefillsAndSkips) {
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 251);
    std::istringstream in(data);
    ByteReader r(in);
    r.Skip(65535);
    EXPECT_EQ(r.ReadWord(), (65535 % 251) | ((65536 % 251) << 8));
    r.Skip(100000);
    EXPECT_EQ(r.Offset(), 165537u);
    EXPECT_EQ(r.ReadLong(), 0x83828180u);  // 165537 % 251 is 128
    EXPECT_EQ(r.ReadText(30000).size(), 30000u);
    EXPECT_THROW(r.Skip(r.Remaining() + 1), MalformedFileError);
    r.Skip(r.Remaining());
    EXPECT_TRUE(r.AtEnd());
}

}  // namespace
}  // namespace zelvo::testing
