// The one place the preview takes a sample's points from, to draw and to
// play. It hands out the points the wave file receives, so that what the
// user hears is what the EX5/7 gets.
#pragma once

#include <string>

#include "browser/sample_view.h"
#include "soundfont/model.h"

namespace zelvo {

// The points of sample sampleNdx (1-based) of the SoundFont at soundFontPath,
// with its rate and loop; a compressed sample decoded. Throws ExportError: Refused for a sample that
// cannot be read as 16-bit points, Failed when the file cannot be read.
SampleSound ReadSampleSound(const SoundFontModel& model, int sampleNdx,
                            const std::string& soundFontPath);

}  // namespace zelvo
