// SPDX-License-Identifier: GPL-3.0-or-later
// The bank overview of MuseScore_General_Full.sf2 (273 instruments, package
// musescore-general-soundfont-lossless) in the real window: from the fill's
// start to its rows in the table, while the window's event loop keeps
// running. Skips without the file. Runs offscreen unless QT_QPA_PLATFORM
// says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "app/frm_bank.h"
#include "app/frm_main.h"
#include "export/bank_overview.h"

namespace {

const std::filesystem::path kFull = std::filesystem::path(ZELVO_SOUNDFONT_DIR) / "MuseScore_General_Full.sf2";

void FillBankViewOfMuseScoreFull(benchmark::State& state) {
    if (!std::filesystem::exists(kFull)) {
        state.SkipWithError("MuseScore_General_Full.sf2 not installed");
        return;
    }
    zelvo::SoundFontModel model;
    zelvo::frmMain window(model);
    window.ShowMessage = [&](const zelvo::MessageBoxRequest& m) { state.SkipWithError(m.text.toStdString().c_str()); };
    window.OpenFile(QString::fromStdString(kFull.string()));
    window.mnuBankView_Click();
    zelvo::frmBank& bank = *window.BankView;
    // The longest the event loop went without running a 5 ms timer.
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    tick.start(5);
    for (auto _ : state) {
        bank.Fill(std::make_shared<const zelvo::SoundFontModel>(model), kFull.string(), true);
        sinceTick.start();
        while (bank.Busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    state.counters["instruments"] = bank.rows->rowCount();
    state.counters["longest_event_loop_gap_ms"] = static_cast<double>(longestGap);
    // The rows alone, on this thread: the work the fill hands to another.
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(zelvo::BuildBankRows(model, kFull.string()));
    state.counters["rows_on_one_thread_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
BENCHMARK(FillBankViewOfMuseScoreFull)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
