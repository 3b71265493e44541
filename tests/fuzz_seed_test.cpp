// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzzers' seed and sparse files: a hole takes no disk space, and each
// seed has sizes that agree with its chunks.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "load_helpers.h"
#include "seed_files.h"
#include "soundfont/errors.h"
#include "sparse_file.h"

namespace zelvo::fuzzing {
namespace {

using testing::Sf2Builder;
using testing::TempFile;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

std::string SmallFile() {
    return Sf2Builder().Info("ICMT", "odd").Sample({.name = "Saw", .end = 16, .startLoop = 4, .endLoop = 12})
        .Instrument({"Lead", {{{testing::SampleId(0)}}}}).Preset({"Lead", 0, 0, {{{testing::InstrumentId(0)}}}})
        .SamplePoints(std::vector<std::int16_t>(16, 0x1234)).Build();
}

// Writes an encoded input as its sparse file and opens it as the program does.
SoundFontModel OpenSparse(const std::string& encoded, std::uint64_t* fileSize = nullptr) {
    const TempFile folder("");
    const std::string path = (folder.folder() / "sparse.sf2").string();
    WriteSparseFile(path, *ParseSparseInput(encoded));
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_LT(st.st_blocks * 512, 1 << 20) << "the hole takes disk space";
    if (fileSize) *fileSize = static_cast<std::uint64_t>(st.st_size);
    SoundFontModel model;
    MemoryTree tree;
    OpenSoundFont(model, path, tree);
    return model;
}

TEST(FuzzSeeds, SampleDataCutOrAsAHoleLeavesAFileThatLoads) {
    const std::string file = SmallFile();
    const SoundFontModel cut = testing::LoadBytes(WithoutSampleData(file, BuiltSampleData(file))).model;
    EXPECT_EQ(std::make_tuple(cut.SmplSize, cut.InstCount, cut.SampleCount), std::make_tuple(0u, 1, 1));
    std::uint64_t size = 0;
    const SoundFontModel holed = OpenSparse(SampleDataAsHole(file, BuiltSampleData(file)), &size);
    EXPECT_EQ(std::make_tuple(size, holed.SmplSize, holed.PresetCount), std::make_tuple(file.size(), 32u, 1));
}

TEST(FuzzSeeds, ChunksGrownByAHoleKeepTheirSizesInAgreement) {
    const std::string file = SmallFile();
    const SoundFontModel comment = OpenSparse(ChunkGrownByHole(file, {"ICMT", "INFO", 2}));
    EXPECT_EQ(comment.InfoComments, "odd" + std::string(65533, '\0'));
    const SoundFontModel samples = OpenSparse(ChunkGrownByHole(file, {"smpl", "sdta", 2}));
    EXPECT_EQ(std::make_pair(std::uint64_t{samples.SmplSize}, samples.SampleCount), std::make_pair(32 + kGiB, 1));
    // A header chunk of millions of whole records is refused for its count.
    try {
        OpenSparse(ChunkGrownByHole(file, {"shdr", "pdta", 46}));
        ADD_FAILURE() << "a grown shdr chunk loaded";
    } catch (const MalformedFileError& e) {
        // Two records and the hole's 1 GiB / 46 bytes.
        EXPECT_NE(std::string(e.what()).find("the shdr chunk holds 23342215 records"), std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace zelvo::fuzzing
