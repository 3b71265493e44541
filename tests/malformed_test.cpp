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
    b.Info("INAM", "Small").Info("ICMT", "odd")
        .Sample({.name = "Saw", .end = 8, .startLoop = 2, .endLoop = 6})
        .Instrument({"Lead", {{{Gen(17, 100)}}, {{KeyRange(0, 127), SampleId(0)}, {{1, 2, 3, 4, 5}}}}})
        .Preset({"Lead", 0, 0, {{{InstrumentId(0)}}}})
        .SamplePoints({1, 2, 3, 4, 5, 6, 7, 8});
    return b;
}

// Loads into a model that already holds a file, so that leftovers show.
template <typename Error>
Error LoadExpecting(const std::string& bytes) {
    Loaded f = LoadBytes(SmallFile().Build());
    std::istringstream in(bytes);
    ByteReader reader(in);
    try {
        LoadSoundFont(f.model, reader, f.tree);
    } catch (const Error& e) {
        EXPECT_EQ(f.model.PresetCount, 0);
        EXPECT_TRUE(f.model.PresetHeaders.empty());
        EXPECT_TRUE(f.model.InstZoneTable.empty());
        EXPECT_EQ(f.model.InfoBankName, "");
        EXPECT_EQ(f.model.FileName, "");
        EXPECT_TRUE(f.tree.nodes().empty());
        return e;
    }
    ADD_FAILURE() << "the file loaded";
    return Error("", "", 0);
}

MalformedFileError LoadExpectingMalformed(const std::string& bytes) {
    Loaded f = LoadBytes(SmallFile().Build());
    std::istringstream in(bytes);
    ByteReader reader(in);
    try {
        LoadSoundFont(f.model, reader, f.tree);
    } catch (const MalformedFileError& e) {
        EXPECT_EQ(f.model.PresetCount, 0);
        EXPECT_TRUE(f.model.SampleHeaders.empty());
        EXPECT_EQ(f.model.FileName, "");
        EXPECT_TRUE(f.tree.nodes().empty());
        return e;
    }
    ADD_FAILURE() << "the file loaded or failed otherwise";
    return MalformedFileError("", 0);
}

TEST(Malformed, EveryTruncationIsRefusedAsMalformed) {
    const std::string file = SmallFile().Build();
    for (std::size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        const MalformedFileError e = LoadExpectingMalformed(file.substr(0, length));
        EXPECT_LE(e.offset(), length);
    }
}

TEST(Malformed, WrongChunkIdsAreChunkIdErrors) {
    std::string wave = SmallFile().Build();
    wave.replace(8, 4, "WAVE");
    ChunkIdError e = LoadExpecting<ChunkIdError>(wave);
    EXPECT_EQ(e.expected(), "sfbk");
    EXPECT_EQ(e.found(), "WAVE");
    EXPECT_EQ(e.offset(), 8u);

    std::string noPmod = SmallFile().Build();
    noPmod.replace(FindChunk(noPmod, "pmod"), 4, "pmox");
    e = LoadExpecting<ChunkIdError>(noPmod);
    EXPECT_EQ(e.expected(), "pmod");
    EXPECT_EQ(e.offset(), FindChunk(noPmod, "pmox"));
}

TEST(Malformed, PresetNamedLikeTheTerminalEndsTheListEarly) {
    Sf2Builder b = SmallFile();
    b.Preset({"EOPiano", 1, 0, {}}).Preset({"After", 2, 0, {}});
    const ChunkIdError e = LoadExpecting<ChunkIdError>(b.Build());
    EXPECT_EQ(e.expected(), "pbag");
}

TEST(Malformed, BagIndicesRunningBackwards) {
    Sf2Builder b = SmallFile();
    b.Preset({"Second", 1, 0, {{{InstrumentId(0)}}}});
    std::string file = b.Build();
    const std::size_t phdr = FindChunk(file, "phdr") + 8;
    PutLe(file, phdr + 38 + 24, 0, 2);  // second preset's bag index below the first's
    PutLe(file, phdr + 24, 1, 2);
    EXPECT_NE(std::string(LoadExpectingMalformed(file).what()).find("backwards"), std::string::npos);

    file = SmallFile().Build();
    const std::size_t ibag = FindChunk(file, "ibag") + 8;
    PutLe(file, ibag + 4, 0, 2);  // second zone's generators start before the first's end
    PutLe(file, ibag, 2, 2);
    EXPECT_NE(std::string(LoadExpectingMalformed(file).what()).find("backwards"), std::string::npos);
}

TEST(Malformed, RecordsThatDoNotFitTheirChunk) {
    for (const char* id : {"pbag", "pmod", "pgen", "ibag", "imod", "igen", "phdr", "inst", "shdr"}) {
        SCOPED_TRACE(id);
        std::string file = SmallFile().Build();
        const std::size_t at = FindChunk(file, id);
        PutLe(file, at + 4, 2, 4);
        const MalformedFileError e = LoadExpectingMalformed(file);
        EXPECT_NE(std::string(e.what()).find(id), std::string::npos) << e.what();
        EXPECT_GE(e.offset(), at);
    }
}

TEST(Malformed, MissingTerminalRecordRunsIntoTheChunkEnd) {
    std::string file = SmallFile().Build();
    const std::size_t inst = FindChunk(file, "inst");
    file.replace(inst + 8 + 22, 3, "XYZ");  // "EOI" renamed
    LoadExpectingMalformed(file);
}

TEST(Malformed, OddSizedSampleDataMisalignsTheNextChunk) {
    Sf2Builder b = SmallFile();
    b.SampleBytes(std::string(7, '\x10'));  // compressed data need not be even
    LoadExpecting<ChunkIdError>(b.Build());
}

TEST(Malformed, SampleDataBeyondTheFileEnd) {
    std::string file = SmallFile().Build();
    PutLe(file, FindChunk(file, "smpl") + 4, 0x7FFFFFF0, 4);
    LoadExpectingMalformed(file);
}

TEST(Malformed, FileThatCannotBeOpenedNamesTheSystemReason) {
    SoundFontModel model;
    MemoryTree tree;
    try {
        OpenSoundFont(model, "/nonexistent/folder/none.sf2", tree);
        FAIL() << "opened";
    } catch (const FileAccessError& e) {
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos);
    }
    EXPECT_EQ(model.FileName, "");
}

TEST(Malformed, MessagesSayWhatAndWhere) {
    EXPECT_EQ(DescribeError(MalformedFileError("the file ends early", 42)),
              "Error in SoundFont File: the file ends early (at byte offset 42)");
    EXPECT_EQ(DescribeError(ChunkIdError("pbag", std::string("p\0\x01g", 4), 7)),
              "Error in SoundFont File: expected chunk id \"pbag\", found \"p\\x00\\x01g\" (at byte offset 7)");
}

}  // namespace
}  // namespace zelvo::testing
