// zelvo-cli's commands, file names, messages and exit status, and its output
// for packaged SoundFonts against facts read off the files by hand.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "load_helpers.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out, err;
};

CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::string LatinFile() {
    Sf2Builder b;
    b.Info("INAM", "Caf\xE9").Sample({.name = "S\xF8ren", .end = 2}).SamplePoints({1, 2});
    b.Instrument({"Inst", {{{SampleId(0)}}}}).Preset({"Pr\xE9set", 0, 0, {{{InstrumentId(0)}}}});
    return b.Build();
}

// Instruments whose names clash or hold characters no file name may, one
// without zones and one whose sample lies in ROM.
std::string BankFile() {
    Sf2Builder b;
    b.Sample({.name = "Tone", .end = 100}).Sample({.name = "Rom", .end = 100, .type = 0x8001});
    for (const char* name : {"Piano", "Piano", "A/B:C?\xE9", "Piano"})
        b.Instrument({name, {{{SampleId(0)}}}});
    b.Instrument({"Silent", {}}).Instrument({"Rom", {{{SampleId(1)}}}});
    b.Instrument({"Piano (2)", {{{SampleId(0)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(200, 5)).Build();
}

constexpr const char* kRomRefusal =
    "zelvo-cli: Sample \"Rom\" of instrument \"Rom\" lies in ROM, not in this file, so it "
    "cannot be exported.\n";

TEST(Cli, TreeAndInfoPrintLatin1TextsAsUtf8) {
    const TempFile file(LatinFile(), "Latin.sf2");
    CliRun run = Cli({"tree", file.path()});
    EXPECT_NE(run.out.find("\n    nodeP1\tPr\xC3\xA9set\n      PGene1\tInst\n"), std::string::npos);
    EXPECT_TRUE(run.out.ends_with("\tS\xC3\xB8ren\n 1 presets,  1 instruments,  1 samples\n"));
    run = Cli({"info", file.path()});
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 12);
    EXPECT_NE(run.out.find("\nBank Name: Caf\xC3\xA9\n"), std::string::npos);
}

TEST(Cli, WrongCommandLinesAreUsageErrors) {
    // clang-format off
    const std::vector<std::string> lines[] = {
        {}, {"frobnicate"}, {"tree"}, {"info", "a", "b"}, {"export", "x.sf2"},
        {"export", "x", "1", "a", "b"}, {"export", "x", "x"}, {"export", "x", "-1"},
        {"export", "x", "1x"}, {"export", "x", ""}, {"details", "x"}, {"inspect"},
        {"inspect", "a.s1m", "b"}};
    // clang-format on
    for (const std::vector<std::string>& args : lines) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("usage: zelvo-cli"), std::string::npos);
    }
    EXPECT_EQ(Cli({"--help"}).status, 0);
}

TEST(Cli, UnreadableAndMalformedFilesExitWithOne) {
    const TempFile somewhere(LatinFile());
    std::string cut = LatinFile(), wave = LatinFile();
    cut.resize(cut.size() - 10);
    wave.replace(8, 4, "WAVE");
    const TempFile truncated(cut, "cut.sf2"), notSf2(wave, "wave.sf2");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"tree", "/nonexistent/x.sf2"}, "No such file or directory"},
        {{"tree", somewhere.folder()}, "Is a directory"},
        {{"info", truncated.path()}, "Error in SoundFont File"},
        {{"tree", notSf2.path()}, "Error in SoundFont File"},
        {{"export", "/nonexistent/x.sf2", "1"}, "No such file or directory"},
        {{"inspect", "/nonexistent/x.s1m"}, "No such file or directory"},
        {{"inspect", somewhere.path()}, "Not a valid EX5/7 wave file: it does not begin with"}};
    for (const auto& [args, message] : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 1);
        const std::size_t at = run.err.find(message);
        // The reader's messages begin with their prefix; the system's reasons follow a path.
        EXPECT_TRUE(message[0] == 'E' ? at == 0 : at != std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(ExportCli, ExportsOneInstrumentBesideTheSoundFontOrToOutOrRefusesWritingNothing) {
    const TempFile sf2(BankFile(), "bank.sf2");
    const std::string path = sf2.path().string(), out = (sf2.folder() / "chosen").string();
    const std::vector<std::pair<std::string, std::string>> failures = {
        {"0", "zelvo-cli: There is no instrument 0 in this SoundFont.\n"},
        {"99999999999", "zelvo-cli: There is no instrument 2147483647 in this SoundFont.\n"},
        {"5", "zelvo-cli: Instrument has no samples\n"},
        {"6", kRomRefusal}};
    for (const auto& [number, message] : failures) {
        const CliRun r = Cli({"export", path, number, out});
        EXPECT_EQ(std::make_tuple(r.status, r.err, r.out), std::make_tuple(1, message, ""))
            << number;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(sf2.folder()), {}), 1);  // the SoundFont

    const CliRun beside = Cli({"export", path, "3"});
    const std::string proposed = (sf2.folder() / "A_B:C?\xC3\xA9.s1m").string();
    EXPECT_EQ(std::make_tuple(beside.status, beside.out),
              std::make_tuple(0, "File  " + proposed + "  was saved\n"));
    EXPECT_EQ(ReadWholeFile(proposed).size(), 69766u + 200);
    const CliRun chosen = Cli({"export", path, "1", out});
    EXPECT_EQ(std::make_tuple(chosen.status, chosen.out),
              std::make_tuple(0, "File  " + out + "  was saved\n"));
    EXPECT_EQ(ReadWholeFile(out).substr(4230, 8), "Piano   ");  // the key map's name
}

TEST(ExportCli, AllWritesEveryInstrumentWithZonesUnderSafeUniqueNames) {
    const TempFile sf2(BankFile(), "bank.sf2");
    const fs::path folder = sf2.folder() / "new" / "waves";
    const CliRun r = Cli({"export", sf2.path().string(), "--all", folder.string()});
    EXPECT_EQ(r.status, 1);  // the ROM instrument is refused, the others are written
    EXPECT_EQ(r.err, kRomRefusal);
    std::string saved;
    for (const char* file : {"Piano.s1m", "Piano (2).s1m", "A_B_C_\xC3\xA9.s1m", "Piano (3).s1m",
                             "Piano (2) (2).s1m"}) {
        saved += "File  " + (folder / file).string() + "  was saved\n";
    }
    EXPECT_EQ(r.out, saved);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 5);

    const TempFile latin(LatinFile());
    const CliRun all = Cli({"export", latin.path().string(), "--all", latin.folder().string()});
    EXPECT_EQ(std::make_tuple(all.status, all.err), std::make_tuple(0, ""));
    EXPECT_TRUE(fs::exists(latin.folder() / "Inst.s1m"));
}

// Keys as note names and numbers, stored pan and tunes, loops in points.
TEST(InspectCli, PrintsAnExportedWaveOrRefusesItDamaged) {
    Sf2Builder b;
    b.Sample({.name = "Tone", .end = 100, .startLoop = 10, .endLoop = 90, .pitch = 69});
    b.Sample(
        {.name = "Bell", .start = 146, .end = 196, .startLoop = 150, .endLoop = 190, .pitch = 84});
    b.Instrument(
        {"Piano",
         {{{KeyRange(21, 59), VelRange(0, 127), Gen(17, 250), Gen(54, 1), SampleId(0)}},
          {{KeyRange(60, 108), VelRange(64, 127), Gen(51, -12), Gen(52, 50), SampleId(1)}}}});
    const TempFile sf2(b.SamplePoints(std::vector<std::int16_t>(200, 3)).Build());
    const std::string wave = (sf2.folder() / "piano.s1m").string();
    ASSERT_EQ(Cli({"export", sf2.path().string(), "1", wave}).status, 0);
    const CliRun run = Cli({"inspect", wave});
    EXPECT_EQ(std::make_tuple(run.status, run.err), std::make_tuple(0, ""));
    EXPECT_EQ(run.out,
              "key map\tPiano\n"
              "entry\tkeys\tvelocities\tsample\tpan\tcoarse tune\tfine tune\n"
              "1\tA-1 - B2 / 21 - 59\t0 - 127\t1\t96\t64\t64\n"
              "2\tC3 - C7 / 60 - 108\t64 - 127\t2\t64\t56\t96\n"
              "\n"
              "sample\tname\tloop start\tloop length\tloop\troot key\tsize\n"
              "1\tTone\t10\t80\ton\tA3 / 69\t200\n"
              "2\tBell\t4\t40\toff\tC5 / 84\t100\n");

    fs::resize_file(wave, 69766 + 200 + 99);
    const CliRun cut = Cli({"inspect", wave});
    EXPECT_EQ(
        std::make_tuple(cut.status, cut.out, cut.err),
        std::make_tuple(1, "",
                        "Not a valid EX5/7 wave file: the file ends after 70065 bytes, inside "
                        "the points of sample 2, which its size slot puts at 69966 to 70066 "
                        "(at byte offset 70065): " +
                            wave + "\n"));
}

// Read off the files with a hex viewer.
TEST(RealSoundFontFacts, TimGM6mbTree) {
    const std::string path = std::string(ZELVO_SOUNDFONT_DIR) + "/TimGM6mb.sf2";
    if (!fs::exists(path)) GTEST_SKIP() << path << " is not installed";
    const std::string tree = Cli({"tree", path}).out;
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
    const std::string path = std::string(ZELVO_SOUNDFONT_DIR) + "/FluidR3_GM.sf2";
    if (!fs::exists(path)) GTEST_SKIP() << path << " is not installed";
    EXPECT_EQ(Cli({"info", path}).out,
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
