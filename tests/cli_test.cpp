// SPDX-License-Identifier: GPL-3.0-or-later
// zelvo-cli's commands, file names, messages and exit status.
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <regex>

#include "allocation_limit.h"
#include "cli_process.h"
#include "export/unique_names.h"

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
    "Sample \"Rom\" of instrument \"Rom\" lies in ROM, not in this file, so it "
    "cannot be exported.\n";

// Each fault is one line: a wrong command line's before the usage (status 2),
// a file's or an instrument's naming the file (status 1).
TEST(Cli, EachFaultIsNamedInOneLineWithItsStatus) {
    const TempFile sf2(BankFile(), "bank.sf2");
    std::string cut = LatinFile(), wave = LatinFile();
    cut.resize(cut.size() - 10);
    wave.replace(8, 4, "WAVE");
    const TempFile truncated(cut, "cut.sf2"), notSf2(wave, "wave.sf2");
    const std::string p = sf2.path().string(), in = "zelvo-cli: " + p + ": ", folder = sf2.folder().string();
    const std::string range = " in this SoundFont; its instruments are numbered 1 to 7.\n";
    const std::string none = "zelvo-cli: cannot open /nonexistent/x.sf2: No such file or directory\n";
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{}, 2, "zelvo-cli: no command given\n"},
        {{"frobnicate", p}, 2, "zelvo-cli: unknown command 'frobnicate'\n"},
        {{"tree"}, 2, "zelvo-cli: tree: expects 1 argument, not 0\n"},
        {{"info", "a", "b"}, 2, "zelvo-cli: info: expects 1 argument, not 2\n"},
        {{"export", p}, 2, "zelvo-cli: export: expects 2 or 3 arguments, not 1\n"},
        {{"export", p, "1", "a", "b"}, 2, "zelvo-cli: export: expects 2 or 3 arguments, not 4\n"},
        {{"export", p, "-1"}, 2, "zelvo-cli: export: instrument must be a number from 1 to 7, not \"-1\"\n"},
        {{"report", p, "1x"}, 2, "zelvo-cli: report: instrument must be a number from 1 to 7, not \"1x\"\n"},
        {{"export", p, ""}, 2, "zelvo-cli: export: instrument must be a number from 1 to 7, not \"\"\n"},
        {{"export", p, "1", "--all"}, 2, "zelvo-cli: export: unknown or misplaced option '--all'\n"},
        {{"export", "--all", p, "d"}, 2, "zelvo-cli: export: unknown or misplaced option '--all'\n"},
        {{"info", "-v"}, 2, "zelvo-cli: info: unknown or misplaced option '-v'\n"},
        {{"inspect", "a.s1m", "b"}, 2, "zelvo-cli: inspect: expects 1 argument, not 2\n"},
        {{"details", p, "nodeS9"}, 2, "zelvo-cli: details: " + p + " has no tree node nodeS9\n"},
        {{"export", p, "--preset", "x"}, 2, "zelvo-cli: export: a preset is BANK:PROGRAM, not \"x\"\n"},
        {{"report", p, "--preset", "0:0", "--as-stored"}, 2, "zelvo-cli: report: --as-stored does not apply to --preset\n"},
        {{"export", p, "--all-presets", "d", "--as-stored"}, 2,
         "zelvo-cli: export: --as-stored does not apply to --all-presets\n"},
        {{"export", p, "--all", "d", "--jobs", "0"}, 2,
         "zelvo-cli: export: --jobs takes a number of threads from 1 to 256, not \"0\"\n"},
        {{"export", p, "--all", "d", "--jobs", "257"}, 2,
         "zelvo-cli: export: --jobs takes a number of threads from 1 to 256, not \"257\"\n"},
        {{"report", p, "1", "--clipping"}, 2, "zelvo-cli: report: --clipping applies to the whole-bank report only\n"},
        {{"export", p, "0"}, 1, in + "There is no instrument 0" + range},
        {{"report", p, "8"}, 1, in + "There is no instrument 8" + range},
        {{"report", p, "099999999999", "--json"}, 1, in + "There is no instrument 099999999999" + range},
        {{"report", p, "6"}, 1, in + kRomRefusal},
        {{"report", p}, 1, in + "Instrument has no samples\n" + in + kRomRefusal},
        {{"report", p, "--preset", "0:9"}, 1, in + "there is no preset 0:9 in this SoundFont\n"},
        {{"tree", "/nonexistent/x.sf2"}, 1, none},
        {{"export", "/nonexistent/x.sf2", "x"}, 1, none},
        {{"tree", folder}, 1, "zelvo-cli: cannot open " + folder + ": it is a folder, not a regular file\n"},
        {{"inspect", "/dev/null"}, 1, "zelvo-cli: cannot open /dev/null: it is a character device, not a regular file\n"},
        {{"info", truncated.path()}, 1, "zelvo-cli: " + truncated.path().string() + ": Error in SoundFont File: "},
        {{"tree", notSf2.path()}, 1, "zelvo-cli: " + notSf2.path().string() + ": Error in SoundFont File: "},
        {{"inspect", p}, 1, in + "Not a valid EX5/7 wave file: it does not begin with"}};
    for (const auto& [args, status, message] : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, status) << ::testing::PrintToString(args);
        EXPECT_EQ(run.err.substr(0, message.size()), message);
        const std::string after = run.err.substr(std::min(message.size(), run.err.size()));
        EXPECT_TRUE(status == 2 ? after.starts_with("usage: zelvo-cli") : after.find("usage:") == std::string::npos);
        if (args.size() > 1 && args[1] == p && args[0] != "report") {
            EXPECT_EQ(run.out, "");
        }
    }
    const CliRun version = Cli({"--version"});
    EXPECT_EQ(std::make_pair(Cli({"--help"}).status, version.status), std::make_pair(0, 0));
    EXPECT_TRUE(std::regex_search(version.out, std::regex("^zelvo-cli \\d+\\.\\d+\\.\\d+\n[\\s\\S]*GPL-3.0-or-later")))
        << version.out;
}

TEST(ExportCli, ExportsOneInstrumentOrAllUnderSafeUniqueNamesOrRefusesWritingNothing) {
    const TempFile sf2(BankFile(), "bank.sf2");
    const std::string path = sf2.path().string(), out = (sf2.folder() / "chosen").string();
    for (const char* number : {"0", "5", "6"}) EXPECT_EQ(Cli({"export", path, number, out}).status, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(sf2.folder()), {}), 1);  // the SoundFont

    const CliRun beside = Cli({"export", path, "3"});
    const std::string proposed = (sf2.folder() / "A_B_C_\xC3\xA9.s1m").string();
    EXPECT_EQ(std::make_tuple(beside.status, beside.out),
              std::make_tuple(0, "File  " + proposed + "  was saved\n"));
    EXPECT_EQ(ReadWholeFile(proposed).size(), 69766u + 200);
    const CliRun chosen = Cli({"export", path, "1", out});
    EXPECT_EQ(std::make_tuple(chosen.status, chosen.out),
              std::make_tuple(0, "File  " + out + "  was saved\n"));
    EXPECT_EQ(ReadWholeFile(out).substr(4230, 8), "Piano   ");  // the key map's name

    // --all writes every instrument with zones, under safe unique names, on
    // as many threads as asked for.
    const fs::path folder = sf2.folder() / "new" / "waves";
    const CliRun r = Cli({"export", path, "--all", folder.string(), "--jobs", "256"});
    EXPECT_EQ(std::make_pair(r.status, r.err), std::make_pair(1, "zelvo-cli: " + path + ": " + kRomRefusal));
    std::string saved;
    for (const char* file : {"Piano.s1m", "Piano (2).s1m", "A_B_C_\xC3\xA9.s1m", "Piano (3).s1m", "Piano (2) (2).s1m"})
        saved += "File  " + (folder / file).string() + "  was saved\n";
    EXPECT_EQ(r.out, saved);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 5);

    const TempFile latin(LatinFile());
    const CliRun all = Cli({"export", latin.path().string(), "--all", latin.folder().string()});
    EXPECT_EQ(std::make_tuple(all.status, all.err), std::make_tuple(0, ""));
    EXPECT_TRUE(fs::exists(latin.folder() / "Inst.s1m"));
}

// Names no terminal line or file name can take as they are, and Latin-1 texts.
std::string StrangeNamesFile() {
    Sf2Builder b;
    b.Info("INAM", "Bank\tName\xE9").Info("ICMT", "One\r\nTwo\tThree\x1B[0m\x85");
    b.Sample({.name = "Esc\x1B\x9B\n", .end = 10}).SamplePoints(std::vector<std::int16_t>(10, 1));
    for (const char* name : {"Line\nBreak", "Tab\tName", "\x1B[31mRed", "A/B", "", ".", "..",
                             " . ", "Caf\xC3\xA9", "Caf\xE9", "Next\x85Line"})
        b.Instrument({name, {{{SampleId(0)}}}});
    return b.Preset({"Pre\nset", 0, 0, {{{Gen(99, 7), InstrumentId(0)}}}}).Build();
}

TEST(Cli, ControlCharactersArePrintedEscapedLatin1AsUtf8AndNeitherReachesAFileName) {
    const TempFile sf2(StrangeNamesFile());
    const std::string path = sf2.path().string();
    const std::string tree = Cli({"tree", path}).out;
    EXPECT_EQ(std::count(tree.begin(), tree.end(), '\n'), 1 + 3 + (1 + 2 * 11) + 2 + 1);
    EXPECT_TRUE(tree.ends_with("\n 1 presets,  11 instruments,  1 samples\n"));
    for (const char* line : {"\n    nodeP1\tPre\\x0Aset\n      PGene1\tLine\\x0ABreak\n",
                             "\n    nodeI1\tLine\\x0ABreak\n",
                             "\n    nodeI2\tTab\\x09Name\n", "\n    nodeI3\t\\x1B[31mRed\n",
                             "\n    nodeI9\tCaf\xC3\xA9\n", "\n    nodeI10\tCaf\xC3\xA9\n",
                             "\n    nodeI11\tNext\\x85Line\n", "\n    nodeS1\tEsc\\x1B\\x9B\\x0A\n"}) {
        EXPECT_NE(tree.find(line), std::string::npos) << line;
    }
    // Details: titles and rows tab-separated, a generator without a name an empty cell.
    EXPECT_EQ(Cli({"details", path, "PGene1"}).out,
              "Gen Nr\tGenerator\tAmount\n1\t\t7\n2\tinstrument\tLine\\x0ABreak\n");
    EXPECT_EQ(Cli({"details", path, "nodeI1"}).out, "");  // a node without details
    for (const char* key : {"nodeS9", "PGene", "nodep1"}) EXPECT_EQ(Cli({"details", path, key}).status, 2) << key;
    const std::string info = Cli({"info", path}).out;
    EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 12 + 1);  // the comment keeps its line break
    EXPECT_NE(info.find("\nBank Name: Bank\tName\xC3\xA9\n"), std::string::npos);
    EXPECT_TRUE(info.ends_with("\nComments: One\r\nTwo\tThree\\x1B[0m\\x85\n"));
    std::string bank;
    int i = 0;
    for (const char* name : {"Line\\x0ABreak", "Tab\\x09Name", "\\x1B[31mRed", "A/B", "", ".", "..",
                             " . ", "Caf\xC3\xA9", "Caf\xC3\xA9", "Next\\x85Line"})
        bank += std::to_string(++i) + "\t" + name + "\t1\t1\t69786\t0\tok\n";
    EXPECT_EQ(Cli({"report", path}).out, bank);
    const std::string one = Cli({"report", path, "1"}).out;
    EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 5) << one;
    EXPECT_TRUE(one.ends_with("\nPreset \"Pre\\x0Aset\" (bank 0, program 0) adds: generator 99\n")) << one;
    EXPECT_TRUE(one.starts_with("Instrument 1 \"Line\\x0ABreak\": 1 zones, 1 samples, 1 entries, 0 warnings, "
                                "ok\nOutput: "));
    EXPECT_NE(one.find("\nSample 1 \"Esc\\x1B\\x9B\\x0A\" as \"Esc\\x1B\\x9B\\x0A\": PCM 16-bit, "), std::string::npos);
    const auto json = nlohmann::json::parse(Cli({"report", path, "1", "--json"}).out);
    EXPECT_EQ(json["name"], "Line\nBreak");
    EXPECT_EQ(json["sample_reports"][0]["name"], "Esc\x1B\xC2\x9B\n");

    const CliRun dots = Cli({"export", path, "7"});
    EXPECT_EQ(dots.out, "File  " + (sf2.folder() / "Instrument 7.s1m").string() + "  was saved\n");
    EXPECT_EQ(Cli({"export", path, "7", path + "\n\x1B"}).out, "File  " + path + "\\x0A\\x1B  was saved\n");
    EXPECT_EQ(Cli({"info", path + "\x9B"}).err,
              "zelvo-cli: cannot open " + path + "\\x9B: No such file or directory\n");
    const fs::path all = sf2.folder() / "all";
    EXPECT_EQ(Cli({"export", path, "--all", all.string()}).status, 0);
    EXPECT_EQ(FileNames(all), (std::vector<std::string>{
                         "A_B.s1m", "Caf\xC3\xA9 (2).s1m", "Caf\xC3\xA9.s1m", "Instrument 5.s1m",
                         "Instrument 6.s1m", "Instrument 7.s1m", "Instrument 8.s1m",
                         "Line_Break.s1m", "Next_Line.s1m", "Tab_Name.s1m", "_[31mRed.s1m"}));
}

// Memory runs out in the middle of a load of 40,000 samples.
TEST(Cli, RunningOutOfMemoryWhileLoadingIsReported) {
    Sf2Builder b;
    for (int s = 0; s < 40000; ++s) b.Sample({.name = "S" + std::to_string(s)});
    const TempFile sf2(b.Build());
    CliRun run;
    {
        const AllocationLimit limit(512 * 1024);
        run = Cli({"tree", sf2.path()});
    }
    EXPECT_EQ(std::make_tuple(run.status, run.out, run.err),
              std::make_tuple(1, "", "zelvo-cli: not enough memory to load " + sf2.path().string() + "\n"));
    EXPECT_EQ(Cli({"tree", sf2.path()}).status, 0);
}

// A name is taken only once its export is written, and a number already
// taken is skipped.
TEST(ExportCli, RepeatedNamesAreNumberedFromTheFreeNumbers) {
    UniqueNames names;
    names.Take("Piano (3)", names.Propose("Piano (3)"));
    std::vector<std::string> given;
    for (int i = 0; i < 4; ++i) {
        const NameChoice choice = names.Propose("Piano");
        if (i != 1) names.Take("Piano", choice);  // the second export fails
        given.push_back(choice.name);
    }
    EXPECT_EQ(given, (std::vector<std::string>{"Piano", "Piano (2)", "Piano (2)", "Piano (4)"}));
}

TEST(CliProgram, SpecialFilesAreRefusedAtOnceAndFullDisksAreErrors) {
    const TempFile sf2(BankFile());
    const fs::path fifo = sf2.folder() / "fifo.sf2", out = sf2.folder() / "out.s1m";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const char* command : {"tree", "inspect"}) {
        const ProgramRun piped = RunProgram({command, fifo}, "/dev/null");
        EXPECT_EQ(std::make_tuple(piped.status, piped.err),
                  std::make_tuple(1, "zelvo-cli: cannot open " + fifo.string() +
                                         ": it is a FIFO, not a regular file\n")) << command;
        EXPECT_LT(piped.seconds, 1.0) << command;
    }

    for (const std::vector<std::string>& args : {std::vector<std::string>{"tree", sf2.path()}, {"--help"}}) {
        const ProgramRun full = RunProgram(args, "/dev/full");
        EXPECT_EQ(std::make_tuple(full.status, full.err),
                  std::make_tuple(1, "zelvo-cli: cannot write the output: No space left on device\n"));
    }

    std::ofstream(out) << "old";
    const ProgramRun limited = RunProgram({"export", sf2.path(), "1", out}, "/dev/null", 50000);
    EXPECT_EQ(std::make_tuple(limited.status, limited.err),
              std::make_tuple(1, "zelvo-cli: " + sf2.path().string() + ": Cannot write " + out.string() +
                                     ": File too large\n"));
    EXPECT_EQ(ReadWholeFile(out), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(sf2.folder()), {}), 3);
}

// Keys as note names and numbers, stored pan and tunes (coarse -12 is 52,
// fine +50 is 96), loops in points.
TEST(InspectCli, PrintsAnExportedWaveOrRefusesItDamaged) {
    Sf2Builder b;
    b.Sample({.name = "Tone", .end = 100, .startLoop = 10, .endLoop = 90, .pitch = 69});
    b.Sample({.name = "Bell", .start = 146, .end = 196, .startLoop = 150, .endLoop = 190, .pitch = 84});
    b.Instrument({"Piano", {{{KeyRange(21, 59), VelRange(0, 127), Pan(250), SampleModes(1), SampleId(0)}},
                           {{KeyRange(60, 108), VelRange(64, 127), CoarseTune(-12), FineTune(50), SampleId(1)}}}});
    const TempFile sf2(b.SamplePoints(std::vector<std::int16_t>(200, 3)).Build());
    const std::string wave = (sf2.folder() / "piano.s1m").string();
    ASSERT_EQ(Cli({"export", sf2.path().string(), "1", wave}).status, 0);
    const CliRun run = Cli({"inspect", wave});
    EXPECT_EQ(std::make_tuple(run.status, run.err), std::make_tuple(0, ""));
    EXPECT_EQ(run.out, "key map\tPiano\n"
                       "entry\tkeys\tvelocities\tsample\tpan\tcoarse tune\tfine tune\n"
                       "1\tA-1 - B2 / 21 - 59\t0 - 127\t1\t96\t64\t64\n"
                       "2\tC3 - C7 / 60 - 108\t64 - 127\t2\t64\t52\t96\n"
                       "\nsample\tname\tloop start\tloop length\tloop\troot key\tsize\n"
                       "1\tTone\t10\t80\ton\tA3 / 69\t200\n"
                       "2\tBell\t4\t40\toff\tC5 / 84\t100\n");

    fs::resize_file(wave, 69766 + 200 + 99);
    const CliRun cut = Cli({"inspect", wave});
    EXPECT_EQ(std::make_tuple(cut.status, cut.out, cut.err),
              std::make_tuple(1, "", "zelvo-cli: " + wave + ": Not a valid EX5/7 wave file: the file ends after "
                                     "70065 bytes, inside the points of sample 2, which its size slot puts at "
                                     "69966 to 70066 (at byte offset 70065)\n"));
}

}  // namespace
}  // namespace zelvo::testing
