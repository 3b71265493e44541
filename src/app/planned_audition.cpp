// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/planned_audition.h"

#include <algorithm>

namespace zelvo {
namespace {

// A range given high to low still covers its keys, as the key map draws it.
bool Covers(const WaveKeyMapEntry& entry, int key) {
    return key >= std::min(entry.keyLo, entry.keyHi) && key <= std::max(entry.keyLo, entry.keyHi);
}

std::optional<PlannedAudition> AuditionOf(const WavePlan& plan, std::size_t entry, int key) {
    const KeyMapEntrySource& source = plan.entrySources[entry];
    if (source.sampleNumber < 1 || static_cast<std::size_t>(source.sampleNumber) > plan.samples.size())
        return std::nullopt;
    const PlannedSample& sample = plan.samples[static_cast<std::size_t>(source.sampleNumber - 1)];
    return PlannedAudition{.entry = entry,
                           .sampleNumber = source.sampleNumber,
                           .voice = {.rootKey = key,
                                     .tuneCents = EntryPitchCents(plan, entry, key),
                                     .loops = sample.looped,
                                     .pointRate = kWaveSampleRate},
                           .key = key};
}

}  // namespace

std::optional<PlannedAudition> AuditionOfZone(const WavePlan& plan, int instrument, int zone,
                                              int presetBag) {
    std::optional<std::size_t> found;
    for (std::size_t e = 0; e < plan.entrySources.size() && e < plan.keyMapEntries.size(); ++e) {
        const KeyMapEntrySource& s = plan.entrySources[e];
        if (s.instrument != instrument || s.zone != zone || s.presetBag != presetBag) continue;
        if (!found) found = e;
        if (Covers(plan.keyMapEntries[e], s.rootKey)) {
            found = e;
            break;
        }
    }
    if (!found) return std::nullopt;
    return AuditionOf(plan, *found, plan.entrySources[*found].rootKey);
}

std::optional<PlannedAudition> AuditionOfKey(const WavePlan& plan, int key) {
    std::optional<std::size_t> best;
    const auto loudest = [&](std::size_t e) {
        return std::max(plan.keyMapEntries[e].velLo, plan.keyMapEntries[e].velHi);
    };
    for (std::size_t e = 0; e < plan.entrySources.size() && e < plan.keyMapEntries.size(); ++e) {
        if (Covers(plan.keyMapEntries[e], key) && (!best || loudest(e) > loudest(*best))) best = e;
    }
    if (!best) return std::nullopt;
    return AuditionOf(plan, *best, key);
}

}  // namespace zelvo
