// SPDX-License-Identifier: GPL-3.0-or-later
// The last steps of a load: references, zone labels and the instrument zone
// table, worked out from the records already read.
#pragma once

#include "soundfont/browse_tree.h"
#include "soundfont/model.h"

namespace zelvo {

inline constexpr const char* kGlobalLabel = "global";

// Resolves every instrument and sampleID generator to the record it names,
// once, so that the browser and the export read the result.
void ResolveReferences(SoundFontModel& model);
void LabelPresetZones(const SoundFontModel& model, BrowseTree& tree);
// Sets the value a generator gives a zone; generators without a value in
// InstZone leave it as it is.
void ApplyGenerator(InstZone& zone, const sfGenList& gen);
void BuildInstZoneTable(SoundFontModel& model, BrowseTree& tree);

}  // namespace zelvo
