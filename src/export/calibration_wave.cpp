// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/calibration_wave.h"

#include <cmath>
#include <numbers>

#include "export/export_files.h"
#include "export/write_stuff.h"

namespace zelvo {
namespace {

constexpr double kFrequency = 440.0;
constexpr std::int64_t kPoints = kWaveSampleRate;  // one second
// 22 periods of 440 Hz are exactly 2,205 points at 44.1 kHz: a seamless loop.
constexpr std::int64_t kLoopPoints = 2205;

std::int16_t SinePoint(std::int64_t i) {
    const double phase = 2.0 * std::numbers::pi * kFrequency * static_cast<double>(i) / kWaveSampleRate;
    return static_cast<std::int16_t>(std::lround(16384.0 * std::sin(phase)));
}

}  // namespace

WavePlan PlanCalibrationWave() {
    WavePlan plan;
    for (const CalibrationKey& k : kCalibrationKeys) {
        EntryTune tune{.coarse = k.coarse, .fine = k.fine, .unclampedCoarse = k.coarse};
        plan.entrySources.push_back({.sampleNumber = 1, .rootKey = kCalibrationRootKey, .tune = tune});
        plan.keyMapEntries.push_back({.sampleReference = 0x4000,
                                      .keyLo = k.key,
                                      .keyHi = k.key,
                                      .velLo = 1,
                                      .velHi = 127,
                                      .pan = 64,
                                      .coarseTune = k.coarse,
                                      .fineTune = k.fine,
                                      .first = plan.keyMapEntries.empty()});
    }
    const auto entries = static_cast<std::int64_t>(plan.keyMapEntries.size());
    plan.counts = {.keyMapLength = static_cast<std::int64_t>(kWaveKeyMapHeaderSize) +
                                   static_cast<std::int64_t>(kWaveKeyMapEntrySize) * entries,
                   .sampleCount = 1};
    plan.keyMapHeader = {.name = WaveName("Tuning"), .entryCount = entries};
    const std::int64_t loopStart = kPoints - kLoopPoints;
    plan.sampleHeaders.push_back({.name = WaveName("A440Sine"),
                                  .loopPosition = WaveLoopPosition(loopStart),
                                  .loopFlag = 0x00,
                                  .loopStartOffset = loopStart,
                                  .loopLength = kLoopPoints,
                                  .rootKey = kCalibrationRootKey,
                                  .lengthAfterLoop = 0,
                                  .slot = 0});
    plan.sampleSizes.push_back(static_cast<std::uint32_t>(2 * kPoints));
    return plan;
}

void WriteCalibrationWave(const std::string& outputPath) {
    const WavePlan plan = PlanCalibrationWave();
    AtomicOutputFile out(outputPath);
    out.Write(EncodeFrontPart(plan));
    PointWriter writer(out, plan.SampleDataBytes(), {});
    for (std::int64_t i = 0; i < kPoints; ++i) writer.Write(SinePoint(i));
    writer.Flush();
    out.Commit();
}

}  // namespace zelvo
