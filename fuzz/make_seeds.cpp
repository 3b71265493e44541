// Writes the seed corpus: small files from the test builder and real
// SoundFonts with their sample data cut away; with --waves, exported waves.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "export/write_stuff.h"
#include "load_helpers.h"
#include "sf2_builder.h"

namespace fs = std::filesystem;
using namespace zelvo::testing;

namespace {

void Write(const fs::path& dir, const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string SmallInstrumentFile() {
    Sf2Builder b;
    b.Info("INAM", "Seed").Info("ICMT", "odd")
        .Sample({.name = "Saw", .start = 0, .end = 16, .startLoop = 4, .endLoop = 12})
        .Sample({.name = "Square", .start = 16, .end = 32, .startLoop = 20, .endLoop = 30, .type = 4})
        .Instrument({"Lead", {{{Gen(58, 60), Gen(17, -200)}},
                              {{KeyRange(0, 63), VelRange(1, 100), SampleId(0)}},
                              {{KeyRange(64, 127), Gen(51, -12), Gen(54, 1), SampleId(1)}, {{1, 2, 3, 4, 5}}}}})
        .Preset({"Lead", 0, 0, {{{Gen(16, 100)}}, {{KeyRange(0, 127), InstrumentId(0)}}}})
        .SamplePoints(std::vector<std::int16_t>(32, 0x1234));
    return b.Build();
}

// A real file's header chunks with an empty "smpl" chunk.
std::string WithoutSampleData(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const ChunkInfo smpl = WalkRiff(path).chunks.at("smpl");
    std::string out = file.substr(0, smpl.dataOffset) + file.substr(smpl.dataOffset + smpl.size);
    PutLe(out, smpl.dataOffset - 4, 0, 4);
    return out;
}

// Instrument n of a built SoundFont, exported to dir/name.
void WriteWave(const fs::path& dir, const std::string& name, const std::string& sf2Bytes, int n) {
    const fs::path sf2 = dir / (name + ".sf2.tmp");
    Write(dir, sf2.filename().string(), sf2Bytes);
    zelvo::SoundFontModel model;
    zelvo::MemoryTree tree;
    zelvo::OpenSoundFont(model, sf2.string(), tree);
    zelvo::ExportInstrumentToWave(model, n, sf2.string(), (dir / name).string());
    fs::remove(sf2);
}

void WriteWaveSeeds(const fs::path& dir) {
    WriteWave(dir, "lead.s1m", SmallInstrumentFile(), 1);
    WriteWave(dir, "empty.s1m", Sf2Builder().Instrument({"Globals", {{{Gen(17, 5)}}}}).Build(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (std::string(argv[1]) == "--waves" && argc != 3)) {
        std::cerr << "usage: make_seeds DIR [REAL.sf2 ...]\n"
                     "       make_seeds --waves DIR\n";
        return 2;
    }
    if (std::string(argv[1]) == "--waves") {
        fs::create_directories(argv[2]);
        WriteWaveSeeds(argv[2]);
        return 0;
    }
    const fs::path dir = argv[1];
    fs::create_directories(dir);
    Write(dir, "empty.sf2", Sf2Builder().Build());
    Write(dir, "instrument.sf2", SmallInstrumentFile());
    Write(dir, "sm24.sf2", Sf2Builder().Sm24("abcd").Sample({.name = "S", .end = 2}).Build());
    for (int i = 2; i < argc; ++i) {
        if (fs::exists(argv[i])) Write(dir, fs::path(argv[i]).filename().string(), WithoutSampleData(argv[i]));
    }
    return 0;
}
