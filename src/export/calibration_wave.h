// SPDX-License-Identifier: GPL-3.0-or-later
// A wave for checking how an EX5/7 reads an entry's tune bytes: one 440 Hz
// sine (A4, root key 69) that several entries play, each on its own key with
// chosen coarse and fine bytes. Played against a tuner, each key shows
// whether the units in tune_units.h hold ("Check your EX5's tune units" in
// the manual).
#pragma once

#include <string>

#include "export/export_plan.h"

namespace zelvo {

struct CalibrationKey {
    int key;
    int coarse;
    int fine;
    const char* reading;  // what a tuner shows when the units hold
};

inline constexpr int kCalibrationRootKey = 69;
inline constexpr CalibrationKey kCalibrationKeys[] = {
    {57, 64, 64, "A3, 220.0 Hz: key tracking alone"},
    {59, 76, 64, "B4, 493.9 Hz: coarse +12 is an octave"},
    {60, 52, 64, "C3, 130.8 Hz: coarse -12 is an octave down"},
    {62, 64, 96, "D4 +50 cents, 302.3 Hz: fine +32 is half a semitone"},
    {64, 64, 32, "E4 -50 cents, 320.2 Hz: fine -32 is half a semitone down"},
    {65, 64, 127, "F4 +98 cents, 369.7 Hz: the highest fine byte"},
};

WavePlan PlanCalibrationWave();

// Writes the calibration wave to outputPath, whole or not at all. Throws
// ExportError(Failed).
void WriteCalibrationWave(const std::string& outputPath);

}  // namespace zelvo
