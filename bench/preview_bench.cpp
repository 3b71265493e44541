// SPDX-License-Identifier: GPL-3.0-or-later
// The preview pane in the real main window, offscreen unless QT_QPA_PLATFORM
// says otherwise: selecting the largest piano of FluidR3_GM (key map, zone
// table and conversion report made and painted) and drawing a sample of a
// million points.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <cmath>
#include <filesystem>

#include "app/frm_main.h"
#include "app/preview_pane.h"
#include "app/waveform_widget.h"
#include "browser/text_encoding.h"

namespace {

constexpr const char* kPiano = "Yamaha Grand Piano";

void SelectPianoInPane(benchmark::State& state) {
    const std::filesystem::path path = std::filesystem::path(ZELVO_SOUNDFONT_DIR) / "FluidR3_GM.sf2";
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("FluidR3_GM.sf2 not installed");
        return;
    }
    zelvo::SoundFontModel model;
    zelvo::frmMain window(model);
    window.AskOpenFileName = [&](const zelvo::FileDialogRequest&) {
        return QString::fromStdString(path.string());
    };
    window.show();
    window.mnuFileOpen_Click();
    int piano = 0;
    for (int i = 1; i <= model.InstCount; ++i) {
        if (zelvo::DisplayText(model.InstHeaders[static_cast<std::size_t>(i)].achInstName) == kPiano) piano = i;
    }
    QTreeWidgetItem* pianoNode = window.FindNode("nodeI" + std::to_string(piano));
    QTreeWidgetItem* rootNode = window.FindNode("node1");
    if (!pianoNode || !rootNode) {
        state.SkipWithError("no piano instrument");
        return;
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        window.TreeView1->setCurrentItem(pianoNode);
        window.Preview->repaint();
        state.PauseTiming();
        window.TreeView1->setCurrentItem(rootNode);
        window.Preview->repaint();
        state.ResumeTiming();
    }
    state.counters["zones"] = model.InstZoneTable[static_cast<std::size_t>(piano)].zoneCount;
}

void DrawMillionPoints(benchmark::State& state) {
    auto sound = std::make_shared<zelvo::SampleSound>();
    sound->rate = 44100;
    sound->points.resize(1'000'000);
    for (std::size_t i = 0; i < sound->points.size(); ++i) {
        sound->points[i] = static_cast<std::int16_t>(20000 * std::sin(0.013 * static_cast<double>(i)) *
                                                     std::exp(-static_cast<double>(i) / 600000.0));
    }
    sound->loopStart = 400'000;
    sound->loopEnd = 900'000;
    zelvo::WaveformWidget widget;
    widget.resize(1000, 300);
    widget.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        widget.SetSound(sound);  // the columns are made afresh for each paint
        widget.repaint();
    }
    state.counters["points"] = static_cast<double>(sound->points.size());
}

BENCHMARK(SelectPianoInPane)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DrawMillionPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
