// SPDX-License-Identifier: GPL-3.0-or-later
// Small files that announce large work: zelvo-cli must end on each with its
// memory bounded by what it really holds, and in time that grows with the
// file, never faster.
#include <gtest/gtest.h>

#include "cli_process.h"
#include "ogg_streams.h"

namespace zelvo::testing {
namespace {

// A file of `bytes` whose size is `size`, the rest a hole that reads as zeros.
struct SparseFile : TempFile {
    SparseFile(const std::string& bytes, off_t size) : TempFile(bytes, "sparse.sf2") {
        EXPECT_EQ(truncate(path().c_str(), size), 0);
    }
};

const auto Le32 = [](std::uint32_t v) { std::string out; AppendLe(out, v, 4); return out; };

constexpr off_t kGiB = off_t{1} << 30;
constexpr long kMemoryLimitKiB = 100 * 1024;

TEST(BoundedLoad, HugeDeclaredSizesEndQuicklyInLittleMemory) {
    const std::string riff = "RIFF" + Le32(0xFFFFFFF0) + "sfbk";
    // An INFO list of empty sub-chunks as long as a LIST can say.
    const SparseFile emptyInfo(riff + "LIST" + Le32(0xFFFFFF00) + "INFO", 5 * kGiB);
    // A 4 GB comment.
    const std::uint32_t comment = 0xF0000000;
    const SparseFile hugeComment(
        riff + "LIST" + Le32(comment + 12) + "INFO" + "ICMT" + Le32(comment), 5 * kGiB);
    // A preset header chunk of 110 million records.
    const std::string info = "LIST" + Le32(16) + "INFO" + "ifil" + Le32(4) + Le32(0x00010002);
    const std::string sdta = "LIST" + Le32(12) + "sdta" + "smpl" + Le32(0);
    const std::uint32_t phdr = 38u * 110'000'000u;
    const SparseFile manyPresets(
        riff + info + sdta + "LIST" + Le32(phdr + 12) + "pdta" + "phdr" + Le32(phdr), 5 * kGiB);

    for (const SparseFile* file : {&emptyInfo, &hugeComment, &manyPresets}) {
        const ProgramRun run = RunProgram({"tree", file->path()});
        EXPECT_EQ(run.status, 1) << file->path();
        EXPECT_LT(run.peakKiB, kMemoryLimitKiB) << file->path();
    }
}

// A compressed sample's length is its last page's granule: a short stream
// that claims 155 million points, and 16 sample headers over one stream of
// 16.7 million, are refused from their headers before a point is decoded.
TEST(BoundedExport, CompressedLengthsAreCheckedBeforeDecoding) {
    const std::string stream = EncodeVorbis(std::vector<float>(4096, 0.0f), 1);
    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4}).CompressedSample({.name = "Silence"}, WithLength(stream, 155'000'000));
    const std::string shared = WithLength(stream, 16'700'000);
    b.CompressedSample({.name = "Shared"}, shared);
    std::vector<ZoneDef> zones;
    for (int s = 0; s < 16; ++s) {
        b.Sample({.name = "Shared" + std::to_string(s), .start = static_cast<std::uint32_t>(stream.size()),
                  .end = static_cast<std::uint32_t>(stream.size() + shared.size()), .type = 0x11});
        zones.push_back({{KeyRange(s, s), SampleId(2 + s)}});
    }
    b.Instrument({"Silence", {{{SampleId(0)}}}}).Instrument({"Shared", zones});
    const TempFile file(b.Build(), "long.sf3");
    const std::string out = (file.folder() / "out.s1m").string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"export", file.path(), "1", out}, {"export", file.path(), "2", out},
             {"report", file.path(), "1"}, {"report", file.path()}}) {
        const ProgramRun run = RunProgram(args);
        EXPECT_EQ(run.status, 1) << args.back();  // refused
        EXPECT_LT(run.peakKiB, kMemoryLimitKiB) << args[0] << " " << args.back();
        RecordProperty(args[0] + "_" + std::to_string(args.size()) + "_peak_kib", std::to_string(run.peakKiB));
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

// An 8 kHz sample of three million points becomes 16.5 million at 44.1 kHz:
// the export holds that one sample and nothing else.
TEST(BoundedExport, UpsamplingHoldsOneConvertedSample) {
    constexpr std::uint32_t kPoints = 3'000'000;
    std::vector<std::int16_t> points(kPoints);
    for (std::uint32_t i = 0; i < kPoints; ++i) points[i] = static_cast<std::int16_t>((i * 37) % 2000 - 1000);
    Sf2Builder b;
    b.Sample({.name = "Long", .end = kPoints, .startLoop = 1'000'000, .endLoop = 2'999'000, .rate = 8000})
        .SamplePoints(points).Instrument({"Long", {{{SampleModes(1), SampleId(0)}}}});
    const TempFile file(b.Build());
    const std::string out = (file.folder() / "out.s1m").string();
    const ProgramRun run = RunProgram({"export", file.path(), "1", out});
    EXPECT_EQ(run.status, 0);
    EXPECT_GT(std::filesystem::file_size(out), 33'000'000u);
    EXPECT_LT(run.peakKiB, kMemoryLimitKiB);
    RecordProperty("peak_kib", std::to_string(run.peakKiB));
}

// Thirty instruments, each with its own 8 kHz sample that becomes 4.4 MB at
// 44.1 kHz: an export of all of them lets each sample go once its
// instrument is written, rather than holding 132 MB.
// (The bank is built in a function, so that the test process, whose size
// the child starts with, no longer holds it.)
std::string ThirtyLongSamples() {
    constexpr std::uint32_t kPoints = 400'000, kSamples = 30;
    std::vector<std::int16_t> points(kPoints * kSamples);
    for (std::size_t i = 0; i < points.size(); ++i) points[i] = static_cast<std::int16_t>((i * 37) % 2000 - 1000);
    Sf2Builder b;
    b.SamplePoints(points);
    for (std::uint32_t s = 0; s < kSamples; ++s) {
        b.Sample({.name = "S" + std::to_string(s), .start = s * kPoints, .end = (s + 1) * kPoints, .rate = 8000})
            .Instrument({"I" + std::to_string(s), {{{SampleId(static_cast<int>(s))}}}});
    }
    return b.Build();
}

TEST(BoundedExport, ExportOfAllLetsEachSampleGoAfterItsLastUse) {
    const TempFile file(ThirtyLongSamples());
    const ProgramRun run = RunProgram({"export", file.path(), "--all", file.folder().string(), "--jobs", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(std::filesystem::exists(file.folder() / "I29.s1m"));
    EXPECT_LT(run.peakKiB, kMemoryLimitKiB);
    RecordProperty("peak_kib", std::to_string(run.peakKiB));
}

// The whole-bank report reads each instrument's zones once: 16,000
// instruments take it about as long as listing them in the tree does.
TEST(BoundedExport, ReportGrowsWithTheInstruments) {
    Sf2Builder b;
    b.Sample({.name = "Tick", .end = 8}).SamplePoints(std::vector<std::int16_t>(8, 100));
    for (int i = 0; i < 16000; ++i) b.Instrument({"I" + std::to_string(i), {{{SampleId(0)}}}});
    b.Preset({"All", 0, 0, {ZoneDef{{InstrumentId(0)}}}});
    const TempFile file(b.Build());
    const ProgramRun tree = RunProgram({"tree", file.path()});
    const ProgramRun report = RunProgram({"report", file.path()});
    EXPECT_EQ(std::make_pair(tree.status, report.status), std::make_pair(0, 0));
    EXPECT_LT(report.cpuSeconds, 25 * tree.cpuSeconds + 0.1) << tree.cpuSeconds;
    RecordProperty("cpu_seconds", std::to_string(tree.cpuSeconds) + " " + std::to_string(report.cpuSeconds));
}

}  // namespace
}  // namespace zelvo::testing
