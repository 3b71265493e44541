// Reading well-formed files: records, counts, INFO texts, tree nodes, zone
// labels and the instrument zone table.
#include "soundfont/reader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "load_helpers.h"
#include "sf2_builder.h"
#include "soundfont/errors.h"

namespace zelvo::testing {
namespace {

Sf2Builder TwoPresetFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .end = 100, .startLoop = 10, .endLoop = 90});
    b.Sample(
        {.name = "Piano C5", .start = 146, .end = 246, .correction = 251, .link = 7, .type = 4});
    b.Instrument(
        {"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{SampleId(1)}, {{1, 2, 65535, 4, 5}}}}});
    b.Instrument({"Empty", {}}).Preset({"Grand", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}});
    b.Preset({"Grand Bright", 1, 0, {{{Gen(17, -100)}}, {{InstrumentId(1)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(300, 7));
}

TEST(Reader, ReadsRecordsCountsAndDerivedFieldsKeepingRawValuesUnsigned) {
    const std::string file = TwoPresetFile().Build();
    const SoundFontModel m = LoadBytes(file).model;
    EXPECT_EQ(std::make_tuple(m.PresetCount, m.PresetZoneCount, m.InstCount, m.InstZoneCount,
                              m.SampleCount),
              std::make_tuple(2, 3, 2, 2, 2));
    ASSERT_EQ(m.PresetHeaders.size(), 4u);  // slot 0, two presets, "EOP"
    EXPECT_EQ(m.PresetHeaders[3].achPresetName.substr(0, 3), "EOP");
    const sfPresetHeader& p = m.PresetHeaders[2];
    EXPECT_EQ(std::make_tuple(p.achPresetName, p.wPreset, p.zoneCount, p.firstZoneNdx),
              std::make_tuple("Grand Bright" + std::string(8, '\0'), 1, 2, 2));
    EXPECT_EQ(std::make_tuple(m.PresetBags[3].ownerNdx, m.PresetBags[2].genCount),
              std::make_tuple(2, 1));
    // Pan -100 and a modulator amount of -1 are held raw.
    EXPECT_EQ(std::make_tuple(m.PresetGens[3].genAmount, m.PresetGens[3].zoneNdx),
              std::make_tuple(65436, 2));
    EXPECT_EQ(std::make_tuple(m.InstMods[1].modAmount, m.InstMods[1].zoneNdx),
              std::make_tuple(65535, 2));
    EXPECT_EQ(std::make_tuple(m.InstHeaders[2].zoneCount, m.InstHeaders[2].firstZoneNdx),
              std::make_tuple(0, 3));
    const sfSample& s = m.SampleHeaders[2];
    EXPECT_EQ(std::make_tuple(s.dwStart, s.chPitchCorrection, s.wSampleLink, s.sfSampleType),
              std::make_tuple(146u, 251, 7, 4));
    EXPECT_EQ(std::make_tuple(m.SampleHeaders[1].dwEndloop, m.SmplSize),
              std::make_tuple(90u, 600u));
    EXPECT_EQ(m.SampleDataPos, FindChunk(file, "smpl") + 8 + 1);  // 1-based
}

TEST(Reader, BuildsTheBrowseTreeWithKeysTextsAndImages) {
    const Loaded f = LoadBytes(TwoPresetFile().Build());
    std::vector<std::string> lines;
    f.tree.Walk([&](const MemoryTree::Node& n, int depth) {
        lines.push_back(std::to_string(depth) + " " + n.key + " " + n.text + " " +
                        std::to_string(n.image));
    });
    const std::vector<std::string> expected = {
        "0 node1 test.sf2 6",   "1 nodeP Presets 20",       "2 nodeP1 Grand 20",
        "3 PGene1 Piano 21",    "2 nodeP2 Grand Bright 20", "3 PGene2 global 21",
        "3 PGene3 Empty 21",    "1 nodeI Instruments 21",   "2 nodeI1 Piano 21",
        "3 IGene1 Piano C4 22", "3 IGene2 Piano C5 22",     "2 nodeI2 Empty 21",
        "1 nodeS Samples 22",   "2 nodeS1 Piano C4 22",     "2 nodeS2 Piano C5 22",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(f.tree.Find("node1")->expanded);
    EXPECT_FALSE(f.tree.Find("nodeP")->expanded);
    EXPECT_EQ(f.tree.repaints(), 2);  // once per preset
}

TEST(Reader, ZoneNumbersRunOnOverPresetsWithEmptyOnes) {
    const ZoneDef zone{{InstrumentId(0)}};
    Sf2Builder b;
    b.Instrument({"I", {{{SampleId(0)}}}}).Sample({.name = "S", .end = 10});
    b.Preset({"A", 0, 0, {zone, zone, zone}}).Preset({"B", 0, 0, {}});
    const Loaded f = LoadBytes(b.Preset({"C", 0, 0, {zone, zone}}).Build());
    const auto& h = f.model.PresetHeaders;
    EXPECT_EQ(std::make_tuple(h[1].zoneCount, h[2].zoneCount, h[3].zoneCount), std::tuple(3, 0, 2));
    EXPECT_EQ(std::make_tuple(h[2].firstZoneNdx, h[3].firstZoneNdx), std::tuple(4, 4));
    EXPECT_EQ(f.model.PresetBags[4].ownerNdx, 3);
    EXPECT_EQ(f.tree.nodes()[f.tree.Find("PGene4")->parent].key, "nodeP3");
    EXPECT_EQ(f.tree.Find("PGene4")->parent, f.tree.Find("PGene5")->parent);
}

TEST(Reader, InfoTextsAreKeptWholeInAnyOrderAndOtherChunksSkipped) {
    Sf2Builder b;
    b.Info("INAM", std::string("Bank\0\0", 6)).Info("ISBJ", "odd").Info("ICOP", "Mine!");
    b.Info("ifil", std::string("\x02\x00\x04\x00", 4))
        .Info("iver", std::string("\x02\x00\x0a\x00", 4));
    b.SamplePoints({1, 2, 3}).Sm24("abc").Sample({.name = "S", .end = 3});
    const SoundFontModel m = LoadBytes(b.Build()).model;
    EXPECT_EQ(m.InfoBankName, std::string("Bank\0\0", 6));
    EXPECT_EQ(m.InfoCopyright + "|" + m.InfoComments, "Mine!|");
    EXPECT_EQ(m.InfoVersion + m.InfoRomVersion, " 2.04 2.1");
    EXPECT_EQ(m.SampleCount, 1);
    // The minor number is read as hundredths, carrying into the major one.
    EXPECT_EQ(VersionText(1, 100) + VersionText(65535, 65535), " 2 66190.35");
}

TEST(Reader, EveryLoadStartsFromAnEmptyModelAndWithoutEosTheLastSampleIsDropped) {
    Sf2Builder old, next;
    old.Info("ICOP", "Old").Sample({.name = "S", .end = 2}).Preset({"P", 0, 0, {}});
    Loaded f = LoadBytes(old.Instrument({"I", {{{KeyRange(10, 20), SampleId(0)}}}}).Build());
    next.Sample({.name = "One", .end = 2}).Sample({.name = "Two", .end = 4}).WithoutEos();
    std::istringstream in(next.Build());
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

// Reads that straddle the end of the reader's 64 KiB buffer, and skips past
// it; real files refill it too, but a garbled refill there can go unseen.
TEST(ByteReader, ReadsAcrossBufferRefillsAndSkips) {
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 251);
    std::istringstream in(data);
    ByteReader r(in);
    EXPECT_EQ(r.ReadByte(), 0);  // fills the buffer with bytes 0 to 65535
    r.Skip(65533);
    EXPECT_EQ(r.ReadLong(), 0x1A191817u);  // bytes 65534 to 65537: two kept, two read anew
    r.Skip(100000);
    EXPECT_EQ(r.ReadText(30000), data.substr(165538, 30000));
    EXPECT_THROW(r.Skip(r.Remaining() + 1), MalformedFileError);
}

// The instrument zone table the export works from, and the zone labels.
Sf2Builder WithSamples(int count) {
    Sf2Builder b;
    for (int s = 0; s < count; ++s) b.Sample({.name = "Smp" + std::to_string(s + 1), .end = 4});
    return b.SamplePoints(std::vector<std::int16_t>(8, 0));
}

// A zone table entry by name, with the defaults of a zone that sets nothing,
// so that a failure prints the field that differs.
struct ZoneValues {
    int keyLo = 0, keyHi = 127, velLo = 1, velHi = 127, coarse = 0, fine = 0, pan = 0, modes = 0,
        root = -1, sample = 0;
    bool global = false;
    bool operator==(const ZoneValues&) const = default;
};
void PrintTo(const ZoneValues& v, std::ostream* os) {
    *os << "{keys " << v.keyLo << "-" << v.keyHi << ", vel " << v.velLo << "-" << v.velHi
        << ", coarse " << v.coarse << ", fine " << v.fine << ", pan " << v.pan << ", modes "
        << v.modes << ", root " << v.root << ", sample " << v.sample
        << (v.global ? ", global}" : "}");
}

ZoneValues Zone(const Loaded& f, int instrument, int zone) {
    const InstZone& z = f.model.InstZoneTable.at(instrument).zone(zone);
    return {z.keyLo, z.keyHi, z.velLo, z.velHi, z.coarseTune, z.fineTune,
            z.pan,   z.sampleModes, z.rootKey, z.sampleNdx, z.isGlobal};
}

TEST(ZoneTable, ZonesTakeTheirOwnValuesThenTheGlobalZonesThenTheDefaults) {
    Sf2Builder b = WithSamples(8);
    // A drum kit that sets its root key and tuning only once, in the global zone.
    b.Instrument({"Kit",
                  {{{Gen(58, 60), Gen(51, 2), Gen(17, 250), Gen(34, 100)}},
                   {{KeyRange(36, 36), SampleId(0)}},
                   {{KeyRange(38, 38), Gen(58, 62), Gen(17, -250), SampleId(1)}},
                   {{KeyRange(40, 40), Gen(58, 65535), SampleId(2)}}}});
    b.Instrument({"Plain", {{{SampleId(0)}}}});
    b.Instrument({"Full",
                  {{{KeyRange(36, 60), VelRange(1, 100), Gen(51, -12), Gen(52, 50), Gen(17, -500),
                     Gen(54, 3), Gen(58, 72), SampleId(7)}}}});
    // Root keys at the edges of the MIDI range and past it.
    b.Instrument({"Roots",
                  {{{Gen(58, 0), SampleId(0)}},
                   {{Gen(58, 127), SampleId(0)}},
                   {{Gen(58, 128), SampleId(0)}},
                   {{Gen(58, 65535), SampleId(0)}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(Zone(f, 1, 1), (ZoneValues{.coarse = 2, .pan = 250, .root = 60, .global = true}));
    EXPECT_EQ(Zone(f, 1, 2),
              (ZoneValues{.keyLo = 36, .keyHi = 36, .coarse = 2, .pan = 250, .root = 60, .sample = 1}));
    EXPECT_EQ(Zone(f, 1, 3), (ZoneValues{.keyLo = 38, .keyHi = 38, .coarse = 2, .pan = -250,
                                         .root = 62, .sample = 2}));
    // The zone's own "none" (65535) wins over the global root key.
    EXPECT_EQ(Zone(f, 1, 4),
              (ZoneValues{.keyLo = 40, .keyHi = 40, .coarse = 2, .pan = 250, .sample = 3}));
    // Nothing carries over to the next instrument.
    EXPECT_EQ(Zone(f, 2, 1), (ZoneValues{.sample = 1}));
    EXPECT_EQ(Zone(f, 3, 1), (ZoneValues{.keyLo = 36, .keyHi = 60, .velHi = 100, .coarse = -12,
                                         .fine = 50, .pan = -500, .modes = 3, .root = 72, .sample = 8}));
    EXPECT_EQ(Zone(f, 4, 1).root, 0);
    EXPECT_EQ(Zone(f, 4, 2).root, 127);
    EXPECT_EQ(Zone(f, 4, 3).root, -1);
    EXPECT_EQ(Zone(f, 4, 4).root, -1);
}

TEST(ZoneTable, OnlyTheLastGeneratorDecidesTheLabelAndOnlyAFirstGlobalZonePassesOn) {
    Sf2Builder b = WithSamples(2);
    b.Sample({.name = "global", .end = 2});
    b.Instrument({"I",
                  {{{SampleId(0), KeyRange(0, 10)}},
                   {{KeyRange(11, 20), SampleId(1)}},
                   {},
                   {{Gen(17, 300)}},
                   {{SampleId(2)}}}});
    b.Preset({"P", 0, 0, {{{Gen(16, 200), Gen(17, 10)}}, {{KeyRange(0, 10), InstrumentId(0)}}}});
    const Loaded f = LoadBytes(b.Preset({"Q", 0, 0, {{{InstrumentId(99)}}}}).Build());
    // A zone without generators is global; a sample named "global" is still a
    // sample; an instrument the file does not have leaves the label empty.
    std::string labels;
    for (const char* key :
         {"IGene1", "IGene2", "IGene3", "IGene4", "IGene5", "PGene1", "PGene2", "PGene3"}) {
        labels += NodeText(f.tree, key) + "|";
    }
    EXPECT_EQ(labels, "global|Smp2|global|global|global|global|I||");
    EXPECT_EQ(Zone(f, 1, 1), (ZoneValues{.keyHi = 10, .sample = 1, .global = true}));
    EXPECT_TRUE(Zone(f, 1, 3).global && Zone(f, 1, 4).global);
    EXPECT_EQ(Zone(f, 1, 5), (ZoneValues{.keyHi = 10, .sample = 3}));
}

// The SoundFonts of Debian's packages against what their chunk sizes and
// bytes say.
class RealSoundFont : public ::testing::TestWithParam<std::string> {};

TEST_P(RealSoundFont, CountsAndTheTreeAgreeWithTheChunkSizes) {
    const std::string path = std::string(ZELVO_SOUNDFONT_DIR) + "/" + GetParam();
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    SoundFontModel m;
    MemoryTree tree;
    OpenSoundFont(m, path, tree);
    const RiffLayout layout = WalkRiff(path);
    const auto count = [&](const char* id, std::uint32_t size) { return layout.CountOf(id, size); };
    const auto presets = count("phdr", 38), pbags = count("pbag", 4), insts = count("inst", 22),
               ibags = count("ibag", 4), samples = count("shdr", 46);
    EXPECT_EQ(std::make_tuple(m.PresetCount, m.PresetZoneCount, m.InstCount, m.InstZoneCount,
                              m.SampleCount),
              std::make_tuple(presets, pbags, insts, ibags, samples));
    EXPECT_EQ(std::make_tuple(m.PresetGens.size(), m.InstGens.size(), m.InstMods.size()),
              std::make_tuple(count("pgen", 4) + 1, count("igen", 4) + 1, count("imod", 10) + 1));
    EXPECT_EQ(tree.nodes().size(), 4 + presets + pbags + insts + ibags + samples);
    EXPECT_EQ(m.SmplSize, layout.chunks.at("smpl").size);
    EXPECT_EQ(m.SampleDataPos, layout.chunks.at("smpl").dataOffset + 1);
    EXPECT_EQ(m.FileName + " " + m.FileFolder,
              GetParam() + " " + std::string(ZELVO_SOUNDFONT_DIR) + "/");
    EXPECT_EQ(m.InfoBankName, layout.chunks.at("INAM").data);  // kept whole
}

INSTANTIATE_TEST_SUITE_P(Debian, RealSoundFont,
                         ::testing::Values("TimGM6mb.sf2", "FluidR3_GM.sf2", "FluidR3_GS.sf2",
                                           "OPL-3_FM_128M.sf2", "sf_GMbank.sf2",
                                           "Black_Pearl_4_LV2.sf2", "Red_Zeppelin_4_LV2.sf2"),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace zelvo::testing
