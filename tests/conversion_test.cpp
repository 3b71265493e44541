// SPDX-License-Identifier: GPL-3.0-or-later
// The converting export, on SoundFonts built in memory: lengths, loops and
// tuning against values worked out by hand; the points against the analytic
// signal and against sox, a resampler the export does not use; each zone's
// root key, start, loop and loop mode; whole presets; and the pitch of notes
// that FluidSynth renders against the wave's points played as the EX5 would.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <memory>
#include <optional>

#include "cli/cli.h"
#include "export/calibration_wave.h"
#include "export/conversion_report.h"
#include "export/write_stuff.h"
#include "load_helpers.h"
#include "wave_fields.h"

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kStartOffset = 0, kEndOffset = 1, kStartLoopOffset = 2, kEndLoopOffset = 3,
              kStartCoarseOffset = 4, kReverb = 16, kAttenuation = 48, kScaleTuning = 56;

// How much the step from a loop's last point back to its first exceeds
// 1.3 times the largest step inside it.
double SeamExcess(const std::vector<std::int16_t>& p, std::size_t start, std::size_t end) {
    int largest = 0;
    for (std::size_t i = start; i + 1 < end; ++i) largest = std::max(largest, std::abs(p[i + 1] - p[i]));
    return std::max(0.0, std::abs(p[start] - p[end - 1]) - 1.3 * largest);
}

// The frequency of a steady tone from its rising zero crossings, each placed
// between two points by linear interpolation.
double Frequency(const std::vector<double>& points, double rate) {
    std::vector<double> crossings;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (points[i] < 0 && points[i + 1] >= 0)
            crossings.push_back(static_cast<double>(i) + points[i] / (points[i] - points[i + 1]));
    }
    if (crossings.size() < 2) return 0;
    return rate * static_cast<double>(crossings.size() - 1) / (crossings.back() - crossings.front());
}

// What sox's own resampler makes of points at rate, times volume, at
// 44.1 kHz; nullopt when sox is not installed.
std::optional<std::vector<std::int16_t>> Sox(const std::filesystem::path& folder,
                                             const std::vector<std::int16_t>& points, int rate, double volume = 1) {
    const std::string raw = (folder / "sox.raw").string(), format = " -t raw -e signed -b 16 -c 1 -L ";
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(points.data()), static_cast<std::streamsize>(2 * points.size()));
    if (std::system(("command -v sox >/dev/null && sox -v " + std::to_string(volume) + " -r " + std::to_string(rate) +
                     format + raw + format + raw + ".out rate -v 44100 2>/dev/null").c_str()) != 0)
        return std::nullopt;
    const std::string bytes = ReadWholeFile(raw + ".out");
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), 2 * out.size());
    return out;
}

// A zone of the twelve keys from lo that plays sample with gens.
ZoneDef Keys12(int lo, std::vector<GenRecord> gens, int sample = 0) {
    gens.insert(gens.begin(), KeyRange(lo, lo + 11));
    gens.push_back(SampleId(sample));
    return ZoneDef{gens};
}

class Conversion : public ::testing::Test {
protected:
    void Load(const Sf2Builder& builder) { f_ = std::make_unique<OpenedFile>(builder.Build()); }
    std::string Out() const { return f_->Out(); }
    // The file of instrument i, and what the reader makes of it.
    std::pair<std::string, WaveFileContents> Export(int i, bool convert = true) {
        ExportInstrumentToWave(f_->model, i, f_->Path(), Out(), {}, {.convertSamples = convert});
        std::string file = ReadWholeFile(Out());
        WaveFileContents w = ParseWaveFile(file);
        return {std::move(file), std::move(w)};
    }
    InstrumentReport Report(int i, bool convert = true) {
        return ReportInstrumentExport(f_->model, i, f_->Path(), {.convertSamples = convert});
    }
    std::string Cli(std::vector<std::string> args, int status = cli::kExitOk) {
        std::ostringstream out, err;
        args.insert(args.begin() + 1, f_->Path());
        EXPECT_EQ(cli::RunCli(args, out, err), status) << err.str();
        return out.str() + err.str();
    }

    std::unique_ptr<OpenedFile> f_;
};

TEST_F(Conversion, LengthsLoopsAndTuningFollowTheRatio) {
    Sf2Builder b;
    // 32 points at 48 kHz become 29.4, so 29: the loop plays 23.7 cents sharp.
    b.Sample({.name = "Short", .end = 1000, .startLoop = 100, .endLoop = 132, .rate = 48000});
    // 800 points at 32 kHz: 1102.5 become 1103, ratio 1.37875, 1378.75 points in all.
    b.Sample({.name = "Long", .end = 1000, .startLoop = 100, .endLoop = 900, .rate = 32000});
    b.Sample({.name = "Plain", .end = 1001, .rate = 22050, .correction = 30});
    b.Sample({.name = "Flat", .end = 1000, .correction = 0xEC});  // -20 cents at 44.1 kHz
    b.SamplePoints(SinePoints(1001, 40, 8000));
    Load(b.Instrument({"Mixed", {{{SampleModes(1), SampleId(0)}}, {{FineTune(10), SampleModes(1), SampleId(1)}},
                                 {{SampleId(2)}}, {{SampleId(3)}}, {{FineTune(-90), SampleId(3)}}}}));

    const auto [file, w] = Export(1);
    // Flag, loop start, loop length, after the loop, root key, points; the
    // last two zones play one sample alike.
    EXPECT_EQ(Headers(w), (std::vector<std::vector<std::int64_t>>{{0x00, 91, 29, 786, 60, 906},
                                                                 {0x00, 138, 1103, 138, 60, 1379},
                                                                 {0x40, 0, 0, 2002, 60, 2002},
                                                                 {0x40, 0, 0, 1000, 60, 1000}}));
    // Tunings to the nearest step of 100/64 cents: -23.7 gives 49; 10 + 0.8
    // gives 71; +30 gives 83; -20 gives 51; -90 - 20 is a semitone down and
    // -10 cents: coarse 63, fine 58.
    EXPECT_EQ(Entries(w), (std::vector<std::vector<int>>{
                              {0x4000, 0, 127, 1, 127, 64, 64, 49}, {0x4001, 0, 127, 1, 127, 64, 64, 71},
                              {0x4002, 0, 127, 1, 127, 64, 64, 83}, {0x4003, 0, 127, 1, 127, 64, 64, 51},
                              {0x4003, 0, 127, 1, 127, 64, 63, 58}}));
    const InstrumentReport report = Report(1);
    EXPECT_NEAR(report.sampleReports[0].loopTuneCents, -23.72, 0.01);
    EXPECT_EQ(std::make_tuple(report.sampleReports[2].pitchCorrectionCents, report.zoneReports[4].tuneCents,
                              report.zoneReports[4].playedCents),
              std::make_tuple(30, -110, -100 - 6 * 100.0 / 64));
    // The 44.1 kHz sample keeps its points; only its tuning changes.
    const auto [storedFile, stored] = Export(1, false);
    EXPECT_EQ(PointsOf(file, w.samples[3]), PointsOf(storedFile, stored.samples[3]));
    // As stored: the reference's floor(64 x cents / 100) + 64, and the points as they are.
    EXPECT_EQ(Entries(stored), (std::vector<std::vector<int>>{
                                   {0x4000, 0, 127, 1, 127, 64, 64, 64}, {0x4001, 0, 127, 1, 127, 64, 64, 70},
                                   {0x4002, 0, 127, 1, 127, 64, 64, 64}, {0x4003, 0, 127, 1, 127, 64, 64, 64},
                                   {0x4003, 0, 127, 1, 127, 64, 64, 6}}));
    EXPECT_EQ(stored.samples[1].size, 2000u);
    // Nothing is converted, but the three rates left warn, and the two loops
    // play out of tune by as much as their samples, which says it already.
    EXPECT_EQ(std::make_pair(Report(1, false).Status(), Report(1, false).Warnings()), std::make_pair(std::string("changed"), 3));
}

// Rates far outside what samples are recorded at are kept, not stretched a
// thousandfold; the lowest the SoundFont standard allows is converted.
TEST(ConversionPlan, ImplausibleRatesAreKept) {
    const auto plan = [](std::uint32_t rate) {
        return PlanSampleConversion(
            {.achSampleName = "", .dwEnd = 16, .dwStartloop = 4, .dwEndloop = 14, .dwSampleRate = rate},
            true);
    };
    EXPECT_EQ(std::make_tuple(plan(6).outPoints, plan(6).Resampled(), plan(1'000'000).Resampled(), plan(400).Resampled()),
              std::make_tuple(16, false, false, true));
    EXPECT_EQ(plan(400).outLoopEnd - plan(400).outLoopStart, 1103);  // 10 x 110.25, rounded
}

TEST_F(Conversion, PointsFollowTheSignalAndLoopsRepeatSeamlessly) {
    // Ten periods of 100 points at 48 kHz loop from 1000; silence follows the
    // loop, which a converter that saw it would smear into the loop's end.
    Sf2Builder b;
    b.Sample({.name = "Sine", .end = 3000, .startLoop = 1000, .endLoop = 2000, .rate = 48000});
    b.Sample({.name = "Octave", .start = 3046, .end = 4046, .rate = 22050});
    b.Sample({.name = "Chord", .start = 4092, .end = 36092, .rate = 32000});
    std::vector<std::int16_t> points = SinePoints(3046, 100, 12000, 2000);
    const std::vector<std::int16_t> low = SinePoints(1046, 50, 12000, 1000);
    points.insert(points.end(), low.begin(), low.end());
    // Three tones below 15 kHz at 32 kHz.
    std::vector<std::int16_t> chord = SinePoints(32000, 32000 / 440.0, 6000);
    for (const double hz : {3321.5, 14100.0}) {
        const std::vector<std::int16_t> tone = SinePoints(32000, 32000 / hz, 6000);
        for (std::size_t i = 0; i < chord.size(); ++i) chord[i] = static_cast<std::int16_t>(chord[i] + tone[i]);
    }
    points.insert(points.end(), chord.begin(), chord.end());
    Load(b.SamplePoints(points).Instrument(
        {"Sines", {{{SampleModes(1), SampleId(0)}}, {{SampleId(1)}}, {{SampleId(2)}}}}));

    const auto [file, w] = Export(1);
    const std::vector<std::int16_t> sine = PointsOf(file, w.samples.at(0));
    const WaveSampleHeader& h = w.samples[0].header;
    ASSERT_EQ(h.loopLength, 919);  // 918.75 made whole: ratio 0.919
    // Inside the loop the points are the sine at the new spacing.
    for (std::int64_t k = 300; k < h.loopStartOffset + h.loopLength; ++k) {
        const double expected = 12000 * std::sin(2 * std::numbers::pi * static_cast<double>(k) / (100 * 0.919));
        ASSERT_NEAR(sine[static_cast<std::size_t>(k)], expected, 3) << "point " << k;
    }
    EXPECT_EQ(SeamExcess(sine, h.loopStartOffset, h.loopStartOffset + h.loopLength), 0);
    // After the loop the silence, heard only as the loop's tail fades into it.
    EXPECT_EQ(sine.back(), 0);
    // 22,050 Hz doubles exactly: every other point is a source point.
    const std::vector<std::int16_t> octave = PointsOf(file, w.samples.at(1));
    ASSERT_EQ(octave.size(), 2000u);
    for (std::size_t k = 200; k < 1800; ++k)
        ASSERT_NEAR(octave[k], 12000 * std::sin(2 * std::numbers::pi * k / 100.0), 3) << k;
    // The chord against sox's own resampler, away from both ends.
    const auto sox = Sox(f_->file.folder(), chord, 32000);
    if (!sox) GTEST_SKIP() << "sox is not installed";
    const std::vector<std::int16_t> ours = PointsOf(file, w.samples.at(2));
    ASSERT_EQ(ours.size(), 44100u);
    double error = 0, energy = 0;
    for (std::size_t k = 1000; k < 43100; ++k) {
        error += (ours[k] - sox->at(k)) * double(ours[k] - sox->at(k));
        energy += double(sox->at(k)) * sox->at(k);
    }
    EXPECT_LT(10 * std::log10(error / energy), -60) << "dB below the signal";
}

// Each zone plays its sample from its own start, with its own loop and loop
// mode, at its own root key; coarse tune counts semitones. Zones that play a
// sample alike share one wave sample.
TEST_F(Conversion, ZonesPlayTheirOwnRootKeysStartsAndLoops) {
    std::vector<std::int16_t> points(41046);
    for (std::size_t i = 0; i < points.size(); ++i) points[i] = static_cast<std::int16_t>(i % 30000);
    Sf2Builder b;
    b.Sample({.name = "Tone", .end = 1000, .startLoop = 100, .endLoop = 900});
    b.Sample({.name = "Big", .start = 1046, .end = 41046, .startLoop = 36046, .endLoop = 40046, .pitch = 64});
    const std::vector<GenRecord> offsets = {Gen(kStartOffset, 10), Gen(kEndOffset, -20),
                                            Gen(kStartLoopOffset, 5), Gen(kEndLoopOffset, -5)};
    std::vector<GenRecord> looped = offsets, held = offsets;
    looped.push_back(SampleModes(1));
    held.push_back(SampleModes(3));
    Load(b.SamplePoints(points).Instrument(
        {"Zones", {Keys12(0, {}), Keys12(12, {RootKey(72), CoarseTune(24)}),
          Keys12(24, {RootKey(48), CoarseTune(-24), FineTune(30)}), Keys12(36, {CoarseTune(-12), FineTune(-70)}),
          Keys12(48, looped), Keys12(60, held), Keys12(72, {SampleModes(2)}),
          Keys12(84, {Gen(kStartCoarseOffset, 1), Gen(kStartOffset, 32), SampleModes(1)}, 1),
          Keys12(96, {Gen(kEndLoopOffset, 1000), SampleModes(1)}),
          Keys12(108, {Gen(kStartLoopOffset, -200), SampleModes(1)}),
          ZoneDef{{KeyRange(120, 127), Gen(kStartOffset, 500), SampleModes(1), SampleId(0)}}}}));

    const auto [file, w] = Export(1);
    // Sample reference, keys, velocities, pan, coarse, fine. Root 72 with +24:
    // +1200 cents at the header's 60; root 48 with -2400 + 30: -1170, so -12
    // semitones and +30 cents (fine 83); -1200 - 70 is -13 semitones +30.
    EXPECT_EQ(Entries(w), (std::vector<std::vector<int>>{
        {0x4000, 0, 11, 1, 127, 64, 64, 64},    {0x4000, 12, 23, 1, 127, 64, 76, 64},
        {0x4000, 24, 35, 1, 127, 64, 52, 83},   {0x4000, 36, 47, 1, 127, 64, 51, 83},
        {0x4001, 48, 59, 1, 127, 64, 64, 64},   {0x4001, 60, 71, 1, 127, 64, 64, 64},
        {0x4000, 72, 83, 1, 127, 64, 64, 64},   {0x4002, 84, 95, 1, 127, 64, 64, 64},
        {0x4003, 96, 107, 1, 127, 64, 64, 64},  {0x4004, 108, 119, 1, 127, 64, 64, 64},
        {0x4005, 120, 127, 1, 127, 64, 64, 64}}));
    // Flag, loop start, loop length, after the loop, root key, points. Modes
    // 0 and 2 do not loop, 1 and 3 do; a zone starting past its loop start
    // plays on to the loop end, then loops from the loop start: 400 points,
    // the 800 of the loop, the 100 after it.
    EXPECT_EQ(Headers(w), (std::vector<std::vector<std::int64_t>>{
        {0x40, 100, 800, 100, 60, 1000}, {0x00, 95, 790, 85, 60, 970},  {0x00, 2200, 4000, 1000, 64, 7200},
        {0x00, 100, 900, 0, 60, 1000},   {0x00, 0, 900, 100, 60, 1000}, {0x00, 400, 800, 100, 60, 1300}}));
    // The points start where the zones start.
    EXPECT_EQ(PointsOf(file, w.samples[1]).front(), 10);
    EXPECT_EQ(PointsOf(file, w.samples[2]).front(), (1046 + 32800) % 30000);
    const std::vector<std::int16_t> late = PointsOf(file, w.samples[5]);
    EXPECT_EQ((std::vector<int>{late[0], late[399], late[400], late[1199], late[1200]}),
              (std::vector<int>{500, 899, 100, 899, 900}));

    const InstrumentReport report = Report(1);
    EXPECT_EQ(report.repeatedSampleBytes, 2u * (970 + 1000 + 1000 + 1300));
    EXPECT_EQ(report.Status(), "changed");
}

// A zone whose scale tuning is not 100, or that plays every key as one,
// gets one entry per key while the wave stays within 128 entries; beyond,
// its entry is in tune at its root key. A tuning past the coarse byte's
// reach moves the sample header's root key instead, in a sample of its own.
TEST_F(Conversion, EntriesFollowScaleTuningKeynumAndFarTunings) {
    Sf2Builder b;
    b.Sample({.name = "Drum", .end = 100, .pitch = 61}).SamplePoints(SinePoints(100, 10, 1000));
    Load(b.Instrument({"Kit", {{{KeyRange(60, 62), Gen(kScaleTuning, 0), SampleId(0)}},
                               {{Gen(kScaleTuning, 50), SampleId(0)}},
                               {{KeyRange(40, 41), Gen(46, 61), SampleId(0)}},
                               {{KeyRange(100, 100), CoarseTune(70), SampleId(0)}}}}));
    const WaveFileContents w = Export(1).second;
    // Keys 60..62 all sound the sample's own pitch from its root 61; keys 40
    // and 41 sound key 61; +7000 cents on a header root of 0 is 900 cents
    // from key 100.
    EXPECT_EQ(Entries(w), (std::vector<std::vector<int>>{
                              {0x4000, 60, 60, 1, 127, 64, 65, 64}, {0x4000, 61, 61, 1, 127, 64, 64, 64},
                              {0x4000, 62, 62, 1, 127, 64, 63, 64}, {0x4000, 0, 127, 1, 127, 64, 64, 64},
                              {0x4000, 40, 40, 1, 127, 64, 85, 64}, {0x4000, 41, 41, 1, 127, 64, 84, 64},
                              {0x4001, 100, 100, 1, 127, 64, 73, 64}}));
    EXPECT_EQ(w.samples.at(1).header.rootKey, 0);
    const InstrumentReport report = Report(1);
    EXPECT_EQ(std::make_tuple(report.zoneReports.at(1).entries, report.zoneReports.at(1).keyTuned, report.Warnings()),
              std::make_tuple(1, true, 1));
}

// A full-scale square wave overshoots when band-limited: the converted sample
// is scaled so that its peak just fits, never clipped flat.
// Full-scale square waves overshoot when band-limited, one upwards, one
// downwards: each converted sample is scaled so that its peak just fits,
// never clipped flat, by the gain sox's own resampler's peak calls for.
TEST_F(Conversion, OvershootIsScaledToFitNotClipped) {
    std::vector<std::int16_t> squares(4000);
    for (std::size_t i = 0; i < 2000; ++i) squares[i] = (i / 10) % 2 ? 32767 : 0;
    for (std::size_t i = 2000; i < 4000; ++i) squares[i] = (i / 10) % 2 ? 0 : -32768;
    Sf2Builder b;
    b.Sample({.name = "Up", .end = 2000, .rate = 22050}).Sample({.name = "Down", .start = 2000, .end = 4000, .rate = 22050});
    Load(b.SamplePoints(squares).Instrument({"Loud", {{{KeyRange(0, 60), SampleId(0)}}, {{SampleId(1)}}}}));
    const auto [file, w] = Export(1);
    // At half volume, so that sox clips nothing.
    const auto sox = Sox(f_->file.folder(), squares, 22050, 0.5);
    if (!sox) GTEST_SKIP() << "sox is not installed";
    const InstrumentReport report = Report(1);
    for (const int c : {0, 1}) {
        const std::vector<std::int16_t> points = PointsOf(file, w.samples.at(c));
        const auto [lo, hi] = std::minmax_element(points.begin(), points.end());
        EXPECT_EQ(c == 0 ? *hi : *lo, c == 0 ? 32767 : -32768);
        int flat = 0;
        for (std::size_t i = 1; i < points.size(); ++i) flat += points[i] == points[i - 1] && std::abs(points[i]) >= 32767;
        EXPECT_EQ(flat, 0);
        // Away from where the two samples meet in sox's one stream.
        const auto [soxLo, soxHi] = std::minmax_element(sox->begin() + 4200 * c, sox->begin() + 3800 + 4200 * c);
        const double peak = c == 0 ? 2.0 * *soxHi / 32767 : -2.0 * *soxLo / 32768;
        EXPECT_NEAR(report.sampleReports.at(c).gainDb, -20 * std::log10(peak), 0.25) << c;
    }
    // The whole-bank report measures as the instrument's own, on any number of threads.
    for (const int jobs : {1, 2}) {
        const InstrumentReport all = ReportAllInstruments(f_->model, f_->Path(), {.jobs = jobs}, true).at(0);
        EXPECT_EQ(all.sampleReports.at(1).gainDb, report.sampleReports.at(1).gainDb);
    }
    EXPECT_FALSE(ReportAllInstruments(f_->model, f_->Path()).at(0).sampleReports.at(1).converted);
}

TEST_F(Conversion, SampleNamesAreToldApartWithinAWave) {
    Sf2Builder b;
    b.Sample({.name = "P200 Piano C7 L", .end = 10, .pitch = 108, .type = 4})
        .Sample({.name = "P200 Piano C7 R", .end = 10, .pitch = 108, .type = 2})
        .Sample({.name = "Violin", .end = 10}).Sample({.name = "Violin", .end = 10, .pitch = 62})
        .Sample({.name = "Violin", .end = 10, .pitch = 62}).Sample({.name = "Solo", .end = 10});
    std::vector<ZoneDef> zones;
    for (int s = 0; s < 6; ++s) zones.push_back({{KeyRange(s, s), SampleId(s)}});
    Load(b.SamplePoints(std::vector<std::int16_t>(10, 1)).Instrument({"Strings", zones}));
    std::vector<std::string> names;
    for (const WaveSample& s : Export(1).second.samples) names.push_back(s.header.name);
    EXPECT_EQ(names, (std::vector<std::string>{"P200C7L ", "P200C7R ", "ViolinC3", "VioliD31",
                                               "VioliD32", std::string("Solo\0\0\0\0", 8)}));
    EXPECT_EQ(Export(1, false).second.samples[1].header.name, "P200 Pia");  // as stored
}

// A preset's global zone supplies what its zones lack; its key ranges meet
// its instruments'; its tuning and pan add to theirs.
TEST_F(Conversion, PresetsMergeOntoTheirInstruments) {
    Sf2Builder b;
    b.Sample({.name = "A", .end = 100}).Sample({.name = "B", .end = 100, .pitch = 72}).Sample({.name = "C", .end = 100});
    b.SamplePoints(SinePoints(100, 10, 1000));
    b.Instrument({"Keys", {{{KeyRange(0, 63), SampleId(0)}}, {{KeyRange(64, 127), SampleId(1)}}}})
        .Instrument({"Pad", {{{CoarseTune(2), Pan(-100), SampleId(2)}}}})
        .Preset({"Combo", 5, 1, {ZoneDef{{CoarseTune(-12), KeyRange(36, 96), Gen(kAttenuation, 50)}},
                  ZoneDef{{KeyRange(48, 72), FineTune(10), InstrumentId(0)}},
                  ZoneDef{{Pan(300), Gen(kReverb, 100), InstrumentId(1)}}}});
    Load(b);
    const std::string out = Out();
    EXPECT_NE(Cli({"export", "--preset", "1:5", out}).find("was saved"), std::string::npos);
    const WaveFileContents w = ParseWaveFile(ReadWholeFile(out));
    EXPECT_EQ(w.keyMapHeader.name, "Combo   ");
    // -1200 + 10 cents: coarse 52, fine 64 + 6; -1200 + 200: coarse 54; pan
    // -100 + 300 is floor(64 x 200 / 500) + 64.
    EXPECT_EQ(Entries(w), (std::vector<std::vector<int>>{{0x4000, 48, 63, 1, 127, 64, 52, 70},
                                                         {0x4001, 64, 72, 1, 127, 64, 52, 70},
                                                         {0x4002, 36, 96, 1, 127, 89, 54, 64}}));
    EXPECT_EQ(w.samples.at(1).header.rootKey, 72);

    const std::string report = Cli({"report", "--preset", "1:5"});
    EXPECT_NE(report.find("adds: initialAttenuation, reverbEffectsSend, not in the wave"), std::string::npos) << report;
    const std::string folder = (f_->file.folder() / "presets").string();
    Cli({"export", "--all-presets", folder});
    EXPECT_TRUE(fs::exists(fs::path(folder) / "001-005 Combo.s1m"));
    Cli({"export", "--preset", "1:5"});
    EXPECT_TRUE(fs::exists(f_->file.folder() / "001-005 Combo.s1m"));
    EXPECT_NE(Cli({"export", "--preset", "9:9", out}, cli::kExitFailure).find("no preset 9:9"), std::string::npos);
    Cli({"export", "--preset", "x", out}, cli::kExitUsage);
    Cli({"export", "--preset", "1:5", out, "--as-stored"}, cli::kExitUsage);
}

TEST_F(Conversion, ReportNamesSizesSourcesAndWhatStaysOutOfTheWave) {
    Sf2Builder b;
    b.Sample({.name = "Left", .end = 100, .startLoop = 10, .endLoop = 90, .link = 1, .type = 4});
    b.Sample({.name = "Right", .start = 146, .end = 246, .pitch = 200, .link = 0, .type = 2});
    b.Sample({.name = "Half", .start = 292, .end = 392, .rate = 22050, .link = 0, .type = 4});  // linked to a left one
    b.SamplePoints(SinePoints(400, 20, 1000));
    b.Instrument({"Stereo", {{{RootKey(50), Gen(kReverb, 200)}, {{1, 2, 3, 4, 5}}}, {{SampleModes(1), SampleId(0)}},
                             {{RootKey(65535), SampleId(1)}},
                             {{RootKey(70), SampleId(0)}, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}}}});
    b.Instrument({"Half", {{{KeyRange(0, 200), SampleId(2)}}}});
    b.Instrument({"Broken", {{{SampleId(9)}}}});
    b.Preset({"Piano", 1, 3, {ZoneDef{{CoarseTune(2)}}, ZoneDef{{FineTune(5), InstrumentId(0)}}}});
    Load(b);

    const InstrumentReport r = Report(1);
    EXPECT_EQ(r.output.bytes, 69766u + 600);  // zone 1 loops, zone 3 does not: two waves of Left
    EXPECT_EQ(std::make_tuple(r.sampleReports.size(), r.sampleReports.at(0).loopPoints, r.repeatedSampleBytes),
              std::make_tuple(3u, 80, 200u));
    ASSERT_EQ(r.zoneReports.size(), 4u);
    EXPECT_EQ(r.zoneReports[0].droppedGenerators, (std::vector<std::string>{"reverbEffectsSend"}));
    EXPECT_EQ(std::make_tuple(r.zoneReports[0].global, r.zoneReports[0].modulators, r.zoneReports[3].modulators),
              std::make_tuple(true, 1, 2));
    // Zone 2 gives none and its sample 200; zone 3, not looped, has a wave sample of its own.
    EXPECT_EQ(r.zoneReports[1].rootKeySource + "|" + r.zoneReports[2].rootKeySource + "|" +
                  r.zoneReports[3].rootKeySource, "global zone|fallback|zone");
    EXPECT_EQ(std::make_pair(r.zoneReports[1].loopFlag, r.zoneReports[3].sampleNumber), std::make_pair(0x00, 3));
    ASSERT_EQ(r.presetGenerators.size(), 1u);
    EXPECT_EQ(r.presetGenerators[0].generators, (std::vector<std::string>{"fineTune", "coarseTune"}));
    ASSERT_EQ(r.stereoPairs.size(), 1u);
    EXPECT_EQ(r.stereoPairs[0].left + "|" + r.stereoPairs[0].right, "Left|Right");

    EXPECT_EQ(Report(2).zoneReports.at(0).clamps.at(0).field, "key high");
    EXPECT_EQ(Report(3).refusal.value_or(""),
              "Zone 1 of instrument \"Broken\" refers to sample 10, but this SoundFont has 3 samples.");
    // A key range past the last key changes no sound: a note, not a warning.
    const std::vector<ReportNote> notes = ReportNotes(Report(2));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].text + "|" + notes[1].text, "Sample \"Half\" (PCM 16-bit): 22050 -> 44100 Hz|Zone 1: key high 200 -> 127");

    // The command prints the same data, as text or JSON.
    const std::string refused = Cli({"report", "3", "--json"}, cli::kExitFailure);
    EXPECT_FALSE(nlohmann::json::parse(refused.substr(0, refused.find("zelvo-cli: "))).contains("output"));
    const nlohmann::json json = nlohmann::json::parse(Cli({"report", "2", "--json"}));
    EXPECT_EQ(std::make_tuple(json["sample_reports"][0]["from_rate"], json["sample_reports"][0]["out_points"],
                              json["status"]), std::make_tuple(22050, 200, "changed"));
    const std::string rows = "1\tStereo\t4\t3\t70366\t0\tok\n2\tHalf\t1\t1\t70166\t0\tchanged\n"
                             "3\tBroken\t1\t0\t0\t1\trefused\n";
    const std::string refusal = "zelvo-cli: " + f_->Path() + ": " + *Report(3).refusal + "\n";
    EXPECT_EQ(Cli({"report"}, cli::kExitFailure),
              rows + "clipping not checked (--clipping converts every sample to check it)\n" + refusal);
    EXPECT_EQ(Cli({"report", "--clipping", "--jobs", "2"}, cli::kExitFailure), rows + refusal);
    // export --as-stored keeps the 22,050 Hz sample's 100 points.
    Cli({"export", "2", Out(), "--as-stored"});
    EXPECT_EQ(fs::file_size(Out()), 69766u + 200);
}

// The calibration wave: one 440 Hz sine that loops seamlessly, played by
// entries whose bytes are the ones the manual asks an owner to check.
TEST(CalibrationWave, HoldsTheKeysTheManualNames) {
    const TempFile folder("");
    const std::string out = (folder.folder() / "tuning.s1m").string();
    std::ostringstream o, e;
    ASSERT_EQ(cli::RunCli({"calibration", out}, o, e), cli::kExitOk) << e.str();
    const std::string file = ReadWholeFile(out);
    const WaveFileContents w = ParseWaveFile(file);
    ASSERT_EQ(w.keyMapEntries.size(), 6u);
    EXPECT_EQ(Entries(w)[1], (std::vector<int>{0x4000, 59, 59, 1, 127, 64, 76, 64}));
    EXPECT_EQ(Entries(w)[3], (std::vector<int>{0x4000, 62, 62, 1, 127, 64, 64, 96}));
    EXPECT_EQ(Headers(w).at(0), (std::vector<std::int64_t>{0x00, 41895, 2205, 0, 69, 44100}));
    const std::vector<std::int16_t> points = PointsOf(file, w.samples[0]);
    EXPECT_EQ(SeamExcess(points, 41895, 44100), 0);
    EXPECT_NEAR(Frequency(std::vector<double>(points.begin(), points.end()), 44100), 440.0, 0.01);
}

// --- What FluidSynth plays against what the EX5 plays from the wave ---

// A MIDI file of one track: each key held for 0.5 s, one after another.
std::string NotesFile(const std::vector<int>& keys) {
    std::string track;
    const auto delta = [&](int ticks) {  // variable-length quantity, below 2^14
        if (ticks >= 128) track += static_cast<char>(0x80 | (ticks >> 7));
        track += static_cast<char>(ticks & 0x7F);
    };
    for (std::size_t n = 0; n < keys.size(); ++n) {
        delta(n ? 96 : 0);  // 0.1 s between notes
        track += {'\x90', static_cast<char>(keys[n]), 100};
        delta(480);  // 0.5 s at the default 120 beats per minute, 480 ticks a beat
        track += {'\x80', static_cast<char>(keys[n]), 0};
    }
    track += std::string("\0\xFF\x2F\0", 4);
    // Format 0, one track, 480 ticks a beat; a track shorter than 64 KiB.
    return std::string("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0", 20) + static_cast<char>(track.size() >> 8) +
           static_cast<char>(track.size()) + track;
}

// The left channel of a 16-bit stereo WAV file, as numbers.
std::vector<double> LeftChannel(const std::string& wav) {
    const std::size_t data = wav.find("data");
    std::vector<double> left;
    for (std::size_t at = data + 8; at + 3 < wav.size(); at += 4) {
        left.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(wav[at]) |
                                                 static_cast<unsigned char>(wav[at + 1]) << 8));
    }
    return left;
}

// Sines of 440 Hz at 22,050 Hz (a loop of 2,205 points holds 44 periods) and
// at 32,000 Hz with a pitch correction, in zones of every kind of tuning:
// each note FluidSynth plays matches the wave's sample played at the entry's
// root key and tune bytes, within 2 cents.
TEST_F(Conversion, FluidSynthPlaysWhatTheWaveHolds) {
    if (std::system("command -v fluidsynth >/dev/null") != 0) GTEST_SKIP() << "fluidsynth is not installed";
    std::vector<std::int16_t> points = SinePoints(8866, 22050 / 440.0, 12000, 8820);
    const std::vector<std::int16_t> a32 = SinePoints(16000, 32000 / 440.0, 12000);
    points.insert(points.end(), a32.begin(), a32.end());
    Sf2Builder b;
    b.Sample({.name = "A22", .end = 8820, .startLoop = 2205, .endLoop = 8820, .rate = 22050, .pitch = 69})
        .Sample({.name = "A32", .start = 8866, .end = 24866, .startLoop = 8866 + 4000, .endLoop = 8866 + 16000,
                 .rate = 32000, .pitch = 69, .correction = 0xF3});  // -13 cents; its loop holds 550 periods
    b.SamplePoints(points).Instrument(
        {"Tunes", {Keys12(60, {SampleModes(1)}), Keys12(48, {SampleModes(1), CoarseTune(7), FineTune(-33)}),
                   Keys12(72, {SampleModes(1), RootKey(81), CoarseTune(-12), FineTune(17)}),
                   Keys12(36, {SampleModes(1), Gen(kStartOffset, 100), CoarseTune(24)}, 1)}});
    b.Preset({"Tunes", 0, 0, {ZoneDef{{CoarseTune(-2), InstrumentId(0)}}}});
    Load(b);
    const std::vector<int> keys = {65, 77, 53, 41};
    const fs::path folder = f_->file.folder();
    std::ofstream(folder / "notes.mid", std::ios::binary) << NotesFile(keys);
    const std::string render = "fluidsynth -ni -g 1 -R 0 -C 0 -F " + (folder / "fluid.wav").string() +
                               " -r 44100 " + f_->Path() + " " + (folder / "notes.mid").string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(render.c_str()), 0);
    const std::vector<double> fluid = LeftChannel(ReadWholeFile((folder / "fluid.wav").string()));
    Cli({"export", "--preset", "0:0", Out()});
    const std::string file = ReadWholeFile(Out());
    const WaveFileContents w = ParseWaveFile(file);
    for (std::size_t n = 0; n < keys.size(); ++n) {
        SCOPED_TRACE("key " + std::to_string(keys[n]));
        // 0.2 to 0.45 s into the note, past the attack.
        const auto at = static_cast<std::ptrdiff_t>(n * 26460 + 8820);
        const double played = Frequency(std::vector<double>(fluid.begin() + at, fluid.begin() + at + 11025), 44100);
        const auto entry = std::find_if(w.keyMapEntries.begin(), w.keyMapEntries.end(), [&](const WaveKeyMapEntry& e) {
            return e.keyLo <= keys[n] && keys[n] <= e.keyHi;
        });
        ASSERT_NE(entry, w.keyMapEntries.end());
        const WaveSample& sample = w.samples.at(static_cast<std::size_t>(WaveSampleNumber(*entry) - 1));
        const std::vector<std::int16_t> wave = PointsOf(file, sample);
        // The loop as the EX5 repeats it, at 44.1 kHz.
        std::vector<double> loop;
        for (int r = 0; r < 4; ++r) {
            loop.insert(loop.end(), wave.begin() + sample.header.loopStartOffset,
                        wave.begin() + sample.header.loopStartOffset + sample.header.loopLength);
        }
        const double cents = (keys[n] - sample.header.rootKey) * 100.0 + (entry->coarseTune - 64) * 100.0 +
                             (entry->fineTune - 64) * 100.0 / 64;
        const double ex5 = Frequency(loop, 44100) * std::exp2(cents / 1200);
        EXPECT_NEAR(1200 * std::log2(ex5 / played), 0.0, 2.0) << ex5 << " Hz against " << played << " Hz";
    }
}

}  // namespace
}  // namespace zelvo::testing
