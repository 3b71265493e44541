// Export of one instrument as an EX5/7 wave file (.s1m): the plan, then the
// block writers in file order, then the sample points.
#pragma once

#include <cstddef>
#include <string>

#include "export/export_error.h"
#include "export/export_plan.h"
#include "soundfont/model.h"

namespace zelvo {

// Writes instrument `instrument` (1-based) of the loaded model to outputPath,
// reading sample points from soundFontPath. The file appears under its name
// only when complete (AtomicOutputFile), and every refusal the plan can make
// is made before it is created; an outputPath that is soundFontPath itself,
// by any spelling or link, is refused. Throws ExportError.
void ExportInstrumentToWave(const SoundFontModel& model, int instrument,
                            const std::string& soundFontPath, const std::string& outputPath,
                            const ExportProgress& progress = {},
                            const ExportOptions& options = {});

// The front part's writers, in file order; each appends its block to out.
void WriteWaveFileHeader(std::string& out);
void WriteWaveCounts(std::string& out, const WavePlan& plan);
void WriteWaveKeyMapSlots(std::string& out);
void WriteWaveKeyMap(std::string& out, const WavePlan& plan);
void WriteWaveSampleHeaders(std::string& out, const WavePlan& plan);
void WriteWaveSampleSizes(std::string& out, const WavePlan& plan);

class AtomicOutputFile;
class SampleSource;

// The sample points are written through a buffer of this size; progress is
// reported once before the first block and after every block.
inline constexpr std::size_t kSampleCopyBlockBytes = 256 * 1024;

// Writes the points of every planned sample, read through source and
// converted as planned, high byte first. instrumentName names the
// instrument in a refusal of a sample that does not decode.
void WriteWaveSampleData(const WavePlan& plan, SampleSource& source,
                         const std::string& instrumentName, AtomicOutputFile& out,
                         const ExportProgress& progress);

}  // namespace zelvo
