// Reading well-formed files: records, counts, INFO texts, tree nodes.
#include <gtest/gtest.h>

#include "load_helpers.h"
#include "sf2_builder.h"
#include "soundfont/reader.h"

namespace zelvo::testing {
namespace {

Sf2Builder TwoPresetFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .start = 0, .end = 100, .startLoop = 10, .endLoop = 90})
        .Sample({.name = "Piano C5", .start = 146, .end = 246})
        .Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{KeyRange(61, 127), SampleId(1)}}}})
        .Instrument({"Empty", {}})
        .Preset({"Grand", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}})
        .Preset({"Grand Bright", 1, 0, {{{Gen(17, -100)}}, {{InstrumentId(1)}}}});
    b.SamplePoints(std::vector<std::int16_t>(300, 7));
    return b;
}

TEST(Reader, ReadsRecordsCountsAndDerivedFields) {
    const Loaded f = LoadBytes(TwoPresetFile().Build());
    const SoundFontModel& m = f.model;
    EXPECT_EQ(m.PresetCount, 2);
    EXPECT_EQ(m.PresetZoneCount, 3);
    EXPECT_EQ(m.InstCount, 2);
    EXPECT_EQ(m.InstZoneCount, 2);
    EXPECT_EQ(m.SampleCount, 2);
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
    EXPECT_EQ(m.SampleHeaders[1].dwEndloop, 90u);
    EXPECT_EQ(m.SampleHeaders[2].dwStart, 146u);
    EXPECT_EQ(m.SmplSize, 600u);
}

TEST(Reader, SampleDataPositionIsOneBasedAndItsDataIsSkipped) {
    const std::string file = TwoPresetFile().Build();
    const Loaded f = LoadBytes(file);
    EXPECT_EQ(f.model.SampleDataPos, FindChunk(file, "smpl") + 8 + 1);
}

TEST(Reader, BuildsTheBrowseTreeWithKeysTextsAndImages) {
    const Loaded f = LoadBytes(TwoPresetFile().Build());
    std::vector<std::string> lines;
    f.tree.Walk([&](const MemoryTree::Node& n, int depth) {
        lines.push_back(std::to_string(depth) + " " + n.key + " " + n.text + " " +
                        std::to_string(n.image));
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

TEST(Reader, FileWithoutPresetsStillHasGroupNodes) {
    const Loaded f = LoadBytes(Sf2Builder().Build());
    EXPECT_EQ(f.model.PresetCount, 0);
    EXPECT_EQ(f.model.PresetZoneCount, 0);
    EXPECT_EQ(f.tree.nodes().size(), 4u);
    EXPECT_TRUE(f.tree.Find("nodeP")->children.empty());
    EXPECT_FALSE(f.tree.Find("node1")->expanded);
    EXPECT_EQ(CountText(f.model), " 0 presets,  0 instruments,  0 samples");
}

TEST(Reader, ZoneNumbersRunOnOverPresetsWithEmptyOnes) {
    Sf2Builder b;
    b.Instrument({"I", {{{SampleId(0)}}}}).Sample({.name = "S", .end = 10});
    const ZoneSpec zone{{InstrumentId(0)}};
    b.Preset({"A", 0, 0, {zone, zone, zone}}).Preset({"B", 0, 0, {}}).Preset({"C", 0, 0, {zone, zone}});
    const Loaded f = LoadBytes(b.Build());
    const auto& h = f.model.PresetHeaders;
    EXPECT_EQ(h[1].zoneCount, 3);
    EXPECT_EQ(h[2].zoneCount, 0);
    EXPECT_EQ(h[3].zoneCount, 2);
    EXPECT_EQ(h[2].firstZoneNdx, 4);
    EXPECT_EQ(h[3].firstZoneNdx, 4);
    EXPECT_EQ(f.model.PresetBags[4].ownerNdx, 3);
    EXPECT_EQ(f.tree.Find("PGene4")->parent, f.tree.Find("PGene5")->parent);
    EXPECT_EQ(f.tree.nodes()[f.tree.Find("PGene4")->parent].key, "nodeP3");
}

TEST(Reader, RawValuesAreKeptUnsigned) {
    Sf2Builder b;
    b.Sample({.name = "S", .end = 10, .correction = 0xFB, .link = 7, .type = 4});
    b.Instrument({"I", {{{Gen(51, -1), SampleId(0)}, {{1, 2, 0xFFFF, 4, 5}}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(f.model.SampleHeaders[1].chPitchCorrection, 251);
    EXPECT_EQ(f.model.SampleHeaders[1].wSampleLink, 7);
    EXPECT_EQ(f.model.SampleHeaders[1].sfSampleType, 4);
    EXPECT_EQ(f.model.InstGens[1].genAmount, 65535);
    EXPECT_EQ(f.model.InstMods[1].modAmount, 65535);
    EXPECT_EQ(f.model.InstMods[1].zoneNdx, 1);
}

TEST(Reader, InfoTextsAreKeptWholeInAnyOrder) {
    Sf2Builder b;
    b.Info("INAM", std::string("Bank\0\0", 6)).Version(2, 4).Info("ICMT", "Hi\0\0").Info("iver", std::string("\x02\x00\x0a\x00", 4));
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(f.model.InfoBankName, std::string("Bank\0\0", 6));
    EXPECT_EQ(f.model.InfoVersion, " 2.04");
    EXPECT_EQ(f.model.InfoRomVersion, " 2.1");
    EXPECT_EQ(f.model.InfoCopyright, "");
}

TEST(Reader, UnknownAndOddSizedInfoChunksAreSkipped) {
    Sf2Builder b;
    b.Info("ISBJ", "odd").Info("ICOP", "Mine!").Info("INAM", "Bank");
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(f.model.InfoCopyright, "Mine!");
    EXPECT_EQ(f.model.InfoBankName, "Bank");
}

TEST(Reader, Sm24AfterSampleDataIsSkipped) {
    Sf2Builder b;
    b.SamplePoints({1, 2, 3}).Sm24("abc").Sample({.name = "S", .end = 3});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(f.model.SampleCount, 1);
}

TEST(Reader, VersionTexts) {
    EXPECT_EQ(VersionText(2, 1), " 2.01");
    EXPECT_EQ(VersionText(2, 10), " 2.1");
    EXPECT_EQ(VersionText(2, 0), " 2");
    EXPECT_EQ(VersionText(1, 100), " 2");
    EXPECT_EQ(VersionText(65535, 65535), " 66190.35");
}

TEST(Reader, TerminalNamesEndTheirListsAndTheLastSampleWithoutEosIsDropped) {
    Sf2Builder b;
    b.Sample({.name = "One", .end = 2}).Sample({.name = "Two", .end = 4}).WithoutEos();
    Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(f.model.SampleCount, 1);
    EXPECT_EQ(f.tree.Find("nodeS2"), nullptr);

    Sf2Builder c;
    c.Sample({.name = "One", .end = 2}).Trailer(std::string(46, 'x'));
    f = LoadBytes(c.Build());
    EXPECT_EQ(f.model.SampleCount, 1);
}

TEST(Reader, EveryLoadStartsFromAnEmptyModel) {
    Loaded f = LoadBytes(Sf2Builder().Info("ICOP", "Old").Sample({.name = "S", .end = 2})
                             .Instrument({"I", {{{KeyRange(10, 20), SampleId(0)}}}})
                             .Build());
    std::istringstream in(Sf2Builder().Build());
    ByteReader reader(in);
    LoadSoundFont(f.model, reader, f.tree);
    EXPECT_EQ(f.model.InfoCopyright, "");
    EXPECT_EQ(f.model.InstZoneTable.size(), 1u);
    EXPECT_EQ(f.tree.Find("nodeS1"), nullptr);
    EXPECT_EQ(f.model.FileName, "test.sf2");
}

TEST(Reader, ChosenPathSplitsIntoFolderAndName) {
    SoundFontModel m;
    SplitChosenPath(m, "/home/me/Banks/Piano.sf2");
    EXPECT_EQ(m.FileName, "Piano.sf2");
    EXPECT_EQ(m.FileFolder, "/home/me/Banks/");
    SplitChosenPath(m, "Piano.sf2");
    EXPECT_EQ(m.FileName, "Piano.sf2");
    EXPECT_EQ(m.FileFolder, "");
}

TEST(Reader, StatusTexts) {
    SoundFontModel m;
    m.PresetCount = 3;
    m.InstCount = 2;
    m.SampleCount = 10;
    EXPECT_EQ(CountText(m), " 3 presets,  2 instruments,  10 samples");
    EXPECT_EQ(LoadedText(m), " 3 presets,  2 instruments,  10 samples, one moment please...");
}

}  // namespace
}  // namespace zelvo::testing
