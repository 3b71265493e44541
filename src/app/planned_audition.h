// SPDX-License-Identifier: GPL-3.0-or-later
// What the preview draws and plays for a zone or a key: one entry of a
// wave's plan, its sample as the file will hold it, tuned as the entry
// tunes it. No widget: the plan in, the choice out.
#pragma once

#include <cstddef>
#include <optional>

#include "browser/audition.h"
#include "export/export_plan.h"

namespace zelvo {

struct PlannedAudition {
    std::size_t entry = 0;  // in plan.entrySources and plan.keyMapEntries
    int sampleNumber = 0;   // 1..N: plan.samples[sampleNumber - 1]
    // At the key played, the pitch the entry's bytes give it; the sample's
    // loop; its points at 44,100 Hz.
    AuditionVoice voice;
    int key = 60;  // the key it is played at: the zone's root key, or the key pressed
};

// A zone as played (presetBag 0 for an instrument alone): its entry that
// covers the zone's root key, else its first.
std::optional<PlannedAudition> AuditionOfZone(const WavePlan& plan, int instrument, int zone,
                                              int presetBag = 0);

// What a key plays: of the entries that cover it, the one that reaches the
// loudest velocity, the first of equals.
std::optional<PlannedAudition> AuditionOfKey(const WavePlan& plan, int key);

}  // namespace zelvo
