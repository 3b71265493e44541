// Export of one instrument as an EX5/7 wave file (.s1m).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/vorbis_decode.h"
#include "export/wave_struct.h"
#include "soundfont/model.h"

namespace zelvo {

// Why an export did not produce its file. A refusal is decided before
// anything is written; a failure happens while reading or writing. what()
// is the message shown to the user.
class ExportError : public std::runtime_error {
public:
    enum class Kind { Refused, Failed };
    ExportError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Bytes of sample data written so far, of total.
using ExportProgress = std::function<void(std::uint64_t written, std::uint64_t total)>;

// Writes instrument `instrument` (1-based) of the loaded model to outputPath,
// reading sample points from soundFontPath. The file appears under its name
// only when complete (AtomicOutputFile); an outputPath that is soundFontPath
// itself, by any spelling or link, is refused. Throws ExportError.
void ExportInstrumentToWave(const SoundFontModel& model, int instrument,
                            const std::string& soundFontPath, const std::string& outputPath,
                            const ExportProgress& progress = {});

// The instrument's name as the model holds it, cut at its first NUL; empty
// for a number that names no instrument.
std::string InstrumentName(const SoundFontModel& model, int instrument);

// The building blocks of an export, in the order it uses them.

// Which samples an instrument's zones bring into the file and under which
// numbers: the distinct samples of the non-global zones, numbered 1..N in the
// order of their first use.
struct ExportNumbering {
    std::vector<bool> ZoneFirstUse;                   // by zone number; [0] unused
    std::unordered_map<int, int> ExportSampleNumber;  // by sampleNdx: 1..N
    int ExportSampleCount = 0;

    // The zone that received each sample number: [c - 1] for sample c.
    std::vector<int> FirstUserZones() const;
};

ExportNumbering NumberExportSamples(const InstZoneInfo& instrument);

// Where a sample's points lie in the "smpl" data, in bytes, or, for a
// compressed sample, which decoded sample gives them.
struct SampleDataRange {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    int decodedSample = 0;  // sampleNdx in DecodedSamples; 0: the bytes at offset
};

// The compressed samples of one export, decoded, by sampleNdx.
using DecodedSamples = std::map<int, DecodedSample>;

class InputFile;

// Decodes, once each, the compressed samples that the zones of instrument
// `instrument` play, reading their streams from soundFont. Samples the plan
// refuses for other reasons (missing, in ROM) are left out. Throws
// ExportError(Refused) naming the sample for a stream that cannot be
// decoded, ExportError(Failed) when the file cannot be read.
DecodedSamples DecodeCompressedSamples(const SoundFontModel& model, int instrument,
                                       const InputFile& soundFont);

// Every record of one export's file, derived from the model and checked
// before the output is created.
struct WavePlan {
    WaveCounts counts;
    WaveKeyMapHeader keyMapHeader;
    std::vector<WaveKeyMapEntry> keyMapEntries;
    std::vector<WaveSampleHeader> sampleHeaders;  // sample c in [c - 1]
    std::vector<std::uint32_t> sampleSizes;
    std::vector<SampleDataRange> sampleData;

    std::uint64_t SampleDataBytes() const;
};

// Throws ExportError(Refused) for an instrument the file cannot hold. A
// compressed sample is planned from its decoded points, with its loop points
// counted from their start; one missing from decoded is refused.
WavePlan PlanWaveFile(const SoundFontModel& model, int instrument,
                      const DecodedSamples& decoded = {});

// The front part's writers, in file order; each appends its block to out.
void WriteWaveFileHeader(std::string& out);
void WriteWaveCounts(std::string& out, const WavePlan& plan);
void WriteWaveKeyMapSlots(std::string& out);
void WriteWaveKeyMap(std::string& out, const WavePlan& plan);
void WriteWaveSampleHeaders(std::string& out, const WavePlan& plan);
void WriteWaveSampleSizes(std::string& out, const WavePlan& plan);

class AtomicOutputFile;

// The sample points are copied through a buffer of this size; progress is
// reported once before the copy and after every block.
inline constexpr std::size_t kSampleCopyBlockBytes = 256 * 1024;

// Turns little-endian 16-bit points into big-endian ones, in place.
void SwapPointBytes(char* data, std::size_t size);

// Copies the planned sample points, byte-swapped, from soundFont (whose
// "smpl" data starts at byte sampleDataOffset) or from decoded to out.
void WriteWaveSampleData(const WavePlan& plan, const InputFile& soundFont,
                         std::uint64_t sampleDataOffset, const DecodedSamples& decoded,
                         AtomicOutputFile& out, const ExportProgress& progress);

}  // namespace zelvo
