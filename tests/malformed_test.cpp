// Broken files: each is refused with a typed error that says where, and the
// model is left empty.
#include <gtest/gtest.h>

#include "load_helpers.h"
#include "sf2_builder.h"
#include "soundfont/errors.h"

namespace zelvo::testing {
namespace {

Sf2Builder SmallFile() {
    Sf2Builder b;
    b.Info("INAM", "Small").Info("ICMT", "odd").SamplePoints({1, 2, 3, 4, 5, 6, 7, 8});
    b.Sample({.name = "Saw", .end = 8, .startLoop = 2, .endLoop = 6});
    b.Instrument(
        {"Lead", {{{Gen(17, 100)}}, {{KeyRange(0, 127), SampleId(0)}, {{1, 2, 3, 4, 5}}}}});
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
        EXPECT_TRUE(f.model.PresetHeaders.empty() && f.model.SampleHeaders.empty());
        EXPECT_TRUE(f.model.InstZoneTable.empty());
        EXPECT_EQ(f.model.InfoBankName + f.model.FileName, "");
        EXPECT_TRUE(f.tree.nodes().empty());
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

TEST(Malformed, WrongChunkIdsAreChunkIdErrors) {
    std::string file = SmallFile().Build();
    file.replace(8, 4, "WAVE");
    ChunkIdError e = LoadExpecting<ChunkIdError>(file);
    EXPECT_EQ(std::make_tuple(e.expected(), e.found(), e.offset()),
              std::make_tuple("sfbk", "WAVE", 8u));

    file = SmallFile().Build();
    const std::size_t pmod = FindChunk(file, "pmod");
    file.replace(pmod, 4, std::string("p\0\1d", 4));
    e = LoadExpecting<ChunkIdError>(file);
    const std::string found = "found \"p\\x00\\x01d\" (at byte offset " + std::to_string(pmod);
    EXPECT_EQ(DescribeError(e),
              "Error in SoundFont File: expected chunk id \"pmod\", " + found + ")");
}

// Each hydra chunk must hold exactly the records its indices call for; the
// message names the chunk (and, for a short header chunk, the bags it leaves over).
TEST(Malformed, ChunksOneRecordLongOrShort) {
    const std::pair<const char*, int> chunks[] = {{"phdr", 38}, {"pbag", 4}, {"pmod", 10},
                                                  {"pgen", 4},  {"inst", 22}, {"ibag", 4},
                                                  {"imod", 10}, {"igen", 4}, {"shdr", 46}};
    const std::string file = SmallFile().Build();
    for (const auto& [id, size] : chunks) {
        const std::string longer = LoadExpecting(ResizeChunk(file, id, size)).what();
        EXPECT_NE(longer.find(std::string("the ") + id + " chunk"), std::string::npos) << longer;
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
    // after the last record of the file, and a preset named like the
    // terminal record before the last one.
    for (const auto& [id, size] : {std::pair{"pgen", 4000}, std::pair{"shdr", 2 * 46 + 1}}) {
        std::string past = file;
        PutLe(past, FindChunk(past, id) + 4, size, 4);
        EXPECT_EQ(std::string(LoadExpecting(past).what()),
                  "the " + std::string(id) + " chunk reaches past the end of the pdta list");
    }
    Sf2Builder eop = SmallFile();
    eop.Preset({"EOPiano", 1, 0, {}}).Preset({"After", 2, 0, {}});
    EXPECT_STREQ(LoadExpecting(eop.Build()).what(),
                 "the phdr chunk holds 2 records after its terminal record");
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

TEST(Malformed, RecordsThatDoNotFitTheirChunkOrTheFile) {
    for (const char* id :
         {"phdr", "pbag", "pmod", "pgen", "inst", "ibag", "imod", "igen", "shdr"}) {
        std::string file = SmallFile().Build();
        PutLe(file, FindChunk(file, id) + 4, 2, 4);
        EXPECT_NE(std::string(LoadExpecting(file).what()).find(id), std::string::npos) << id;
    }
    std::string file = SmallFile().Build();
    PutLe(file, FindChunk(file, "smpl") + 4, 0x7FFFFFF0, 4);
    LoadExpecting(file);
}

}  // namespace
}  // namespace zelvo::testing
