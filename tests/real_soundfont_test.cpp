// The SoundFonts of Debian's packages, checked against what their chunk
// sizes and bytes say, and against facts read off the files by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "load_helpers.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace zelvo::testing {
namespace {

const std::string kDir = ZELVO_SOUNDFONT_DIR;

class RealSoundFont : public ::testing::TestWithParam<std::string> {};

TEST_P(RealSoundFont, CountsAndTheTreeAgreeWithTheChunkSizes) {
    const std::string path = kDir + "/" + GetParam();
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
    EXPECT_EQ(m.FileName + " " + m.FileFolder, GetParam() + " " + kDir + "/");
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

// Read off the files with a hex viewer.
TEST(RealSoundFontFacts, TimGM6mb) {
    const std::string path = kDir + "/TimGM6mb.sf2";
    if (!std::filesystem::exists(path)) GTEST_SKIP();
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"tree", path}, out, err), 0);
    const std::string tree = out.str();
    EXPECT_EQ(tree.substr(0, tree.find("    nodeP2")),
              "node1\tTimGM6mb.sf2\n"
              "  nodeP\tPresets\n"
              "    nodeP1\tFlute TB\n"
              "      PGene1\tFlute TB\n");
    EXPECT_NE(tree.find("  nodeI\tInstruments\n    nodeI1\tFlute TB\n      IGene1\tFluteD5\n"
                        "      IGene2\tFluteE5\n"),
              std::string::npos);
    EXPECT_NE(tree.find("  nodeS\tSamples\n    nodeS1\tFluteG6\n"), std::string::npos);
    EXPECT_TRUE(tree.ends_with(
        "    nodeS520\tSynthStringsC4\n 136 presets,  210 instruments,  520 samples\n"));
}

TEST(RealSoundFontFacts, FluidR3GmInformation) {
    const std::string path = kDir + "/FluidR3_GM.sf2";
    if (!std::filesystem::exists(path)) GTEST_SKIP();
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"info", path}, out, err), 0);
    EXPECT_EQ(out.str(),
              "Filename: FluidR3_GM.sf2\n"
              "SoundFont File Version  2.01\n"
              "Sound Engine: E-mu 10K1\n"
              "ROM wavetable: \n"
              "ROM Revision \n"
              "Bank Name: Fluid R3 GM\n"
              "Created: Feb 24. 2008\n"
              "Engineer: Frank Wen\n"
              "Intended for: SBAWE32\n"
              "Copyright: Frank Wen 2000-2002, 2008; Toby Smithe 2008\n"
              "Created with: SFEDT v1.28:SWAMI v0.9.4\n"
              "Comments: Licensed under the MIT License.\n");
}

}  // namespace
}  // namespace zelvo::testing
