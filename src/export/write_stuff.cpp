// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/write_stuff.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "export/export_files.h"
#include "export/sample_source.h"
#include "export/vorbis_decode.h"

namespace zelvo {
namespace {

// The instrument that the zones playing sample c belong to, for a refusal.
std::string OwnerOf(const WavePlan& plan, const SoundFontModel& model, std::size_t c) {
    for (const KeyMapEntrySource& e : plan.entrySources) {
        if (e.sampleNumber == static_cast<int>(c) + 1) return InstrumentName(model, e.instrument);
    }
    return {};
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

PointWriter::PointWriter(AtomicOutputFile& out, std::uint64_t total, ExportProgress progress)
    : out_(out), total_(total), progress_(std::move(progress)), block_(kSampleCopyBlockBytes) {
    if (progress_) progress_(0, total_);
}

void PointWriter::Write(std::int16_t value) {
    const auto point = static_cast<std::uint16_t>(value);
    block_[filled_++] = static_cast<char>(point >> 8);
    block_[filled_++] = static_cast<char>(point & 0xFF);
    if (filled_ == block_.size()) Flush();
}

void PointWriter::Write(std::span<const std::int16_t> points) {
    while (!points.empty()) {
        const std::size_t n = std::min(points.size(), (block_.size() - filled_) / 2);
        char* to = block_.data() + filled_;
        for (std::size_t i = 0; i < n; ++i) {
            const auto point = static_cast<std::uint16_t>(points[i]);
            to[2 * i] = static_cast<char>(point >> 8);
            to[2 * i + 1] = static_cast<char>(point & 0xFF);
        }
        filled_ += 2 * n;
        points = points.subspan(n);
        if (filled_ == block_.size()) Flush();
    }
}

void PointWriter::Flush() {
    if (filled_ == 0) return;
    out_.Write(block_.data(), filled_);
    written_ += filled_;
    filled_ = 0;
    if (progress_) progress_(written_, total_);
}

std::string EncodeFrontPart(const WavePlan& plan) {
    std::string front;
    front.reserve(kWaveSampleDataOffset);
    WriteWaveFileHeader(front);
    WriteWaveCounts(front, plan);
    WriteWaveKeyMapSlots(front);
    WriteWaveKeyMap(front, plan);
    WriteWaveSampleHeaders(front, plan);
    WriteWaveSampleSizes(front, plan);
    return front;
}

void WriteWaveSampleData(const WavePlan& plan, SampleSource& source, AtomicOutputFile& out,
                         const ExportProgress& progress, const MadePoints& made) {
    PointWriter writer(out, plan.SampleDataBytes(), progress);
    for (std::size_t c = 0; c < plan.samples.size(); ++c) {
        try {
            if (const auto points = made ? made(plan.samples[c]) : nullptr) {
                writer.Write(points->points);
                continue;
            }
            ReadPlannedPoints(source, plan.samples[c],
                              [&](std::span<const std::int16_t> points) { writer.Write(points); });
        } catch (const VorbisDecodeError& e) {
            const sfSample& sample =
                source.model().SampleHeaders.at(static_cast<std::size_t>(plan.samples[c].sampleNdx));
            throw ExportError(ExportError::Kind::Refused,
                              SampleOfInstrument(sample, OwnerOf(plan, source.model(), c)) + " " +
                                  e.reason() + ".");
        }
    }
    writer.Flush();
}

void WritePlannedWave(const WavePlan& plan, SampleSource& source, const std::string& outputPath,
                      const ExportProgress& progress, const MadePoints& made) {
    AtomicOutputFile out(outputPath, source.identity());
    out.Write(EncodeFrontPart(plan));
    WriteWaveSampleData(plan, source, out, progress, made);
    out.Commit();
}

void ExportInstrumentToWave(const SoundFontModel& model, int instrument,
                            const std::string& soundFontPath, const std::string& outputPath,
                            const ExportProgress& progress, const ExportOptions& options) {
    SampleSource source(model, soundFontPath, options.stop);
    WritePlannedWave(PlanWaveFile(model, instrument, options), source, outputPath, progress);
}

void ExportPresetToWave(const SoundFontModel& model, int preset, const std::string& soundFontPath,
                        const std::string& outputPath, const ExportProgress& progress) {
    SampleSource source(model, soundFontPath);
    WritePlannedWave(PlanPresetWave(model, preset), source, outputPath, progress);
}

}  // namespace zelvo
