// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding every Ogg Vorbis stream of MuseScore_General_Lite.sf3 from memory:
// libvorbisfile alone, the floor an export --all of the file is set beside,
// and Zelvo's decoding of a compressed sample (the same library with its
// checks and the 16-bit clipping), in the same run.
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "export/vorbis_decode.h"
#include "load_helpers.h"
#include "memory_vorbis_file.h"

namespace zelvo::testing {
namespace {

using bench::MemoryVorbisFile;

struct Stream {
    std::string name;
    std::size_t at = 0, size = 0;  // in the file's bytes
};

struct Sf3File {
    std::string bytes;
    std::vector<Stream> streams;
};

// The file's compressed samples, as the program's reader finds them.
const std::optional<Sf3File>& Lite() {
    static const std::optional<Sf3File> lite = []() -> std::optional<Sf3File> {
        const std::string path = std::string(ZELVO_SOUNDFONT3_DIR) + "/MuseScore_General_Lite.sf3";
        if (!std::filesystem::exists(path)) return std::nullopt;
        Sf3File file{ReadWholeFile(path), {}};
        const Loaded loaded = LoadBytes(file.bytes);
        for (int n = 1; n <= loaded.model.SampleCount; ++n) {
            const sfSample& s = loaded.model.SampleHeaders.at(static_cast<std::size_t>(n));
            if (!s.IsCompressed()) continue;
            file.streams.push_back({DisplayText(s.achSampleName), loaded.model.SampleDataPos - 1 + s.dwStart,
                                    s.dwEnd - s.dwStart});
        }
        return file;
    }();
    return lite;
}

std::string_view Bytes(const Sf3File& file, const Stream& s) {
    return std::string_view(file.bytes).substr(s.at, s.size);
}

void Report(benchmark::State& state, std::uint64_t points, std::size_t streams) {
    state.counters["points_per_second"] = benchmark::Counter(
        static_cast<double>(points) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.SetLabel(std::to_string(streams) + " streams, " + std::to_string(points) + " points");
}

void DecodeEveryStreamWithLibvorbisfile(benchmark::State& state) {
    const auto& lite = Lite();
    if (!lite) return state.SkipWithError("MuseScore_General_Lite.sf3 is not installed");
    std::uint64_t points = 0;
    for (auto _ : state) {
        points = 0;
        for (const Stream& s : lite->streams) {
            MemoryVorbisFile vf(Bytes(*lite, s));
            if (!vf.ok()) return state.SkipWithError(("a stream does not open: " + s.name).c_str());
            float** pcm = nullptr;
            int link = 0;
            for (long n; (n = ov_read_float(vf.get(), &pcm, 4096, &link)) > 0;) {
                benchmark::DoNotOptimize(pcm[0][n - 1]);
                points += static_cast<std::uint64_t>(n);
            }
        }
    }
    Report(state, points, lite->streams.size());
}

void DecodeEveryStreamWithZelvo(benchmark::State& state) {
    const auto& lite = Lite();
    if (!lite) return state.SkipWithError("MuseScore_General_Lite.sf3 is not installed");
    std::uint64_t points = 0;
    for (auto _ : state) {
        points = 0;
        for (const Stream& s : lite->streams) {
            const DecodedSample decoded = DecodeVorbisSample(Bytes(*lite, s), s.name);
            points += decoded.points.size();
        }
    }
    Report(state, points, lite->streams.size());
}

BENCHMARK(DecodeEveryStreamWithLibvorbisfile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DecodeEveryStreamWithZelvo)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zelvo::testing
