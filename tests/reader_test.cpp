// SPDX-License-Identifier: GPL-3.0-or-later
// Reading well-formed files: records, counts, INFO texts, tree nodes, zone
// labels and the instrument zone table; and broken ones, each refused with
// a typed error that says where, the model left empty.
#include "soundfont/reader.h"

#include <gtest/gtest.h>

#include "load_helpers.h"
#include "soundfont/errors.h"

namespace zelvo::testing {
namespace {

// Presets of one zone, of none, and of two; an instrument without zones.
Sf2Builder PresetFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .end = 100, .startLoop = 10, .endLoop = 90});
    b.Sample({.name = "Piano C5", .start = 146, .end = 246, .correction = 251, .link = 7, .type = 4});
    b.Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{SampleId(1)}, {{1, 2, 65535, 4, 5}}}}});
    b.Instrument({"Empty", {}}).Preset({"Grand", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}});
    b.Preset({"Blank", 2, 0, {}});
    b.Preset({"Grand Bright", 1, 0, {{{Gen(17, -100)}}, {{InstrumentId(1)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(300, 7));
}

TEST(Reader, ReadsRecordsCountsDerivedFieldsAndTheBrowseTreeKeepingRawValuesUnsigned) {
    const std::string file = PresetFile().Build();
    const Loaded f = LoadBytes(file);
    const SoundFontModel& m = f.model;
    EXPECT_EQ(std::make_tuple(m.PresetCount, m.PresetZoneCount, m.InstCount, m.InstZoneCount, m.SampleCount),
              std::make_tuple(3, 3, 2, 2, 2));
    ASSERT_EQ(m.PresetHeaders.size(), 5u);  // slot 0, three presets, "EOP"
    EXPECT_EQ(m.PresetHeaders[4].achPresetName.substr(0, 3), "EOP");
    const sfPresetHeader& p = m.PresetHeaders[3];
    EXPECT_EQ(std::make_tuple(p.achPresetName, p.wPreset, p.zoneCount, p.firstZoneNdx),
              std::make_tuple("Grand Bright" + std::string(8, '\0'), 1, 2, 2));
    // A preset without zones points at the zone after the ones before it.
    EXPECT_EQ(std::make_tuple(m.PresetHeaders[2].zoneCount, m.PresetHeaders[2].firstZoneNdx,
                              m.PresetBags[3].ownerNdx, m.PresetBags[2].genCount),
              std::make_tuple(0, 2, 3, 1));
    // Pan -100 and a modulator amount of -1 are held raw.
    EXPECT_EQ(std::make_tuple(m.PresetGens[3].genAmount, m.PresetGens[3].zoneNdx), std::make_tuple(65436, 2));
    EXPECT_EQ(std::make_tuple(m.InstMods[1].modAmount, m.InstMods[1].zoneNdx), std::make_tuple(65535, 2));
    EXPECT_EQ(std::make_tuple(m.InstHeaders[2].zoneCount, m.InstHeaders[2].firstZoneNdx),
              std::make_tuple(0, 3));
    const sfSample& s = m.SampleHeaders[2];
    EXPECT_EQ(std::make_tuple(s.dwStart, s.chPitchCorrection, s.wSampleLink, s.sfSampleType),
              std::make_tuple(146u, 251, 7, 4));
    EXPECT_EQ(std::make_tuple(m.SampleHeaders[1].dwEndloop, m.SmplSize), std::make_tuple(90u, 600u));
    EXPECT_EQ(m.SampleDataPos, FindChunk(file, "smpl") + 8 + 1);  // 1-based

    // The browse tree: keys, texts and images.
    std::vector<std::string> lines;
    f.tree.Walk([&](const MemoryTree::Node& n, int depth) {
        lines.push_back(std::to_string(depth) + " " + n.key + " " + n.text + " " + std::to_string(n.image));
    });
    // Zone numbers run on over the preset without zones.
    const std::vector<std::string> expected = {
        "0 node1 test.sf2 6",   "1 nodeP Presets 20",       "2 nodeP1 Grand 20",
        "3 PGene1 Piano 21",    "2 nodeP2 Blank 20",        "2 nodeP3 Grand Bright 20",
        "3 PGene2 global 21",   "3 PGene3 Empty 21",        "1 nodeI Instruments 21",
        "2 nodeI1 Piano 21",    "3 IGene1 Piano C4 22",     "3 IGene2 Piano C5 22",
        "2 nodeI2 Empty 21",    "1 nodeS Samples 22",       "2 nodeS1 Piano C4 22",
        "2 nodeS2 Piano C5 22"};
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(f.tree.Find("node1")->expanded && !f.tree.Find("nodeP")->expanded);
    EXPECT_EQ(f.tree.repaints(), 3);  // once per preset
}

TEST(Reader, InfoTextsAreKeptWholeInAnyOrderAndOtherChunksSkipped) {
    Sf2Builder b;
    b.Info("INAM", std::string("Bank\0\0", 6)).Info("ISBJ", "odd").Info("ICOP", "Mine!");
    b.Info("ifil", std::string("\x02\x00\x04\x00", 4)).Info("iver", std::string("\x02\x00\x0a\x00", 4));
    b.Info("isng", "E").Info("irom", "R").Info("ICRD", "C").Info("IENG", "N").Info("IPRD", "P");
    b.Info("ISFT", "T").SamplePoints({1, 2, 3}).Sm24("abc").Sample({.name = "S", .end = 3});
    const SoundFontModel m = LoadBytes(b.Build()).model;
    EXPECT_EQ(m.InfoBankName, std::string("Bank\0\0", 6));
    EXPECT_EQ(m.InfoCopyright + m.InfoComments + m.InfoSoundEngine + m.InfoRomName +
                  m.InfoCreationDate + m.InfoEngineers + m.InfoProduct + m.InfoTools, "Mine!ERCNPT");
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
    EXPECT_EQ(std::make_tuple(f.model.InfoCopyright, f.model.PresetCount,
                              f.model.InstZoneTable.size(), f.model.SampleCount, f.model.FileName),
              std::make_tuple("", 0, 1u, 1, "test.sf2"));
    EXPECT_EQ(f.tree.nodes().size(), 5u);  // the file, three groups, one sample
    EXPECT_FALSE(f.tree.Find("node1")->expanded);
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

// A zone table entry by name, with the defaults of a zone that sets nothing.
struct ZoneValues {
    int keyLo = 0, keyHi = 127, velLo = 1, velHi = 127, coarse = 0, fine = 0, pan = 0, modes = 0,
        root = -1, sample = 0;
    bool global = false;
    bool operator==(const ZoneValues&) const = default;
};
void PrintTo(const ZoneValues& v, std::ostream* os) {
    for (const int field : {v.keyLo, v.keyHi, v.velLo, v.velHi, v.coarse, v.fine, v.pan, v.modes,
                            v.root, v.sample, int{v.global}})
        *os << field << " ";
}

ZoneValues Zone(const Loaded& f, int instrument, int zone) {
    const InstZone& z = f.model.InstZoneTable.at(instrument).zone(zone);
    return {z.keyLo, z.keyHi, z.velLo, z.velHi, z.coarseTune, z.fineTune,
            z.pan,   z.sampleModes, z.rootKey, z.sampleNdx, z.isGlobal};
}

TEST(ZoneTable, ZonesTakeTheirOwnValuesThenTheGlobalZonesThenTheDefaults) {
    Sf2Builder b = WithSamples(8);
    // A drum kit that sets its root key and tuning only once, in the global zone.
    b.Instrument({"Kit", {{{RootKey(60), CoarseTune(2), Pan(250), Gen(34, 100)}},
                          {{KeyRange(36, 36), SampleId(0)}},
                          {{KeyRange(38, 38), RootKey(62), Pan(-250), SampleId(1)}},
                          {{KeyRange(40, 40), RootKey(65535), SampleId(2)}}}});
    b.Instrument({"Plain", {{{SampleId(0)}}}});
    b.Instrument({"Full", {{{KeyRange(36, 60), VelRange(1, 100), CoarseTune(-12), FineTune(50), Pan(-500),
                             SampleModes(3), RootKey(72), SampleId(7)}}}});
    // Root keys at the edges of the MIDI range and past it.
    b.Instrument({"Roots", {{{RootKey(0), SampleId(0)}}, {{RootKey(127), SampleId(0)}},
                            {{RootKey(128), SampleId(0)}}, {{RootKey(65535), SampleId(0)}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(Zone(f, 1, 1), (ZoneValues{.coarse = 2, .pan = 250, .root = 60, .global = true}));
    EXPECT_EQ(Zone(f, 1, 2),
              (ZoneValues{.keyLo = 36, .keyHi = 36, .coarse = 2, .pan = 250, .root = 60, .sample = 1}));
    EXPECT_EQ(Zone(f, 1, 3), (ZoneValues{.keyLo = 38, .keyHi = 38, .coarse = 2, .pan = -250,
                                         .root = 62, .sample = 2}));
    // The zone's own "none" (65535) wins over the global root key.
    EXPECT_EQ(Zone(f, 1, 4), (ZoneValues{.keyLo = 40, .keyHi = 40, .coarse = 2, .pan = 250, .sample = 3}));
    // Nothing carries over to the next instrument.
    EXPECT_EQ(Zone(f, 2, 1), (ZoneValues{.sample = 1}));
    EXPECT_EQ(Zone(f, 3, 1), (ZoneValues{.keyLo = 36, .keyHi = 60, .velHi = 100, .coarse = -12,
                                         .fine = 50, .pan = -500, .modes = 3, .root = 72, .sample = 8}));
    EXPECT_EQ(std::make_tuple(Zone(f, 4, 1).root, Zone(f, 4, 2).root, Zone(f, 4, 3).root, Zone(f, 4, 4).root),
              std::make_tuple(0, 127, -1, -1));
}

TEST(ZoneTable, OnlyTheLastGeneratorDecidesTheLabelAndOnlyAFirstGlobalZonePassesOn) {
    Sf2Builder b = WithSamples(2);
    b.Sample({.name = "global", .end = 2});
    b.Instrument({"I", {{{SampleId(0), KeyRange(0, 10)}}, {{KeyRange(11, 20), SampleId(1)}}, {},
                        {{Pan(300)}}, {{SampleId(2)}}}});
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

// --- Broken files ---

Sf2Builder SmallFile() {
    Sf2Builder b;
    b.Info("INAM", "Small").Info("ICMT", "odd").SamplePoints({1, 2, 3, 4, 5, 6, 7, 8});
    b.Sample({.name = "Saw", .end = 8, .startLoop = 2, .endLoop = 6});
    b.Instrument({"Lead", {{{Gen(17, 100)}}, {{KeyRange(0, 127), SampleId(0)}, {{1, 2, 3, 4, 5}}}}});
    return b.Preset({"Lead", 0, 0, {{{InstrumentId(0)}}}});
}

// Loads into a model that already holds a file, so that leftovers show.
template <typename Error = MalformedFileError>
Error LoadExpecting(std::string_view bytes) {
    Loaded f = LoadBytes(SmallFile().Build());
    std::istringstream in{std::string(bytes)};
    ByteReader reader(in);
    try {
        LoadSoundFont(f.model, reader, f.tree);
    } catch (const Error& e) {
        EXPECT_LE(e.offset(), bytes.size());
        EXPECT_EQ(f.model.PresetCount + f.model.SampleCount, 0);
        EXPECT_TRUE(f.model.PresetHeaders.empty() && f.model.SampleHeaders.empty() &&
                    f.model.InstZoneTable.empty() && f.tree.nodes().empty());
        EXPECT_EQ(f.model.InfoBankName + f.model.FileName, "");
        return e;
    }
    throw std::logic_error("a file of " + std::to_string(bytes.size()) + " bytes loaded");
}

// Sample data past the reader's 64 KiB buffer, so that the cuts in the
// header chunks after it land in a refilled buffer; a spread of cuts inside it.
TEST(Malformed, EveryTruncationIsRefusedAsMalformed) {
    const std::string file = SmallFile().SamplePoints(std::vector<std::int16_t>(40000)).Build();
    const std::size_t smpl = FindChunk(file, "smpl") + 8;
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        if (cut > smpl && cut < smpl + 80000) cut = std::min<std::size_t>(cut + 997, smpl + 80000);
        LoadExpecting(std::string_view(file).substr(0, cut));
    }
}

// Each hydra chunk must hold whole records, exactly those its indices call
// for; the message names the chunk (and, for a short header chunk, the bags
// it leaves over).
TEST(Malformed, ChunksOneRecordLongOrShortOrOfAPartRecord) {
    const std::pair<const char*, int> chunks[] = {{"phdr", 38}, {"pbag", 4}, {"pmod", 10},
                                                  {"pgen", 4},  {"inst", 22}, {"ibag", 4},
                                                  {"imod", 10}, {"igen", 4}, {"shdr", 46}};
    const std::string file = SmallFile().Build();
    for (const auto& [id, size] : chunks) {
        const std::string longer = LoadExpecting(ResizeChunk(file, id, size)).what();
        EXPECT_NE(longer.find(std::string("the ") + id + " chunk"), std::string::npos) << longer;
        std::string part = file;
        PutLe(part, FindChunk(part, id) + 4, 2, 4);
        EXPECT_NE(std::string(LoadExpecting(part).what()).find(id), std::string::npos) << id;
        if (std::string_view(id) == "shdr") continue;
        const std::string shorter = LoadExpecting(ResizeChunk(file, id, -size)).what();
        EXPECT_NE(shorter.find(id), std::string::npos) << shorter;
    }
    // With its terminal record cut, the last sample closes the list: the zone
    // that played it is left with a missing sample.
    const Loaded cut = LoadBytes(ResizeChunk(file, "shdr", -46));
    EXPECT_EQ(cut.model.SampleCount, 0);
    EXPECT_EQ(cut.model.InstZoneTable[1].zone(2).sampleNdx, kMissingRecord);
    EXPECT_EQ(NodeText(cut.tree, "IGene2"), "");
}

TEST(Malformed, ErrorsNameTheChunkAndWhereTheReadBegan) {
    const std::string file = SmallFile().Build();
    const std::size_t pbag = FindChunk(file, "pbag");
    // The first bag's generator index is read; its modulator index is cut short.
    const MalformedFileError e = LoadExpecting(file.substr(0, pbag + 8 + 3));
    EXPECT_EQ(DescribeError(e), "Error in SoundFont File: the file ends early inside the pbag "
                                "chunk (at byte offset " + std::to_string(pbag + 10) + ")");
    // Chunks whose sizes reach past their list, by far and by the one byte
    // after the last record of the file, sample data past the file, and a
    // preset named like the terminal record before the last one.
    for (const auto& [id, size] : {std::pair{"pgen", 4000}, std::pair{"shdr", 2 * 46 + 1}}) {
        std::string past = file;
        PutLe(past, FindChunk(past, id) + 4, size, 4);
        EXPECT_EQ(std::string(LoadExpecting(past).what()),
                  "the " + std::string(id) + " chunk reaches past the end of the pdta list");
    }
    std::string past = file;
    PutLe(past, FindChunk(past, "smpl") + 4, 0x7FFFFFF0, 4);
    LoadExpecting(past);
    Sf2Builder eop = SmallFile();
    eop.Preset({"EOPiano", 1, 0, {}}).Preset({"After", 2, 0, {}});
    EXPECT_STREQ(LoadExpecting(eop.Build()).what(),
                 "the phdr chunk holds 2 records after its terminal record");
    // Wrong chunk ids are chunk id errors.
    std::string wrong = file;
    wrong.replace(8, 4, "WAVE");
    ChunkIdError id = LoadExpecting<ChunkIdError>(wrong);
    EXPECT_EQ(std::make_tuple(id.expected(), id.found(), id.offset()), std::make_tuple("sfbk", "WAVE", 8u));
    wrong = file;
    const std::size_t pmod = FindChunk(wrong, "pmod");
    wrong.replace(pmod, 4, std::string("p\0\1d", 4));
    id = LoadExpecting<ChunkIdError>(wrong);
    const std::string found = "found \"p\\x00\\x01d\" (at byte offset " + std::to_string(pmod);
    EXPECT_EQ(DescribeError(id), "Error in SoundFont File: expected chunk id \"pmod\", " + found + ")");
}

TEST(Malformed, BagIndicesRunningBackwards) {
    std::string file = SmallFile().Preset({"Second", 1, 0, {{{InstrumentId(0)}}}}).Build();
    const std::size_t phdr = FindChunk(file, "phdr") + 8;
    PutLe(file, phdr + 38 + 24, 0, 2);  // second preset's bag index below the first's
    PutLe(file, phdr + 24, 1, 2);
    EXPECT_NE(std::string(LoadExpecting(file).what()).find("backwards"), std::string::npos);

    file = SmallFile().Build();
    const std::size_t ibag = FindChunk(file, "ibag") + 8;
    PutLe(file, ibag + 4, 0, 2);  // second zone's generators start before the first's end
    PutLe(file, ibag, 2, 2);
    EXPECT_NE(std::string(LoadExpecting(file).what()).find("backwards"), std::string::npos);
}

}  // namespace
}  // namespace zelvo::testing
