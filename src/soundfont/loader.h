// SPDX-License-Identifier: GPL-3.0-or-later
// The load driver and the core of the Open command.
#pragma once

#include <string>

#include "soundfont/browse_tree.h"
#include "soundfont/byte_reader.h"
#include "soundfont/model.h"

namespace zelvo {

// Empties the model for a new load; keeps FileName and FileFolder.
void InitTables(SoundFontModel& model);

// Sets FileName and FileFolder from a chosen path, split at its last '/'.
void SplitChosenPath(SoundFontModel& model, const std::string& path);

// Runs the fourteen reading steps in order into an empty model, clearing and
// rebuilding the tree. On any failure the model is left empty (FileName and
// FileFolder included) and the error propagates.
void LoadSoundFont(SoundFontModel& model, ByteReader& in, BrowseTree& tree);

// What the Open command does once a file is chosen: split the path, reset the
// model, open the file and load it. Throws FileAccessError when the file
// cannot be opened, SoundFontError when it is malformed; either way the model
// is left empty.
void OpenSoundFont(SoundFontModel& model, const std::string& path, BrowseTree& tree);

// " 3 presets,  2 instruments,  10 samples"
std::string CountText(const SoundFontModel& model);
// The status text while the load finishes: the count text + ", one moment please...".
std::string LoadedText(const SoundFontModel& model);

}  // namespace zelvo
