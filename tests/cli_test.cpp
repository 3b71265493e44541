// zelvo-cli's command line, messages and exit status.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun RunCli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::string LatinFile() {
    Sf2Builder b;
    b.Info("INAM", "Caf\xE9").Sample({.name = "S\xF8ren", .end = 2})
        .Instrument({"Inst", {{{SampleId(0)}}}})
        .Preset({"Pr\xE9set", 0, 0, {{{InstrumentId(0)}}}});
    return b.Build();
}

TEST(Cli, TreePrintsNodesByDepthAndTheCountText) {
    const TempFile file(LatinFile(), "Latin.sf2");
    const CliRun run = RunCli({"tree", file.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "node1\tLatin.sf2\n"
              "  nodeP\tPresets\n"
              "    nodeP1\tPr\xC3\xA9set\n"
              "      PGene1\tInst\n"
              "  nodeI\tInstruments\n"
              "    nodeI1\tInst\n"
              "      IGene1\tS\xC3\xB8ren\n"
              "  nodeS\tSamples\n"
              "    nodeS1\tS\xC3\xB8ren\n"
              " 1 presets,  1 instruments,  1 samples\n");
}

TEST(Cli, InfoPrintsTheTwelveLines) {
    const TempFile file(LatinFile(), "Latin.sf2");
    const CliRun run = RunCli({"info", file.path()});
    EXPECT_EQ(run.status, 0);
    std::istringstream lines(run.out);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);) all.push_back(line);
    ASSERT_EQ(all.size(), 12u);
    EXPECT_EQ(all[0], "Filename: Latin.sf2");
    EXPECT_EQ(all[5], "Bank Name: Caf\xC3\xA9");
    EXPECT_EQ(all[11], "Comments: ");
}

TEST(Cli, WrongCommandLinesAreUsageErrors) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{}, {"frobnicate"}, {"tree"}, {"info", "a", "b"}}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: zelvo-cli"), std::string::npos);
    }
    EXPECT_EQ(RunCli({"--help"}).status, 0);
}

TEST(Cli, UnreadableAndMalformedFilesExitWithOne) {
    CliRun run = RunCli({"tree", "/nonexistent/x.sf2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(run.out, "");

    const TempFile somewhere(LatinFile());
    run = RunCli({"tree", somewhere.folder()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Is a directory"), std::string::npos);

    std::string cut = LatinFile();
    cut.resize(cut.size() - 10);
    const TempFile truncated(cut);
    run = RunCli({"info", truncated.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Error in SoundFont File", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");

    std::string wave = LatinFile();
    wave.replace(8, 4, "WAVE");
    const TempFile notSf2(wave);
    run = RunCli({"tree", notSf2.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Error in SoundFont File", 0), 0u) << run.err;
}

}  // namespace
}  // namespace zelvo::testing
