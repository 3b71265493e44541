// SPDX-License-Identifier: GPL-3.0-or-later
// Export of one instrument as an EX5/7 wave file (.s1m): the plan, then the
// block writers in file order, then the sample points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "export/export_error.h"
#include "export/export_plan.h"
#include "export/sample_cache.h"
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

// Writes preset `preset` (1-based) of the loaded model as PlanPresetWave
// plans it, as ExportInstrumentToWave writes an instrument.
void ExportPresetToWave(const SoundFontModel& model, int preset, const std::string& soundFontPath,
                        const std::string& outputPath, const ExportProgress& progress = {});

class AtomicOutputFile;
class SampleSource;

// The sample points are written through a buffer of this size; progress is
// reported once before the first block and after every block.
inline constexpr std::size_t kSampleCopyBlockBytes = 256 * 1024;

// Points out to the file high byte first, in whole blocks, with progress
// after each block.
class PointWriter {
public:
    PointWriter(AtomicOutputFile& out, std::uint64_t total, ExportProgress progress);
    void Write(std::span<const std::int16_t> points);
    void Write(std::int16_t point);
    void Flush();

private:
    AtomicOutputFile& out_;
    std::uint64_t total_;
    ExportProgress progress_;  // a copy: callers may pass a temporary
    std::vector<char> block_;
    std::size_t filled_ = 0;
    std::uint64_t written_ = 0;
};

// The front part's blocks in file order, as the writers above give them.
std::string EncodeFrontPart(const WavePlan& plan);

// Where the writer finds a planned sample's points made already (a
// SampleCache), or null to read and convert them itself.
using MadePoints = std::function<std::shared_ptr<const WavePoints>(const PlannedSample&)>;

// Writes the points of every planned sample, read through source and
// converted as planned, high byte first. A sample that does not decode is
// refused, named with its instrument.
void WriteWaveSampleData(const WavePlan& plan, SampleSource& source, AtomicOutputFile& out,
                         const ExportProgress& progress, const MadePoints& made = {});

// The whole file of plan at outputPath, as every export writes it.
void WritePlannedWave(const WavePlan& plan, SampleSource& source, const std::string& outputPath,
                      const ExportProgress& progress, const MadePoints& made = {});

}  // namespace zelvo
