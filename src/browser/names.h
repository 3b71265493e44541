// SPDX-License-Identifier: GPL-3.0-or-later
// Names of the SoundFont generators and of MIDI keys.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "soundfont/generators.h"

namespace zelvo {

// Indexed by generator number 0..60. Some texts differ from the standard's
// document on purpose: they are the names Zelvo has always shown.
inline constexpr std::array<std::string_view, 61> GenNames = {
    "startAddrsOffset",     "endAddrsOffset",       "startLoopAddrsOffset",
    "endLoopAddrsOffset",   "startAddrsCoarseOffset", "modLfoToPitch",
    "vibLfoToPitch",        "modEnvToPitch",        "initialFilterFc",
    "initialFilterQ",       "modLfoToFilterFc",     "modEnvToFilterFc",
    "endAddrsCoarseOffset", "modLfoToVolume",       "unused1",
    "chorusEffetsSend",     "reverbEffectsSend",    "pan",
    "unused2",              "unused3",              "unused4",
    "delayModLfo",          "freqModLfo",           "delayVibLfo",
    "freqVibLfo",           "delayModEnv",          "attackModEnv",
    "holdModEnv",           "decayModEnv",          "sustainModEnv",
    "releaseModEnv",        "keynumToModEnvHold",   "keynumToModEnvDecay",
    "delayVolEnv",          "attackVolEnv",         "holdVolEnv",
    "decayVolEnv",          "sustainVolEnv",        "releaseVolEnv",
    "keynumToVolEnvHold",   "keynumToVolEnvDecay",  "instrument",
    "reserved1",            "KeyRange",             "VelRange",
    "startloppAddrsCoarseOffset", "keynum",         "velocity",
    "initialAttenuation",   "reserved2",            "endloopAddrsCoarseOffset",
    "coarseTune",           "fineTune",             "SampleID",
    "sampleModes",          "reserved3",            "scaleTuning",
    "exclusiveClass",       "overridingRootKey",    "unused5",
    "endOper",
};

inline constexpr std::array<std::string_view, 12> NoteNames = {
    "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// "C3" for key 60; no note for a negative key.
std::optional<std::string> NoteName(long key);

// The name of generator number gen, or none above 60.
std::optional<std::string_view> GenName(int gen);

}  // namespace zelvo
