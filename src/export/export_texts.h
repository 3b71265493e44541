// SPDX-License-Identifier: GPL-3.0-or-later
// The texts around an export that the desktop program shows and the CLI
// prints: message box texts and titles, the save dialog's, the status texts.
#pragma once

#include <string>
#include <string_view>

#include "soundfont/model.h"

namespace zelvo {

inline constexpr const char* kErrorTitle = "Error";
inline constexpr const char* kNoSoundFontMessage = "No SoundFont file";
inline constexpr const char* kSelectInstrumentMessage = "Select instrument";
inline constexpr const char* kNoInstrumentSelectedTitle = "No Instrument Selected";
inline constexpr const char* kNoSamplesMessage = "Instrument has no samples";
inline constexpr const char* kNoSamplesFoundMessage = "No samples found";
inline constexpr const char* kSaveDialogTitle = "Save As EX5/7 File";
inline constexpr const char* kSaveDialogFilter = "S1M Files (*.s1m)";
inline constexpr const char* kWaveFileExtension = ".s1m";

// "Saving  <path>..." while an export runs.
std::string SavingText(const std::string& path);
// "File  <path>  was saved" when it is done.
std::string SavedText(const std::string& path);

// "There is no instrument N in this SoundFont; its instruments are numbered
// 1 to count.", N as typed.
std::string NoInstrumentText(std::string_view number, int count);

// The one rule that turns an instrument's name into a file name (without
// ".s1m"), in UTF-8: \ / : * ? " < > | and control characters become '_';
// a name that is empty or only dots and spaces becomes "Instrument N".
std::string WaveFileStem(std::string_view name, int instrument);

// The output the save dialog proposes and the CLI writes by default: the
// SoundFont's folder, the file name of the instrument's name and ".s1m".
std::string ProposedExportPath(const SoundFontModel& model, int instrument);

// A preset's file name (without ".s1m"): its bank and program as three
// digits each, then its name by the rule above: "000-056 Trumpet".
std::string PresetFileStem(const SoundFontModel& model, int preset);
std::string ProposedPresetExportPath(const SoundFontModel& model, int preset);

}  // namespace zelvo
