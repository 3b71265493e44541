// SPDX-License-Identifier: GPL-3.0-or-later
// How the EX5/7 reads the two tune bytes of a key-map entry, 64 being no
// change. Coarse counts semitones, as in every Yamaha format of the family;
// fine counts 64 steps to the semitone, as the reference export's
// floor(64 x cents / 100) + 64 implies. Neither is confirmed on the
// instrument yet: `zelvo-cli calibration` writes a wave that an owner plays
// against a tuner (manual: "Check your EX5's tune units"), and these two
// constants are all that changes if a reading disagrees.
#pragma once

namespace zelvo {

inline constexpr double kCoarseTuneCents = 100.0;      // per coarse step
inline constexpr double kFineTuneCents = 100.0 / 64.0;  // per fine step

// An entry's tune bytes for a tuning in cents: whole semitones in the
// coarse byte, the rest (within +-50 cents) to the nearest fine step.
struct EntryTune {
    int coarse = 64;
    int fine = 64;
    int unclampedCoarse = 64;  // before the byte was kept within 0..127
    double Cents() const { return (coarse - 64) * kCoarseTuneCents + (fine - 64) * kFineTuneCents; }
    bool CoarseClamped() const { return coarse != unclampedCoarse; }
};

EntryTune EntryTuneFor(double cents);

}  // namespace zelvo
