// The texts around an export that the desktop program shows and the CLI
// prints: message box texts and titles, the save dialog's, the status texts.
#pragma once

#include <string>

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

// The output the save dialog proposes: the SoundFont's folder, the
// instrument's node text in UTF-8 and ".s1m". A '/' in the name, which
// would make it a folder, becomes '_'.
std::string ProposedExportPath(const SoundFontModel& model, const std::string& nodeText);

}  // namespace zelvo
