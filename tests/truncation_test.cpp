// A real SoundFont cut short anywhere is refused with the reader's typed
// error, and the model it was loading into is left empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "riff_walker.h"
#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"
#include "span_stream.h"

namespace zelvo::testing {
namespace {

void ExpectRefused(std::string_view prefix) {
    SoundFontModel model;
    model.FileName = "FluidR3_GS.sf2";
    model.InfoBankName = "left over";
    MemoryTree tree;
    SpanStream in(prefix);
    ByteReader reader(in);
    try {
        LoadSoundFont(model, reader, tree);
        ADD_FAILURE() << "a file cut at " << prefix.size() << " loaded";
    } catch (const MalformedFileError& e) {
        EXPECT_LE(e.offset(), prefix.size());
    }
    EXPECT_EQ(model.PresetCount, 0);
    EXPECT_EQ(model.SampleCount, 0);
    EXPECT_TRUE(model.PresetHeaders.empty());
    EXPECT_TRUE(model.InstZoneTable.empty());
    EXPECT_EQ(model.InfoBankName, "");
    EXPECT_EQ(model.FileName, "");
    EXPECT_TRUE(tree.nodes().empty());
}

TEST(Truncation, EveryCutOfARealFileIsRefused) {
    const std::string path = std::string(ZELVO_SOUNDFONT_DIR) + "/FluidR3_GS.sf2";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const RiffLayout layout = WalkRiff(path);
    const ChunkInfo& smpl = layout.chunks.at("smpl");

    const std::string_view bytes(file);
    // Every cut inside the header chunks, before and after the sample data.
    for (std::size_t cut = 0; cut < smpl.dataOffset; ++cut) ExpectRefused(bytes.substr(0, cut));
    for (std::size_t cut = smpl.dataOffset + smpl.size; cut < file.size(); ++cut) {
        ExpectRefused(bytes.substr(0, cut));
    }
    // A spread of cuts inside the sample data.
    for (std::size_t cut = smpl.dataOffset; cut < smpl.dataOffset + smpl.size; cut += 9973) {
        ExpectRefused(bytes.substr(0, cut));
    }
}

}  // namespace
}  // namespace zelvo::testing
