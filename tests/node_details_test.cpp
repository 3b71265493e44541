// The detail list of a tree node, built without widgets, and its CLI dump.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "browser/node_details.h"
#include "cli/cli.h"
#include "load_helpers.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

using Cells = std::vector<std::string>;

std::vector<Cells> Rows(const NodeDetails& d) {
    std::vector<Cells> rows;
    for (const DetailRow& r : d.rows) rows.push_back(r.cells);
    return rows;
}

Cells Titles(const NodeDetails& d) {
    Cells titles;
    for (const DetailColumn& c : d.columns) titles.push_back(c.title);
    return titles;
}

// Presets whose names begin alike, zones with a few generators, samples of
// every kind the sample view tells apart.
Sf2Builder BrowsingFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .start = 1000, .end = 5000, .startLoop = 1200, .endLoop = 4800})
        .Sample({.name = "Empty", .start = 300, .end = 300})
        .Sample({.name = "Backwards", .start = 500, .end = 400, .type = 2})
        .Sample({.name = std::string("Caf\xE9", 4),
                 .start = 0,
                 .end = 10,
                 .rate = 22050,
                 .pitch = 200,
                 .type = 0x8003});
    b.Instrument({"Strings", {}})
        .Instrument({"Organ", {{{SampleId(1)}}}})
        .Instrument(
            {"Piano",
             {{{KeyRange(0, 60), SampleId(0)}}, {{Gen(17, -250), Gen(99, 7), SampleId(3)}}}});
    b.Preset({"Piano Bright", 3, 128, {{{KeyRange(36, 96), InstrumentId(2)}}, {}}})
        .Preset({"Piano", 7, 0, {{{InstrumentId(9)}}}})
        .Preset({"Piano", 8, 1, {}});
    b.SamplePoints(std::vector<std::int16_t>(5100, 0));
    return b;
}

TEST(NodeDetails, NodesWithoutAViewGiveNothing) {
    const Loaded f = LoadBytes(BrowsingFile().Build());
    for (const char* key : {"node1", "nodeI", "nodeI3", "nodex1", "Pgene1", ""}) {
        const NodeDetails d = BuildNodeDetails(key, f.model);
        EXPECT_TRUE(d.columns.empty()) << key;
        EXPECT_TRUE(d.rows.empty()) << key;
    }
    EXPECT_TRUE(BuildNodeDetails(std::nullopt, f.model).columns.empty());
}

TEST(NodeDetails, ColumnSetsHaveTheirTitlesWidthsAndAlignments) {
    const Loaded f = LoadBytes(BrowsingFile().Build());
    const NodeDetails preset = BuildNodeDetails("nodeP1", f.model);
    EXPECT_EQ(Titles(preset), (Cells{"Bank", "Preset", "PBAG"}));
    const NodeDetails gens = BuildNodeDetails("PGene1", f.model);
    EXPECT_EQ(Titles(gens), (Cells{"Gen Nr", "Generator", "Amount"}));
    EXPECT_EQ(gens.columns[1].width, 2200);
    EXPECT_EQ(gens.columns[1].alignment, Alignment::Left);
    EXPECT_EQ(gens.columns[2].width, 1800);
    EXPECT_EQ(gens.columns[2].alignment, Alignment::Right);
    const NodeDetails sample = BuildNodeDetails("nodeS1", f.model);
    EXPECT_EQ(Titles(sample),
              (Cells{"Type", "Size", "Start loop", "End loop", "Rate Hz", " Root Key"}));
    for (const NodeDetails* d : {&preset, &sample}) {
        for (const DetailColumn& c : d->columns) {
            EXPECT_EQ(c.width, 900) << c.title;
            EXPECT_EQ(c.alignment, Alignment::Right) << c.title;
        }
    }
}

TEST(NodeDetails, PresetViewShowsThePresetNumberedInTheKey) {
    const Loaded f = LoadBytes(BrowsingFile().Build());
    EXPECT_EQ(Rows(BuildNodeDetails("nodeP1", f.model)), (std::vector<Cells>{{"128", "3", "0"}}));
    // "Piano" must not find the earlier "Piano Bright", nor its twin the other.
    EXPECT_EQ(Rows(BuildNodeDetails("nodeP2", f.model)), (std::vector<Cells>{{"0", "7", "2"}}));
    EXPECT_EQ(Rows(BuildNodeDetails("nodeP3", f.model)), (std::vector<Cells>{{"1", "8", "3"}}));
    for (const char* key : {"nodeP", "nodeP0", "nodeP4", "nodeP99999999999"}) {
        const NodeDetails d = BuildNodeDetails(key, f.model);
        EXPECT_EQ(d.columns.size(), 3u) << key;
        EXPECT_TRUE(d.rows.empty()) << key;
    }
}

TEST(NodeDetails, GeneratorListNamesEachGeneratorAndItsValue) {
    const Loaded f = LoadBytes(BrowsingFile().Build());
    EXPECT_EQ(
        Rows(BuildNodeDetails("PGene1", f.model)),
        (std::vector<Cells>{{"1", "KeyRange", "C1 - C6 / 36 - 96"}, {"2", "instrument", "Piano"}}));
    EXPECT_TRUE(BuildNodeDetails("PGene2", f.model).rows.empty());  // a zone without generators
    // An instrument reference the file lacks leaves the value empty.
    EXPECT_EQ(Rows(BuildNodeDetails("PGene3", f.model)),
              (std::vector<Cells>{{"1", "instrument", ""}}));
    // Instrument zones count their generators on from the zones before them;
    // a generator above 60 has no name but still its amount.
    EXPECT_EQ(
        Rows(BuildNodeDetails("IGene3", f.model)),
        (std::vector<Cells>{{"1", "pan", "-250"}, {"2", "", "7"}, {"3", "SampleID", "Caf\xE9"}}));
    EXPECT_EQ(Rows(BuildNodeDetails("IGene1", f.model)),
              (std::vector<Cells>{{"1", "SampleID", "Empty"}}));
    EXPECT_EQ(Rows(BuildNodeDetails("IGene2", f.model)),
              (std::vector<Cells>{{"1", "KeyRange", "C-2 - C3 / 0 - 60"},
                                  {"2", "SampleID", "Piano C4"}}));
    EXPECT_TRUE(BuildNodeDetails("IGene4", f.model).rows.empty());
    EXPECT_TRUE(BuildNodeDetails("PGene0", f.model).rows.empty());
}

TEST(NodeDetails, GeneratorListFollowsZonesWhenTheFirstZoneDoesNotStartAtZero) {
    std::string file = BrowsingFile().Build();
    // Move every preset zone's generator index on by 5; the records stay put.
    const std::size_t pbag = FindChunk(file, "pbag") + 8;
    for (std::size_t zone = 0; zone < 4; ++zone) {
        const std::size_t at = pbag + 4 * zone;
        const auto gen = static_cast<std::uint16_t>(static_cast<unsigned char>(file[at]) |
                                                    static_cast<unsigned char>(file[at + 1]) << 8);
        PutWord(file, at, static_cast<std::uint16_t>(gen + 5));
    }
    const Loaded f = LoadBytes(file);
    EXPECT_EQ(
        Rows(BuildNodeDetails("PGene1", f.model)),
        (std::vector<Cells>{{"1", "KeyRange", "C1 - C6 / 36 - 96"}, {"2", "instrument", "Piano"}}));
    EXPECT_EQ(Rows(BuildNodeDetails("PGene3", f.model)),
              (std::vector<Cells>{{"1", "instrument", ""}}));
}

TEST(NodeDetails, SampleViewShowsHeadersOfSamplesWithPoints) {
    const Loaded f = LoadBytes(BrowsingFile().Build());
    EXPECT_EQ(Rows(BuildNodeDetails("nodeS1", f.model)),
              (std::vector<Cells>{{"mono", "4000", "1200", "4800", "44100", "60"}}));
    EXPECT_EQ(Rows(BuildNodeDetails("nodeS4", f.model)),
              (std::vector<Cells>{{"ROM", "10", "0", "0", "22050", "200"}}));
    // No points, or an end before the start: the columns and no row.
    for (const char* key : {"nodeS2", "nodeS3", "nodeS", "nodeS5"}) {
        const NodeDetails d = BuildNodeDetails(key, f.model);
        EXPECT_EQ(d.columns.size(), 6u) << key;
        EXPECT_TRUE(d.rows.empty()) << key;
    }
}

TEST(NodeDetails, SampleTypeWords) {
    EXPECT_EQ(SampleTypeWord(1), "mono");
    EXPECT_EQ(SampleTypeWord(2), "right");
    EXPECT_EQ(SampleTypeWord(4), "left");
    EXPECT_EQ(SampleTypeWord(8), "link");
    EXPECT_EQ(SampleTypeWord(0x8001), "ROM");
    EXPECT_EQ(SampleTypeWord(0x8008), "ROM");
    for (const std::uint16_t other : {0, 3, 16, 0x8000, 0x8009, 0xFFFF}) {
        EXPECT_EQ(SampleTypeWord(other), "") << other;
    }
}

TEST(NodeDetails, EveryNodeOfARealFileGivesRowsAsWideAsTheColumns) {
    const std::filesystem::path path =
        std::filesystem::path(ZELVO_SOUNDFONT_DIR) / "FluidR3_GS.sf2";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    SoundFontModel model;
    MemoryTree tree;
    OpenSoundFont(model, path.string(), tree);
    std::size_t rows = 0;
    for (const MemoryTree::Node& node : tree.nodes()) {
        const NodeDetails d = BuildNodeDetails(node.key, model);
        for (const DetailRow& r : d.rows) {
            ASSERT_EQ(r.cells.size(), d.columns.size()) << node.key;
            EXPECT_FALSE(r.cells[0].empty()) << node.key;
        }
        rows += d.rows.size();
    }
    EXPECT_GT(rows, static_cast<std::size_t>(model.PresetCount + model.SampleCount));
}

struct CliRun {
    int status;
    std::string out, err;
};

CliRun Details(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    std::vector<std::string> all{"details"};
    all.insert(all.end(), args.begin(), args.end());
    const int status = cli::RunCli(all, out, err);
    return {status, out.str(), err.str()};
}

TEST(DetailsCommand, PrintsTitlesThenRowsTabSeparatedInUtf8) {
    const TempFile file(BrowsingFile().Build());
    CliRun run = Details({file.path().string(), "IGene3"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Gen Nr\tGenerator\tAmount\n1\tpan\t-250\n2\t\t7\n3\tSampleID\tCaf\xC3\xA9\n");
    run = Details({file.path().string(), "nodeS"});
    EXPECT_EQ(run.out, "Type\tSize\tStart loop\tEnd loop\tRate Hz\t Root Key\n");
    run = Details({file.path().string(), "nodeI2"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
}

TEST(DetailsCommand, RejectsKeysNotInTheTreeAndFilesItCannotRead) {
    const TempFile file(BrowsingFile().Build());
    for (const char* key : {"nodeS9", "PGene", "nodep1", "garbage"}) {
        const CliRun run = Details({file.path().string(), key});
        EXPECT_EQ(run.status, 2) << key;
        EXPECT_EQ(run.out, "") << key;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << key;
    }
    EXPECT_EQ(Details({file.path().string()}).status, 2);
    EXPECT_EQ(Details({(file.folder() / "missing.sf2").string(), "node1"}).status, 1);
}

}  // namespace
}  // namespace zelvo::testing
