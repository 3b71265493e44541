// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus: small files from the test builder and real
// SoundFonts with their sample data cut away, each checked to load; with
// --sparse, the same files with their sample data as a hole, a built file
// with each chunk grown by a hole, and files that declare gigabytes they do
// not hold; with --waves, exported waves; with --sf3, SoundFont 3 files of
// built streams and of a few streams of each real SoundFont 3 file.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <utility>
#include <vector>

#include "export/write_stuff.h"
#include "load_helpers.h"
#include "ogg_streams.h"
#include "seed_files.h"
#include "sf2_builder.h"
#include "soundfont/errors.h"
#include "sparse_file.h"

namespace fs = std::filesystem;
using namespace zelvo::testing;
using namespace zelvo::fuzzing;

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

// The smpl chunk of a real file, where the reader finds it.
SampleData SampleDataOf(const std::string& path) {
    zelvo::SoundFontModel model;
    zelvo::MemoryTree tree;
    zelvo::OpenSoundFont(model, path, tree);
    return {static_cast<std::size_t>(model.SampleDataPos - 1), model.SmplSize};
}

// Checks that a seed loads: seeds the reader refuses leave the fuzzer
// little to mutate into a well-formed file.
bool Loads(const std::string& name, const std::string& bytes) {
    try {
        LoadBytes(bytes);
        return true;
    } catch (const zelvo::SoundFontError& e) {
        std::cerr << "make_seeds: seed " << name << " does not load: " << e.what() << "\n";
        return false;
    }
}

// A SoundFont 3 instrument over a short Ogg Vorbis sample: the compressed
// sample path from reader to decoder.
std::string CompressedInstrumentFile() {
    return Sf2Builder()
        .Info("ifil", {"\x03\x00\x01\x00", 4})
        .CompressedSample({.name = "Ogg", .startLoop = 100, .endLoop = 900}, EncodeVorbis(TestSignal(1000), 1))
        .Instrument({"Ogg", {{{KeyRange(0, 127), SampleId(0)}}}})
        .Preset({"Ogg", 0, 0, {{{InstrumentId(0)}}}})
        .Build();
}

// Instruments over compressed samples that decode at two rates, and over
// streams that are refused: two channels, Ogg that is not Vorbis, a cut one.
std::string CompressedMixFile() {
    const std::string mono = EncodeVorbis(TestSignal(3000, 22050), 1, 22050);
    return Sf2Builder()
        .Info("ifil", {"\x03\x00\x01\x00", 4})
        .CompressedSample({.name = "Low", .startLoop = 500, .endLoop = 2500, .rate = 22050}, mono)
        .CompressedSample({.name = "High", .endLoop = 400}, EncodeVorbis(TestSignal(400), 1))
        .CompressedSample({.name = "Stereo"}, EncodeVorbis(std::vector<float>(1200, 0.25f), 2))
        .CompressedSample({.name = "Opus"}, OggPages({"OpusHead", "OpusTags", "frame"}))
        .CompressedSample({.name = "Cut"}, mono.substr(0, mono.size() - 100))
        .Instrument({"Two rates", {{{KeyRange(0, 63), SampleId(0)}}, {{KeyRange(64, 127), SampleId(1)}}}})
        .Instrument({"Stereo", {{{SampleId(2)}}}})
        .Instrument({"Opus", {{{SampleId(3)}}}})
        .Instrument({"Cut", {{{SampleId(4)}}}})
        .Build();
}

// An instrument over three short streams of a real SoundFont 3 file, from
// its smallest tenth, with their rates and loops.
std::string RealStreamsFile(const std::string& file) {
    const Loaded loaded = LoadBytes(file);
    std::vector<zelvo::sfSample> streams;
    for (int n = 1; n <= loaded.model.SampleCount; ++n) {
        const zelvo::sfSample& s = loaded.model.SampleHeaders.at(static_cast<std::size_t>(n));
        if (s.IsCompressed()) streams.push_back(s);
    }
    const auto size = [](const zelvo::sfSample& s) { return s.dwEnd - s.dwStart; };
    std::sort(streams.begin(), streams.end(),
              [&](const zelvo::sfSample& a, const zelvo::sfSample& b) { return size(a) < size(b); });
    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4});
    InstrumentDef instrument{"Real", {}};
    for (const std::size_t n : {streams.size() / 50, streams.size() / 20, streams.size() / 10}) {
        const zelvo::sfSample& s = streams.at(n);
        const std::size_t at = loaded.model.SampleDataPos - 1 + s.dwStart;
        b.CompressedSample({.name = zelvo::DisplayText(s.achSampleName), .startLoop = s.dwStartloop,
                            .endLoop = s.dwEndloop, .rate = s.dwSampleRate},
                           std::string_view(file).substr(at, size(s)));
        const int zone = static_cast<int>(instrument.zones.size());
        instrument.zones.push_back({{KeyRange(zone * 43, zone * 43 + 42), SampleId(zone)}});
    }
    return b.Instrument(std::move(instrument)).Build();
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

// Files that declare gigabytes they do not hold, in a file of 5 GiB.
std::vector<std::pair<std::string, std::string>> HugeDeclarations() {
    constexpr std::uint64_t kFileSize = std::uint64_t{5} << 30;
    const std::string riff = "RIFF" + Le32Text(0xFFFFFFF0) + "sfbk";
    const std::string info = "LIST" + Le32Text(16) + "INFO" + "ifil" + Le32Text(4) + Le32Text(0x00010002);
    const std::string sdta = "LIST" + Le32Text(12) + "sdta" + "smpl" + Le32Text(0);
    const std::uint32_t comment = 0xF0000000;
    const std::uint32_t phdr = 38u * 110'000'000u;
    const std::vector<std::pair<std::string, std::string>> heads = {
        {"empty-info.sparse", riff + "LIST" + Le32Text(0xFFFFFF00) + "INFO"},
        {"huge-comment.sparse", riff + "LIST" + Le32Text(comment + 12) + "INFO" + "ICMT" + Le32Text(comment)},
        {"many-presets.sparse", riff + info + sdta + "LIST" + Le32Text(phdr + 12) + "pdta" + "phdr" + Le32Text(phdr)},
    };
    std::vector<std::pair<std::string, std::string>> seeds;
    for (const auto& [name, head] : heads) {
        seeds.emplace_back(name, EncodeSparseInput(kFileSize - head.size(), head.size(), head));
    }
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool sparse = mode == "--sparse", sf3 = mode == "--sf3";
    if (argc < 2 || (mode == "--waves" && argc != 3) || ((sparse || sf3) && argc < 3)) {
        std::cerr << "usage: make_seeds DIR [REAL.sf2 ...]\n"
                     "       make_seeds --sparse DIR [REAL.sf2 ...]\n"
                     "       make_seeds --waves DIR\n"
                     "       make_seeds --sf3 DIR [REAL.sf3 ...]\n";
        return 2;
    }
    if (mode == "--waves") {
        fs::create_directories(argv[2]);
        WriteWaveSeeds(argv[2]);
        return 0;
    }
    const fs::path dir = argv[sparse || sf3 ? 2 : 1];
    fs::create_directories(dir);
    const std::string instrument = SmallInstrumentFile();
    bool allLoad = true;
    const auto writeLoading = [&](const std::string& name, const std::string& bytes) {
        allLoad = Loads(name, bytes) && allLoad;
        Write(dir, name, bytes);
    };
    if (sf3) {
        writeLoading("compressed.sf3", CompressedInstrumentFile());
        writeLoading("compressed-mix.sf3", CompressedMixFile());
    } else if (sparse) {
        Write(dir, "instrument.sparse", SampleDataAsHole(instrument, BuiltSampleData(instrument)));
        for (const auto& [name, bytes] : HugeDeclarations()) Write(dir, name, bytes);
        for (const ChunkKind& chunk : kGrownChunks) {
            Write(dir, std::string("grown-") + chunk.id + ".sparse", ChunkGrownByHole(instrument, chunk));
        }
    } else {
        writeLoading("empty.sf2", Sf2Builder().Build());
        writeLoading("instrument.sf2", instrument);
        writeLoading("sm24.sf2", Sf2Builder().Sm24("abcd").Sample({.name = "S", .end = 2}).Build());
        writeLoading("compressed.sf3", CompressedInstrumentFile());
    }
    for (int i = sparse || sf3 ? 3 : 2; i < argc; ++i) {
        if (!fs::exists(argv[i])) continue;
        const std::string name = fs::path(argv[i]).filename().string();
        const std::string file = ReadWholeFile(argv[i]);
        if (sf3) {
            writeLoading(fs::path(name).stem().string() + "-streams.sf3", RealStreamsFile(file));
            continue;
        }
        const SampleData smpl = SampleDataOf(argv[i]);
        if (sparse) {
            Write(dir, name + ".sparse", SampleDataAsHole(file, smpl));
        } else {
            writeLoading(name, WithoutSampleData(file, smpl));
        }
    }
    return allLoad ? 0 : 1;
}
