// SPDX-License-Identifier: GPL-3.0-or-later
// File > Open in the real main window, from the dialog's answer to the tree
// fully shown: the load, every repaint it asks for and the paint that follows.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>

#include "app/frm_main.h"
#include "soundfont/loader.h"
#include "sf2_builder.h"
#include "soundfont/memory_tree.h"

namespace {

void OpenInMainWindow(benchmark::State& state, std::filesystem::path path) {
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("SoundFont not installed");
        return;
    }
    zelvo::SoundFontModel model;
    zelvo::frmMain window(model);
    window.AskOpenFileName = [&](const zelvo::FileDialogRequest&) {
        return QString::fromStdString(path.string());
    };
    window.ShowMessage = [&](const zelvo::MessageBoxRequest& message) {
        state.SkipWithError(message.text.toStdString().c_str());
    };
    window.show();
    QCoreApplication::processEvents();
    const auto windowStart = std::chrono::steady_clock::now();
    for (auto _ : state) {
        window.mnuFileOpen_Click();
        QCoreApplication::processEvents();
        window.repaint();
    }
    const double windowSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - windowStart).count() /
        static_cast<double>(state.iterations());
    // The same load into an in-memory tree: what the window adds on top of it.
    const auto start = std::chrono::steady_clock::now();
    constexpr int kCoreLoads = 10;
    for (int i = 0; i < kCoreLoads; ++i) {
        zelvo::SoundFontModel core;
        zelvo::MemoryTree tree;
        zelvo::OpenSoundFont(core, path.string(), tree);
    }
    const double coreSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kCoreLoads;
    state.counters["core_load_ms"] = coreSeconds * 1e3;
    state.counters["window_vs_core_load"] = windowSeconds / coreSeconds;
    int nodes = 0;
    for (QTreeWidgetItemIterator it(window.TreeView1); *it; ++it) ++nodes;
    state.counters["presets"] = model.PresetCount;
    state.counters["tree_nodes"] = nodes;
}

const std::filesystem::path kSoundFonts(ZELVO_SOUNDFONT_DIR);

BENCHMARK_CAPTURE(OpenInMainWindow, FluidR3_GM, kSoundFonts / "FluidR3_GM.sf2")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(OpenInMainWindow, TimGM6mb, kSoundFonts / "TimGM6mb.sf2")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 16,000 presets of one zone each: the tree's growth, not the bank's data.
void OpenManyPresets(benchmark::State& state) {
    zelvo::testing::Sf2Builder b;
    b.Sample({.name = "S", .end = 2}).SamplePoints({0, 0});
    b.Instrument({"I", {{{zelvo::testing::SampleId(0)}}}});
    for (int p = 0; p < 16000; ++p) {
        b.Preset({"Preset " + std::to_string(p), static_cast<std::uint16_t>(p % 128),
                  static_cast<std::uint16_t>(p / 128), {{{zelvo::testing::InstrumentId(0)}}}});
    }
    const zelvo::testing::TempFile file(b.Build(), "many.sf2");
    OpenInMainWindow(state, file.path());
}
BENCHMARK(OpenManyPresets)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
