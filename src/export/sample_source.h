// Where a sample's points come from: the export reads every sample through
// ReadSourceSamplePoints, so another source codec plugs in there; the preview
// draws and plays what ReadSampleSound gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browser/sample_view.h"
#include "soundfont/model.h"

namespace zelvo {

// The points of sample sampleNdx (1-based) of the SoundFont at soundFontPath,
// with its rate and loop; a compressed sample decoded. Throws ExportError: Refused for a sample that
// cannot be read as 16-bit points, Failed when the file cannot be read.
SampleSound ReadSampleSound(const SoundFontModel& model, int sampleNdx,
                            const std::string& soundFontPath);

// The same sound as the wave file will hold it when the export converts: at
// 44,100 Hz, its loop a whole number of points. What the preview draws and
// plays, so that the user hears what the EX5/7 will get.
SampleSound ReadConvertedSampleSound(const SoundFontModel& model, int sampleNdx,
                                     const std::string& soundFontPath);

class InputFile;

// How a sample's points are stored in the SoundFont, as the report names it.
std::string SourceCodecName(const sfSample& sample);

// The sample's points from dwStart up to dwEnd, at its own rate.
// Throws ExportError(Failed) when the file cannot give them.
std::vector<std::int16_t> ReadSourceSamplePoints(const SoundFontModel& model,
                                                 const sfSample& sample,
                                                 const InputFile& soundFont);

}  // namespace zelvo
