// Sample conversion on FluidR3_GM.sf2: `zelvo-cli export --all` with and
// without conversion, and libsoxr alone on the points those exports convert,
// in one run.
#include <benchmark/benchmark.h>
#include <soxr.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "cli/cli.h"
#include "export/export_files.h"
#include "export/sample_source.h"
#include "export/write_stuff.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

const std::string kFluidR3Gm = std::string(ZELVO_SOUNDFONT_DIR) + "/FluidR3_GM.sf2";

void ExportAll(benchmark::State& state, const char* option) {
    if (!fs::exists(kFluidR3Gm)) return state.SkipWithError("FluidR3_GM.sf2 is not installed");
    const fs::path folder =
        fs::temp_directory_path() / ("zelvo-bench-all-" + std::to_string(::getpid()));
    std::vector<std::string> args = {"export", kFluidR3Gm, "--all", folder.string()};
    if (option) args.push_back(option);
    for (auto _ : state) {
        std::ostringstream out, err;
        if (cli::RunCli(args, out, err) != cli::kExitOk) state.SkipWithError(err.str().c_str());
    }
    fs::remove_all(folder);
}

void ExportAllConverted(benchmark::State& state) {
    ExportAll(state, nullptr);
}

void ExportAllAsStored(benchmark::State& state) {
    ExportAll(state, "--as-stored");
}

// Every sample that the converting `export --all` resamples, once per
// instrument that uses it, in memory with its ratio.
struct ResampleJob {
    std::vector<std::int16_t> points;
    double ratio = 1.0;
    std::size_t outPoints = 0;
};

std::optional<std::vector<ResampleJob>> LoadJobs() {
    if (!fs::exists(kFluidR3Gm)) return std::nullopt;
    SoundFontModel model;
    MemoryTree tree;
    OpenSoundFont(model, kFluidR3Gm, tree);
    SampleSource source(model, kFluidR3Gm);
    std::vector<ResampleJob> jobs;
    for (int i = 1; i <= model.InstCount; ++i) {
        if (model.InstZoneTable[i].zoneCount == 0) continue;
        const WavePlan plan = PlanWaveFile(model, i);
        for (const PlannedSample& s : plan.samples) {
            const SampleConversion& conversion = s.conversion;
            if (!conversion.Resampled()) continue;
            std::vector<std::int16_t> points(static_cast<std::size_t>(conversion.points));
            PlannedPointReader(source, s)(0, points);
            jobs.push_back({std::move(points),
                            conversion.ratio,
                            static_cast<std::size_t>(conversion.outPoints)});
        }
    }
    return jobs;
}

// libsoxr at very-high quality, as the export calls it, and nothing else.
void ResamplerAlone(benchmark::State& state) {
    static const std::optional<std::vector<ResampleJob>> jobs = LoadJobs();
    if (!jobs) return state.SkipWithError("FluidR3_GM.sf2 is not installed");
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    std::int64_t points = 0;
    for (auto _ : state) {
        for (const ResampleJob& job : *jobs) {
            std::vector<float> out(job.outPoints);
            std::size_t used = 0, made = 0;
            soxr_oneshot(1.0, job.ratio, 1, job.points.data(), job.points.size(), &used,
                         out.data(), out.size(), &made, &io, &quality, &runtime);
            benchmark::DoNotOptimize(out.data());
            points += static_cast<std::int64_t>(job.points.size());
        }
    }
    state.counters["samples"] = static_cast<double>(jobs->size());
    state.counters["source_points"] =
        static_cast<double>(points) / static_cast<double>(state.iterations());
}

BENCHMARK(ExportAllAsStored)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(ExportAllConverted)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(ResamplerAlone)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace zelvo
