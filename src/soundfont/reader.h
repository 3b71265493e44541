// SPDX-License-Identifier: GPL-3.0-or-later
// The reading steps of a load, in the order the load driver runs them. Each
// expects the reader at its chunk and leaves it at the next one.
#pragma once

#include "soundfont/browse_tree.h"
#include "soundfont/byte_reader.h"
#include "soundfont/model.h"

namespace zelvo {

struct ReadContext {
    SoundFontModel& model;
    ByteReader& in;
    BrowseTree& tree;
    std::uint64_t riffEnd = 0;  // where the RIFF chunk ends; bytes after it are ignored
    std::uint64_t listEnd = 0;  // where the list being read ends
};

void ReadRiffHeader(ReadContext& cx);
void ReadInfoList(ReadContext& cx);
void ReadSampleDataList(ReadContext& cx);
void ReadPresetHeaders(ReadContext& cx);
void ReadPresetBags(ReadContext& cx);
void ReadPresetMods(ReadContext& cx);
void ReadPresetGens(ReadContext& cx);
void ReadInstHeaders(ReadContext& cx);
void ReadInstBags(ReadContext& cx);
void ReadInstMods(ReadContext& cx);
void ReadInstGens(ReadContext& cx);
void ReadSampleHeaders(ReadContext& cx);

// " 2.01" for major 2, minor 1: major + minor / 100 in sign-position form.
std::string VersionText(std::uint16_t major, std::uint16_t minor);

}  // namespace zelvo
