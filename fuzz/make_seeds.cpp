// Writes the seed corpus: small files from the test builder and real
// SoundFonts with their sample data cut away.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: make_seeds DIR [REAL.sf2 ...]\n";
        return 2;
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
