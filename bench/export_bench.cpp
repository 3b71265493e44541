// SPDX-License-Identifier: GPL-3.0-or-later
// Export throughput on the largest instrument of FluidR3_GM.sf2 (by bytes of
// sample data), beside a plain read + byte swap + write of as many bytes
// from the same sample data in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "export/unique_names.h"
#include "export/write_stuff.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

// The copy as stored: conversion has a benchmark of its own.
const ExportOptions kAsStored{.convertSamples = false};

struct LargestInstrument {
    std::string soundFont;
    SoundFontModel model;
    int instrument = 0;
    std::string name;
    std::uint64_t bytes = 0;
};

std::optional<LargestInstrument> LoadLargest() {
    LargestInstrument largest;
    largest.soundFont = std::string(ZELVO_SOUNDFONT_DIR) + "/FluidR3_GM.sf2";
    if (!fs::exists(largest.soundFont)) return std::nullopt;
    MemoryTree tree;
    OpenSoundFont(largest.model, largest.soundFont, tree);
    for (int i = 1; i <= largest.model.InstCount; ++i) {
        if (largest.model.InstZoneTable[i].zoneCount == 0) continue;
        const std::uint64_t bytes = PlanWaveFile(largest.model, i, kAsStored).SampleDataBytes();
        if (bytes > largest.bytes) {
            largest.instrument = i;
            largest.name = InstrumentName(largest.model, i);
            largest.bytes = bytes;
        }
    }
    return largest;
}

const std::optional<LargestInstrument>& Largest() {
    static const std::optional<LargestInstrument> largest = LoadLargest();
    return largest;
}

std::string OutputPath(const char* name) {
    const fs::path folder =
        fs::temp_directory_path() / ("zelvo-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    return (folder / name).string();
}

void ExportLargestInstrument(benchmark::State& state) {
    const auto& largest = Largest();
    if (!largest) return state.SkipWithError("FluidR3_GM.sf2 is not installed");
    const std::string out = OutputPath("export.s1m");
    for (auto _ : state) {
        ExportInstrumentToWave(largest->model, largest->instrument, largest->soundFont, out, {},
                               kAsStored);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * largest->bytes));
    state.SetLabel(largest->name + ", " + std::to_string(largest->bytes) + " bytes");
    fs::remove_all(fs::path(out).parent_path());
}

// The floor an export is measured against: one sequential read, swap and
// write per block, nothing else.
void PlainReadSwapWrite(benchmark::State& state) {
    const auto& largest = Largest();
    if (!largest) return state.SkipWithError("FluidR3_GM.sf2 is not installed");
    const std::string out = OutputPath("plain.bin");
    std::vector<char> block(kSampleCopyBlockBytes);
    for (auto _ : state) {
        const int in = ::open(largest->soundFont.c_str(), O_RDONLY);
        const int to = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || to < 0) return state.SkipWithError("cannot open the files");
        ::lseek(in, static_cast<off_t>(largest->model.SampleDataPos - 1), SEEK_SET);
        for (std::uint64_t left = largest->bytes; left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
            if (::read(in, block.data(), n) != static_cast<ssize_t>(n)) {
                return state.SkipWithError("short read");
            }
            for (std::size_t i = 0; i < n; i += 2) std::swap(block[i], block[i + 1]);
            if (::write(to, block.data(), n) != static_cast<ssize_t>(n)) {
                return state.SkipWithError("short write");
            }
            left -= n;
        }
        ::close(in);
        ::close(to);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * largest->bytes));
    fs::remove_all(fs::path(out).parent_path());
}

// Naming 20,000 exports of one name (argument 1) against 20,000 different
// names (argument 0): the repeats must cost about what different names do.
void NameTwentyThousandExports(benchmark::State& state) {
    const bool same = state.range(0) == 1;
    for (auto _ : state) {
        UniqueNames names;
        for (int i = 0; i < 20000; ++i) {
            const std::string name = same ? "Piano" : "Piano " + std::to_string(i);
            names.Take(name, names.Propose(name));
        }
    }
}

BENCHMARK(PlainReadSwapWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ExportLargestInstrument)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(NameTwentyThousandExports)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo
