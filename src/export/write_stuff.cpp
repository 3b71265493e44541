#include "export/write_stuff.h"

#include <algorithm>
#include <span>
#include <vector>

#include "export/export_files.h"
#include "export/sample_source.h"
#include "export/vorbis_decode.h"

namespace zelvo {
namespace {

// Points out to the file high byte first, in whole blocks, with progress
// after each block.
class PointWriter {
public:
    PointWriter(AtomicOutputFile& out, std::uint64_t total, const ExportProgress& progress)
        : out_(out), total_(total), progress_(progress), block_(kSampleCopyBlockBytes) {
        if (progress_) progress_(0, total_);
    }

    void Write(std::span<const std::int16_t> points) {
        for (const std::int16_t value : points) {
            const auto point = static_cast<std::uint16_t>(value);
            block_[filled_++] = static_cast<char>(point >> 8);
            block_[filled_++] = static_cast<char>(point & 0xFF);
            if (filled_ == block_.size()) Flush();
        }
    }

    void Flush() {
        if (filled_ == 0) return;
        out_.Write(block_.data(), filled_);
        written_ += filled_;
        filled_ = 0;
        if (progress_) progress_(written_, total_);
    }

private:
    AtomicOutputFile& out_;
    std::uint64_t total_;
    const ExportProgress& progress_;
    std::vector<char> block_;
    std::size_t filled_ = 0;
    std::uint64_t written_ = 0;
};

// One planned sample's points as the file takes them.
void WritePlannedSample(SampleSource& source, int sampleNdx, const SampleConversion& conversion,
                        PointWriter& writer) {
    if (conversion.Resampled()) {
        writer.Write(
            ConvertSamplePoints(source.ReadPoints(sampleNdx, 0, conversion.points), conversion).points);
        return;
    }
    std::vector<std::int16_t> block(kSampleCopyBlockBytes / 2);
    for (std::int64_t done = 0; done < conversion.points;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(conversion.points - done, static_cast<std::int64_t>(block.size())));
        const std::span<std::int16_t> points(block.data(), n);
        source.Read(sampleNdx, static_cast<std::uint64_t>(done), points);
        writer.Write(points);
        done += static_cast<std::int64_t>(n);
    }
}

}  // namespace

void WriteWaveFileHeader(std::string& out) {
    out += EncodeWaveFileHeader();
}

void WriteWaveCounts(std::string& out, const WavePlan& plan) {
    out += EncodeWaveCounts(plan.counts);
}

void WriteWaveKeyMapSlots(std::string& out) {
    out += EncodeWaveKeyMapSlots();
}

void WriteWaveKeyMap(std::string& out, const WavePlan& plan) {
    out += EncodeWaveKeyMapArea(plan.keyMapHeader, plan.keyMapEntries);
}

void WriteWaveSampleHeaders(std::string& out, const WavePlan& plan) {
    out += EncodeWaveSampleHeaderTable(plan.sampleHeaders);
}

void WriteWaveSampleSizes(std::string& out, const WavePlan& plan) {
    out += EncodeWaveSampleSizes(plan.sampleSizes);
}

void WriteWaveSampleData(const WavePlan& plan, SampleSource& source,
                         const std::string& instrumentName, AtomicOutputFile& out,
                         const ExportProgress& progress) {
    PointWriter writer(out, plan.SampleDataBytes(), progress);
    for (std::size_t c = 0; c < plan.conversions.size(); ++c) {
        const int sampleNdx = plan.sampleIndexes[c];
        try {
            WritePlannedSample(source, sampleNdx, plan.conversions[c], writer);
        } catch (const VorbisDecodeError& e) {
            const sfSample& sample = source.model().SampleHeaders.at(static_cast<std::size_t>(sampleNdx));
            throw ExportError(ExportError::Kind::Refused,
                              SampleOfInstrument(sample, instrumentName) + " " + e.reason() + ".");
        }
    }
    writer.Flush();
}

void ExportInstrumentToWave(const SoundFontModel& model, int instrument,
                            const std::string& soundFontPath, const std::string& outputPath,
                            const ExportProgress& progress, const ExportOptions& options) {
    SampleSource source(model, soundFontPath);
    const WavePlan plan = PlanWaveFile(model, instrument, options);
    AtomicOutputFile out(outputPath, source.identity());
    std::string front;
    front.reserve(kWaveSampleDataOffset);
    WriteWaveFileHeader(front);
    WriteWaveCounts(front, plan);
    WriteWaveKeyMapSlots(front);
    WriteWaveKeyMap(front, plan);
    WriteWaveSampleHeaders(front, plan);
    WriteWaveSampleSizes(front, plan);
    out.Write(front);
    WriteWaveSampleData(plan, source, InstrumentName(model, instrument), out, progress);
    out.Commit();
}

}  // namespace zelvo
