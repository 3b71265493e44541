// SPDX-License-Identifier: GPL-3.0-or-later
// The converting `export --all` of three 48 kHz banks against its floor, in
// one run: the stored export plus one libsoxr pass over each distinct sample
// not at 44.1 kHz (one thread, libsoxr called here directly, at the plain
// rate ratio and at the ratio the export takes to keep loops whole), and for
// SoundFont 3 libvorbisfile decoding each stream once. Also the whole-bank
// report, and the peak memory of an export --all.
#include <benchmark/benchmark.h>
#include <soxr.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <vector>

#include "export/conversion_report.h"
#include "export/export_many.h"
#include "export/export_plan.h"
#include "export/sample_conversion.h"
#include "memory_vorbis_file.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string BankPath(const std::string& name) {
    return std::string(name.ends_with(".sf3") ? ZELVO_SOUNDFONT3_DIR : ZELVO_SOUNDFONT_DIR) + "/" + name;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// The samples an export of every instrument plays, each once, with its bytes
// read here: PCM points to resample, or a compressed stream to decode.
struct FloorWork {
    struct Pcm {
        std::vector<std::int16_t> points;
        double rateRatio = 1.0;  // 44,100 over the sample's rate
        double loopRatio = 1.0;  // the export's, which maps a loop to whole points
        std::size_t afterLoop = 0;  // points after a whole loop, which take a second stream
    };
    std::vector<Pcm> pcm;
    std::vector<std::string> streams;
};

FloorWork LoadFloorWork(const SoundFontModel& model, const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const auto bytesAt = [&file](std::uint64_t at, std::uint64_t size) {
        std::string bytes(size, '\0');
        file.seekg(static_cast<std::streamoff>(at));
        file.read(bytes.data(), static_cast<std::streamsize>(size));
        return bytes;
    };
    std::set<int> played;
    for (int i = 1; i <= model.InstCount; ++i) {
        const InstZoneInfo& info = model.InstZoneTable[static_cast<std::size_t>(i)];
        for (int z = 1; z <= info.zoneCount; ++z) {
            if (!info.zone(z).isGlobal) played.insert(info.zone(z).sampleNdx);
        }
    }
    // How the export plans each sample: its ratio follows whether the
    // zones that play it loop it.
    std::map<int, SampleConversion> planned;
    for (int i = 1; i <= model.InstCount; ++i) {
        try {
            for (const PlannedSample& p : PlanWaveFile(model, i).samples) planned.try_emplace(p.sampleNdx, p.conversion);
        } catch (const ExportError&) {
        }
    }
    FloorWork work;
    for (const int n : played) {
        if (n < 1 || n > model.SampleCount) continue;
        const sfSample& s = model.SampleHeaders[static_cast<std::size_t>(n)];
        if (s.dwEnd <= s.dwStart) continue;
        if (s.IsCompressed()) {
            work.streams.push_back(bytesAt(model.SampleDataPos - 1 + s.dwStart, s.dwEnd - s.dwStart));
            continue;
        }
        if (s.dwSampleRate == 44100 || s.dwSampleRate == 0) continue;
        const std::string bytes = bytesAt(model.SampleDataPos - 1 + 2 * std::uint64_t{s.dwStart},
                                          2 * std::uint64_t{s.dwEnd - s.dwStart});
        const auto found = planned.find(n);
        const SampleConversion plan = found != planned.end() ? found->second : PlanSampleConversion(s, true);
        FloorWork::Pcm pcm{std::vector<std::int16_t>(bytes.size() / 2), 44100.0 / s.dwSampleRate, plan.ratio,
                           plan.wholeLoop && plan.outPoints > plan.outLoopEnd
                               ? static_cast<std::size_t>(plan.points - plan.loopEnd)
                               : 0};
        for (std::size_t i = 0; i < pcm.points.size(); ++i) {
            pcm.points[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                      static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        }
        work.pcm.push_back(std::move(pcm));
    }
    return work;
}

// One libsoxr stream at very-high quality on one thread.
void ResampleStream(std::span<const std::int16_t> points, double ratio) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    std::vector<float> out(static_cast<std::size_t>(static_cast<double>(points.size()) * ratio + 1));
    std::size_t used = 0, made = 0;
    soxr_oneshot(1.0, ratio, 1, points.data(), points.size(), &used, out.data(), out.size(), &made, &io,
                 &quality, &runtime);
    benchmark::DoNotOptimize(out.data());
}

// Once per sample. A ratio of two small whole numbers (160 to 147 for
// 48 kHz) takes libsoxr's exact polyphase filter; most loop ratios are not,
// and cost 31 to 46 % more.
void ResampleOnce(const FloorWork& work, bool atLoopRatio) {
    for (const FloorWork::Pcm& pcm : work.pcm) ResampleStream(pcm.points, atLoopRatio ? pcm.loopRatio : pcm.rateRatio);
}

// The second stream that the points after a whole loop take, as many
// points long as the loop the filter needs before them (about 600 at
// 48 kHz) and those points. A short stream costs libsoxr its filter design
// and drain, whatever its length.
void ResampleAfterLoops(const FloorWork& work) {
    constexpr std::size_t kLoopLead = 600;
    for (const FloorWork::Pcm& pcm : work.pcm) {
        if (pcm.afterLoop == 0) continue;
        const std::size_t n = std::min(pcm.points.size(), kLoopLead + pcm.afterLoop);
        ResampleStream(std::span(pcm.points).last(n), pcm.loopRatio);
    }
}

// libvorbisfile alone, every point of every stream decoded once.
void DecodeOnce(const FloorWork& work) {
    for (const std::string& bytes : work.streams) {
        bench::MemoryVorbisFile vf(bytes);
        if (!vf.ok()) continue;
        float** pcm = nullptr;
        int link = 0;
        while (ov_read_float(vf.get(), &pcm, 4096, &link) > 0) benchmark::DoNotOptimize(pcm);
    }
}

double ExportAllMs(const SoundFontModel& model, const std::string& path, const ExportOptions& options) {
    const fs::path folder = fs::temp_directory_path() / ("zelvo-bench-all-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const Clock::time_point start = Clock::now();
    const ExportManySummary summary = ExportManyInstruments(model, path, folder.string(), {}, options);
    const double ms = MsSince(start);
    benchmark::DoNotOptimize(summary.written.size());
    fs::remove_all(folder);
    return ms;
}

// A packaged bank opened as Zelvo opens it; none, with the benchmark
// skipped, when it is not installed.
struct OpenedBank {
    std::string path;
    SoundFontModel model;
    MemoryTree tree;
};

std::unique_ptr<const OpenedBank> OpenBank(benchmark::State& state, const std::string& name) {
    auto bank = std::make_unique<OpenedBank>();
    bank->path = BankPath(name);
    if (!fs::exists(bank->path)) {
        state.SkipWithError((name + " is not installed").c_str());
        return nullptr;
    }
    OpenSoundFont(bank->model, bank->path, bank->tree);
    return bank;
}

// Each iteration times every part once; the counters are their medians.
void ExportAllAgainstFloor(benchmark::State& state, const std::string& name) {
    const std::unique_ptr<const OpenedBank> bank = OpenBank(state, name);
    if (!bank) return;
    const SoundFontModel& model = bank->model;
    const std::string& path = bank->path;
    const FloorWork work = LoadFloorWork(model, path);
    std::map<std::string, std::vector<double>> ms;
    for (auto _ : state) {
        const double converting = ExportAllMs(model, path, {});
        ms["export_ms"].push_back(converting);
        ms["export_1_thread_ms"].push_back(ExportAllMs(model, path, {.jobs = 1}));
        const double stored = ExportAllMs(model, path, {.convertSamples = false});
        Clock::time_point start = Clock::now();
        ResampleOnce(work, false);
        const double soxr = MsSince(start);
        start = Clock::now();
        ResampleOnce(work, true);
        const double soxrLoop = MsSince(start);
        start = Clock::now();
        ResampleAfterLoops(work);
        const double afterLoops = MsSince(start);
        start = Clock::now();
        DecodeOnce(work);
        const double decode = MsSince(start);
        ms["stored_ms"].push_back(stored);
        ms["soxr_once_ms"].push_back(soxr);
        ms["floor_ms"].push_back(stored + soxr);
        ms["ratio_to_floor"].push_back(converting / (stored + soxr));
        ms["soxr_once_loop_ratio_ms"].push_back(soxrLoop);
        ms["ratio_to_floor_at_loop_ratios"].push_back(converting / (stored + soxrLoop));
        // The least any export with these bytes can take: the libsoxr work
        // they need and the stored export's, split evenly over two cores.
        if (!work.pcm.empty()) {
            ms["soxr_after_loops_ms"].push_back(afterLoops);
            ms["least_ratio_to_floor_on_2_cores"].push_back((stored + soxrLoop + afterLoops) / 2 / (stored + soxr));
        }
        if (!work.streams.empty()) {
            ms["decode_once_ms"].push_back(decode);
            ms["ratio_to_decode"].push_back(converting / decode);
        }
        state.SetIterationTime(converting / 1000.0);
    }
    for (const auto& [counter, values] : ms) state.counters[counter] = Median(values);
    const auto afterLoops = std::count_if(work.pcm.begin(), work.pcm.end(), [](const FloorWork::Pcm& pcm) {
        return pcm.afterLoop > 0;
    });
    state.SetLabel(std::to_string(work.pcm.size()) + " samples resampled (" + std::to_string(afterLoops) +
                   " with points after a whole loop), " + std::to_string(work.streams.size()) + " streams");
}

// Cancel as the window's Save All takes it: the progress callback says stop
// 300 ms into an export of every instrument. Reports the longest time
// between two progress calls before it (how long a click can wait to be
// seen) and the time from the stop to the export's return.
void CancelExportAll(benchmark::State& state, const std::string& name) {
    const std::unique_ptr<const OpenedBank> bank = OpenBank(state, name);
    if (!bank) return;
    const SoundFontModel& model = bank->model;
    const std::string& path = bank->path;
    const fs::path folder = fs::temp_directory_path() / ("zelvo-bench-cancel-" + std::to_string(::getpid()));
    std::vector<double> gaps, returns;
    for (auto _ : state) {
        fs::create_directories(folder);
        const Clock::time_point start = Clock::now();
        Clock::time_point last = start, stopped{};
        double gap = 0.0;
        const ExportManySummary summary =
            ExportManyInstruments(model, path, folder.string(), [&](const ExportManyStep&) {
                if (stopped != Clock::time_point{}) return false;
                gap = std::max(gap, MsSince(last));
                last = Clock::now();
                if (last - start < std::chrono::milliseconds(300)) return true;
                stopped = last;
                return false;
            });
        returns.push_back(MsSince(stopped));
        gaps.push_back(gap);
        state.SetIterationTime(returns.back() / 1000.0);
        if (!summary.cancelled) state.SkipWithError("the export ended before it was cancelled");
        fs::remove_all(folder);
    }
    state.counters["longest_progress_gap_ms"] = Median(gaps);
    state.counters["stop_to_return_ms"] = Median(returns);
}

// Open and the report of every instrument, as `zelvo-cli report FILE` makes it.
void BankReport(benchmark::State& state, const std::string& name) {
    const std::string path = BankPath(name);
    if (!fs::exists(path)) return state.SkipWithError((name + " is not installed").c_str());
    for (auto _ : state) {
        SoundFontModel model;
        MemoryTree tree;
        OpenSoundFont(model, path, tree);
        benchmark::DoNotOptimize(ReportAllInstruments(model, path).size());
    }
}

// Resident KiB of this process now.
long ResidentKiB() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// The largest resident size of a child process that loads the bank and
// exports every instrument, less what it had when forked from the
// benchmark (which its peak includes).
void ExportAllPeakMemory(benchmark::State& state, const std::string& name) {
    const std::string path = BankPath(name);
    if (!fs::exists(path)) return state.SkipWithError((name + " is not installed").c_str());
    for (auto _ : state) {
        int fds[2];
        if (::pipe(fds) != 0) return state.SkipWithError("no pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            const long start = ResidentKiB();
            SoundFontModel model;
            MemoryTree tree;
            OpenSoundFont(model, path, tree);
            ExportAllMs(model, path, {});
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            const long kib[2] = {start, usage.ru_maxrss};
            const bool sent = ::write(fds[1], kib, sizeof kib) == static_cast<ssize_t>(sizeof kib);
            ::_exit(sent ? 0 : 1);
        }
        ::close(fds[1]);
        long kib[2] = {0, 0};
        const bool read = ::read(fds[0], kib, sizeof kib) == static_cast<ssize_t>(sizeof kib);
        ::close(fds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!read) return state.SkipWithError("the child process failed");
        state.counters["peak_MiB"] = static_cast<double>(kib[1] - kib[0]) / 1024.0;
        state.counters["peak_with_benchmark_MiB"] = static_cast<double>(kib[1]) / 1024.0;
    }
}

BENCHMARK_CAPTURE(ExportAllAgainstFloor, FluidR3_GM, std::string("FluidR3_GM.sf2"))
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(ExportAllAgainstFloor, MuseScore_General_Lite, std::string("MuseScore_General_Lite.sf3"))
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(ExportAllAgainstFloor, OPL3_FM_128M, std::string("OPL-3_FM_128M.sf2"))
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(CancelExportAll, OPL3_FM_128M, std::string("OPL-3_FM_128M.sf2"))
    ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK_CAPTURE(BankReport, FluidR3_GM, std::string("FluidR3_GM.sf2"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ExportAllPeakMemory, MuseScore_General_Full, std::string("MuseScore_General_Full.sf2"))
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(ExportAllPeakMemory, MuseScore_General_Lite, std::string("MuseScore_General_Lite.sf3"))
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace zelvo
