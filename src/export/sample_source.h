// Where an exported sample's points come from. Every exported sample is read
// through ReadSourceSamplePoints, so another source codec plugs in here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "soundfont/model.h"

namespace zelvo {

class InputFile;

// How a sample's points are stored in the SoundFont, as the report names it.
std::string SourceCodecName(const sfSample& sample);

// The sample's points from dwStart up to dwEnd, at its own rate.
// Throws ExportError(Failed) when the file cannot give them.
std::vector<std::int16_t> ReadSourceSamplePoints(const SoundFontModel& model,
                                                 const sfSample& sample,
                                                 const InputFile& soundFont);

}  // namespace zelvo
