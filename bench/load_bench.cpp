// SPDX-License-Identifier: GPL-3.0-or-later
// Loading FluidR3_GM.sf2 (148 MB): header chunks, zone table and a tree in
// memory, against reading the same header bytes from the page cache.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace {

const std::string kFluid = std::string(ZELVO_SOUNDFONT_DIR) + "/FluidR3_GM.sf2";

// Where the sample data lies and how long it is, in bytes.
struct SampleData {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Reads every byte of the file except the sample data: two reads and a seek.
std::size_t ReadHeaderBytes(const SampleData& smpl) {
    std::ifstream in(kFluid, std::ios::binary);
    std::vector<char> bytes(smpl.offset);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    in.seekg(static_cast<std::streamoff>(smpl.offset + smpl.size));
    std::vector<char> rest(static_cast<std::size_t>(std::filesystem::file_size(kFluid) -
                                                    smpl.offset - smpl.size));
    in.read(rest.data(), static_cast<std::streamsize>(rest.size()));
    return bytes.size() + rest.size();
}

double MedianSeconds(int runs, const auto& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<std::size_t>(runs / 2)];
}

void BM_LoadFluidR3Gm(benchmark::State& state) {
    if (!std::filesystem::exists(kFluid)) {
        state.SkipWithError("FluidR3_GM.sf2 is not installed (fluid-soundfont-gm)");
        return;
    }
    SampleData smpl;
    {
        zelvo::SoundFontModel model;
        zelvo::MemoryTree tree;
        zelvo::OpenSoundFont(model, kFluid, tree);
        smpl = {model.SampleDataPos - 1, model.SmplSize};
    }
    std::size_t headerBytes = 0;
    const double baseline = MedianSeconds(50, [&] { headerBytes = ReadHeaderBytes(smpl); });
    for (auto _ : state) {
        zelvo::SoundFontModel model;
        zelvo::MemoryTree tree;
        zelvo::OpenSoundFont(model, kFluid, tree);
        benchmark::DoNotOptimize(model.InstZoneTable.data());
    }
    const double load = MedianSeconds(20, [] {
        zelvo::SoundFontModel model;
        zelvo::MemoryTree tree;
        zelvo::OpenSoundFont(model, kFluid, tree);
    });
    state.counters["load_median_ms"] = load * 1e3;
    state.counters["header_read_median_ms"] = baseline * 1e3;
    state.counters["load_vs_header_read"] = load / baseline;
    state.counters["header_bytes"] = static_cast<double>(headerBytes);
}
BENCHMARK(BM_LoadFluidR3Gm)->Unit(benchmark::kMillisecond);

}  // namespace
