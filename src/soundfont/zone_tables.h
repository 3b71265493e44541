// The last two steps of a load: zone labels and the instrument zone table,
// worked out from the records already read.
#pragma once

#include "soundfont/browse_tree.h"
#include "soundfont/model.h"

namespace zelvo {

inline constexpr const char* kGlobalLabel = "global";

void LabelPresetZones(const SoundFontModel& model, BrowseTree& tree);
void BuildInstZoneTable(SoundFontModel& model, BrowseTree& tree);

}  // namespace zelvo
