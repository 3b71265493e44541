// zelvo-cli export: file names, messages and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "sf2_builder.h"
#include "wave_file_view.h"

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::set<std::string> FilesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

std::string BankFile() {
    Sf2Builder b;
    b.Sample({.name = "Tone", .start = 0, .end = 100})
        .Sample({.name = "Rom", .start = 0, .end = 100, .type = 0x8001})
        .SamplePoints(std::vector<std::int16_t>(200, 5));
    for (const char* name : {"Piano", "Piano", "A/B:C?", "Piano"}) {
        b.Instrument({name, {{{SampleId(0)}}}});
    }
    b.Instrument({"Silent", {}}).Instrument({"Rom", {{{SampleId(1)}}}});
    b.Instrument({"Piano (2)", {{{SampleId(0)}}}});
    return b.Build();
}

TEST(ExportCli, ExportsOneInstrumentBesideTheSoundFontOrToOut) {
    const TempFile sf2(BankFile(), "bank.sf2");
    const std::string path = sf2.path().string();
    const CliRun beside = Cli({"export", path, "3"});
    const std::string proposed = (sf2.folder() / "A_B:C?.s1m").string();
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.out, "File  " + proposed + "  was saved\n");
    EXPECT_EQ(ReadWholeFile(proposed).size(), 69766u + 200);

    const std::string out = (sf2.folder() / "chosen").string();
    const CliRun chosen = Cli({"export", path, "1", out});
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.out, "File  " + out + "  was saved\n");
    EXPECT_EQ(ParseWave(ReadWholeFile(out)).keyMapName, "Piano   ");
}

TEST(ExportCli, MessagesAndExitStatus) {
    const TempFile sf2(BankFile(), "bank.sf2");
    const std::string path = sf2.path().string();
    for (const char* notANumber : {"x", "-1", "1x", ""}) {
        const CliRun r = Cli({"export", path, notANumber});
        EXPECT_EQ(r.status, 2) << notANumber;
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(Cli({"export", path}).status, 2);
    EXPECT_EQ(Cli({"export", path, "1", "a", "b"}).status, 2);
    const std::vector<std::pair<std::string, std::string>> failures = {
        {"0", "zelvo-cli: There is no instrument 0 in this SoundFont.\n"},
        {"99999999999", "zelvo-cli: There is no instrument 2147483647 in this SoundFont.\n"},
        {"5", "zelvo-cli: Instrument has no samples\n"},
        {"6",
         "zelvo-cli: Sample \"Rom\" of instrument \"Rom\" lies in ROM, not in this file, so "
         "it cannot be exported.\n"}};
    for (const auto& [number, message] : failures) {
        const CliRun r = Cli({"export", path, number, (sf2.folder() / "x.s1m").string()});
        EXPECT_EQ(r.status, 1) << number;
        EXPECT_EQ(r.err, message);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(FilesIn(sf2.folder()), std::set<std::string>{"bank.sf2"});
    EXPECT_EQ(Cli({"export", path + ".gone", "1"}).status, 1);
}

TEST(ExportCli, AllWritesEveryInstrumentWithZonesUnderSafeUniqueNames) {
    const TempFile sf2(BankFile(), "bank.sf2");
    const fs::path folder = sf2.folder() / "new" / "waves";
    const CliRun r = Cli({"export", sf2.path().string(), "--all", folder.string()});
    EXPECT_EQ(r.status, 1);  // the ROM instrument is refused, the others are written
    EXPECT_EQ(r.err,
              "zelvo-cli: Sample \"Rom\" of instrument \"Rom\" lies in ROM, not in this "
              "file, so it cannot be exported.\n");
    const std::set<std::string> expected = {"Piano.s1m", "Piano (2).s1m", "A_B_C_.s1m",
                                            "Piano (3).s1m", "Piano (2) (2).s1m"};
    EXPECT_EQ(FilesIn(folder), expected);
    std::string saved;
    for (const char* file :
         {"Piano.s1m", "Piano (2).s1m", "A_B_C_.s1m", "Piano (3).s1m", "Piano (2) (2).s1m"}) {
        saved += "File  " + (folder / file).string() + "  was saved\n";
    }
    EXPECT_EQ(r.out, saved);
}

TEST(ExportCli, AllOnPackagedSoundFontsRefusesNone) {
    for (const char* name : {"TimGM6mb.sf2", "FluidR3_GS.sf2"}) {
        const std::string path = std::string(ZELVO_SOUNDFONT_DIR) + "/" + name;
        if (!fs::exists(path)) continue;
        const TempFile scratch("");
        const CliRun r = Cli({"export", path, "--all", (scratch.folder() / "out").string()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::size_t lines =
            static_cast<std::size_t>(std::count(r.out.begin(), r.out.end(), '\n'));
        EXPECT_EQ(FilesIn(scratch.folder() / "out").size(), lines);
        EXPECT_EQ(lines, std::string(name) == "TimGM6mb.sf2" ? 210u : 40u);
    }
}

}  // namespace
}  // namespace zelvo::testing
