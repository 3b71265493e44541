// SPDX-License-Identifier: GPL-3.0-or-later
// Where every sample point that Zelvo writes, converts, draws or plays is
// read: a sample's stored 16-bit points, or a compressed sample decoded.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "browser/sample_view.h"
#include "export/sample_conversion.h"
#include "export/export_files.h"
#include "soundfont/model.h"

namespace zelvo {

class VorbisStream;

class SampleSource {
public:
    // Opens the SoundFont that model was loaded from. Throws ExportError(Failed).
    // Once stop is requested, every read throws ExportError(Cancelled).
    SampleSource(const SoundFontModel& model, const std::string& soundFontPath,
                 std::stop_token stop = {});
    ~SampleSource();
    SampleSource(const SampleSource&) = delete;
    SampleSource& operator=(const SampleSource&) = delete;

    const SoundFontModel& model() const { return model_; }
    FileIdentity identity() const { return file_.identity(); }

    // The points sample sampleNdx (1-based) holds: from dwStart up to dwEnd,
    // or a compressed sample's decoded length.
    std::uint64_t PointCount(int sampleNdx) const;

    // Reads the sample's points [first, first + into.size()), counted from
    // its first point. Reading a compressed sample front to back decodes it
    // once. Throws ExportError: Refused for a sample that cannot be read as
    // 16-bit points (one in ROM, or past the sample data), Failed when the
    // file cannot give them; VorbisDecodeError for a stream that does not
    // decode.
    void Read(int sampleNdx, std::uint64_t first, std::span<std::int16_t> into);
    std::vector<std::int16_t> ReadPoints(int sampleNdx, std::uint64_t first, std::uint64_t count);

private:
    const sfSample& Sample(int sampleNdx) const;
    void ReadStored(const sfSample& sample, std::uint64_t first, std::span<std::int16_t> into) const;
    VorbisStream& StreamAt(int sampleNdx, std::uint64_t first);

    const SoundFontModel& model_;
    InputFile file_;
    std::stop_token stop_;
    int streamSample_ = 0;  // the compressed sample stream_ decodes
    std::unique_ptr<VorbisStream> stream_;
    mutable std::vector<unsigned char> bytes_;  // read stored points through, kept for the next read
};

// The points of sample sampleNdx of the SoundFont at soundFontPath, with its
// rate (a compressed sample's stream rate) and loop, as the preview draws and
// plays them. Throws ExportError: Refused for a sample that cannot be read
// as 16-bit points or decoded, Failed when the file cannot be read.
SampleSound ReadSampleSound(const SoundFontModel& model, int sampleNdx,
                            const std::string& soundFontPath, std::stop_token stop = {});

// The same sound as the wave file will hold it when the export converts: at
// 44,100 Hz, its loop a whole number of points. What the preview draws and
// plays, so that the user hears what the EX5/7 will get.
SampleSound ReadConvertedSampleSound(const SoundFontModel& model, int sampleNdx,
                                     const std::string& soundFontPath, std::stop_token stop = {});

struct PlannedSample;

// One wave sample of an export's plan as the wave file will hold it: the
// points a zone plays, converted, with the gain that keeps them in 16 bits;
// its loop when it loops. What the preview draws and the audition plays for
// a zone.
SampleSound ReadPlannedSound(const SoundFontModel& model, const std::string& soundFontPath,
                             const PlannedSample& sample, std::stop_token stop = {});

// Reads a planned sample's points in wave order, through its runs.
PointReader PlannedPointReader(SampleSource& source, const PlannedSample& sample);

// The points of a planned sample as the file takes them, read through
// source: converted whole when resampled, else copied. Calls write with
// blocks of points in order, and returns the gain the conversion applied
// (1 for copied points).
double ReadPlannedPoints(SampleSource& source, const PlannedSample& sample,
                         const std::function<void(std::span<const std::int16_t>)>& write);

// A planned sample's points as the file takes them, and the gain that kept
// them within 16 bits.
struct WavePoints {
    std::vector<std::int16_t> points;
    double gain = 1.0;
};

// The points ReadPlannedPoints gives, whole: for the samples an export of
// many instruments makes once.
WavePoints ReadWavePoints(SampleSource& source, const PlannedSample& sample);

// How a sample's points are stored in the SoundFont, as the report names it.
std::string SourceCodecName(const sfSample& sample);

}  // namespace zelvo
