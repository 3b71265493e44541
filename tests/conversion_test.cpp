// Sample conversion on export: lengths, loops and tuning against hand-computed
// values, the points against a windowed-sinc resampler written here, loops
// clamped into their sample, and the conversion report.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <sstream>

#include "cli/cli.h"
#include "export/conversion_report.h"
#include "export/write_stuff.h"
#include "load_helpers.h"
#include "sf2_builder.h"
#include "soundfont/tree_keys.h"
#include "wave_offsets.h"

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kCoarseTune = 51, kFineTune = 52, kSampleModes = 54, kRootKey = 58, kReverb = 16;

// What a wave file says of its samples and key-map entries, read by offsets.
struct WaveSample {
    std::int64_t loopStart = 0, loopLength = 0, afterLoop = 0;
    std::vector<double> points;
};
struct Wave {
    std::vector<int> entrySample, entryFineTune;  // per key-map entry
    std::vector<WaveSample> samples;
};

Wave ReadWave(const std::string& f) {
    Wave w;
    const std::int64_t entries = Be(f, kKeyMapArea + 8, 2);
    for (std::int64_t e = 0; e < entries; ++e) {
        const std::size_t at = kKeyMapArea + 12 + 18 * static_cast<std::size_t>(e);
        w.entrySample.push_back(static_cast<int>(Be(f, at, 2) - 0x4000));
        w.entryFineTune.push_back(static_cast<int>(Be(f, at + 10, 1)));
    }
    std::size_t data = kSampleData;
    for (std::int64_t c = 0; c < Be(f, kCounts + 4, 2); ++c) {
        const std::size_t at = kSampleHeaders + 30 * static_cast<std::size_t>(c);
        WaveSample s{Be(f, at + 14, 3), Be(f, at + 18, 3), Be(f, at + 25, 3), {}};
        const auto size = static_cast<std::size_t>(Be(f, kSampleSizes + 4 * c, 4));
        for (std::size_t p = 0; p < size; p += 2)
            s.points.push_back(static_cast<std::int16_t>(Be(f, data + p, 2)));
        data += size;
        w.samples.push_back(std::move(s));
    }
    EXPECT_EQ(data, f.size());
    return w;
}

// Band-limited interpolation: out[k] = sum over j of in[j] h(k / ratio - j),
// h a Blackman-windowed sinc cutting at `cutoff` cycles per input point.
// Points outside the input count as silence.
std::vector<double> SincResample(const std::vector<double>& in, double ratio, std::size_t count,
                                 double cutoff) {
    constexpr int kZeroCrossings = 16;
    constexpr int kTableSteps = 1024;  // per zero crossing
    static const std::vector<double> table = [] {
        std::vector<double> t(kZeroCrossings * kTableSteps + 2);
        for (std::size_t i = 0; i < t.size(); ++i) {
            const double u = static_cast<double>(i) / kTableSteps;
            const double x = std::numbers::pi * u;
            const double sinc = u == 0 ? 1.0 : std::sin(x) / x;
            const double w = std::min(1.0, u / kZeroCrossings);
            const double blackman = 0.42 + 0.5 * std::cos(std::numbers::pi * w) +
                                    0.08 * std::cos(2 * std::numbers::pi * w);
            t[i] = sinc * blackman;
        }
        return t;
    }();
    const double reach = kZeroCrossings / (2 * cutoff);
    std::vector<double> out(count);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / ratio;
        const auto first = static_cast<std::int64_t>(std::ceil(t - reach));
        const auto last = static_cast<std::int64_t>(std::floor(t + reach));
        double sum = 0;
        for (std::int64_t j = std::max<std::int64_t>(first, 0);
             j <= std::min<std::int64_t>(last, static_cast<std::int64_t>(in.size()) - 1); ++j) {
            const double u = std::abs(t - static_cast<double>(j)) * 2 * cutoff * kTableSteps;
            const auto i = static_cast<std::size_t>(u);
            const double f = u - static_cast<double>(i);
            sum += in[static_cast<std::size_t>(j)] * (table[i] * (1 - f) + table[i + 1] * f);
        }
        out[k] = sum * 2 * cutoff;
    }
    return out;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        ab += a[i] * b[i];
        aa += a[i] * a[i];
        bb += b[i] * b[i];
    }
    return aa == 0 && bb == 0 ? 1.0 : ab / std::sqrt(aa * bb);
}

// How much the step from a loop's last point back to its first exceeds
// 1.3 times the largest step inside it.
double SeamExcess(const std::vector<double>& points, std::int64_t start, std::int64_t end) {
    double largest = 0;
    for (std::int64_t i = start; i + 1 < end; ++i) {
        largest = std::max(largest, std::abs(points[static_cast<std::size_t>(i + 1)] -
                                             points[static_cast<std::size_t>(i)]));
    }
    const double seam = std::abs(points[static_cast<std::size_t>(start)] -
                                 points[static_cast<std::size_t>(end - 1)]);
    return std::max(0.0, seam - 1.3 * largest);
}

std::vector<std::int16_t> Sine(std::size_t count, double period, double amplitude,
                               std::size_t silentFrom = SIZE_MAX) {
    std::vector<std::int16_t> points(count);
    for (std::size_t i = 0; i < count && i < silentFrom; ++i) {
        points[i] = static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * static_cast<double>(i) / period)));
    }
    return points;
}

class Conversion : public ::testing::Test {
protected:
    void Load(const Sf2Builder& builder) {
        sf2_ = std::make_unique<TempFile>(builder.Build());
        OpenSoundFont(model_, sf2_->path().string(), tree_);
    }
    std::string NodeTextOf(int i) const { return NodeText(tree_, NodeKey(kInstrumentsKey, i)); }
    std::string Export(int i, bool convert = true) {
        const std::string out = (sf2_->folder() / "out.s1m").string();
        ExportInstrumentToWave(model_, i, sf2_->path().string(), out, {},
                               {.convertSamples = convert});
        return ReadWholeFile(out);
    }
    InstrumentReport Report(int i, bool convert = true) {
        return ReportInstrumentExport(model_, i, sf2_->path().string(),
                                      {.convertSamples = convert});
    }

    std::unique_ptr<TempFile> sf2_;
    SoundFontModel model_;
    MemoryTree tree_;
};

TEST_F(Conversion, LengthsLoopsAndTuningFollowTheRatio) {
    Sf2Builder b;
    // 32 points at 48 kHz become 29.4, so 29: the loop plays 23.7 cents sharp.
    b.Sample({.name = "Short", .end = 1000, .startLoop = 100, .endLoop = 132, .rate = 48000});
    // 800 points at 32 kHz: 1102.5 become 1103, ratio 1.37875, 1378.75 points in all.
    b.Sample({.name = "Long", .end = 1000, .startLoop = 100, .endLoop = 900, .rate = 32000});
    b.Sample({.name = "Plain", .end = 1001, .rate = 22050, .correction = 30});
    b.Sample({.name = "Flat", .end = 1000, .correction = 0xEC});  // -20 cents at 44.1 kHz
    b.SamplePoints(Sine(1001, 40, 8000));
    Load(b.Instrument({"Mixed",
                       {{{Gen(kSampleModes, 1), SampleId(0)}},
                        {{Gen(kFineTune, 10), SampleId(1)}},
                        {{SampleId(2)}},
                        {{SampleId(3)}},
                        {{Gen(kFineTune, -90), SampleId(3)}}}}));

    const Wave w = ReadWave(Export(1));
    const auto header = [&](std::size_t c) {
        const WaveSample& s = w.samples.at(c);
        return std::vector<std::int64_t>{static_cast<std::int64_t>(s.points.size()), s.loopStart,
                                         s.loopLength, s.afterLoop};
    };
    EXPECT_EQ(header(0), (std::vector<std::int64_t>{906, 91, 29, 786}));
    EXPECT_EQ(header(1), (std::vector<std::int64_t>{1379, 138, 1103, 138}));
    EXPECT_EQ(header(2), (std::vector<std::int64_t>{2002, 0, 0, 2002}));
    EXPECT_EQ(header(3), (std::vector<std::int64_t>{1000, 0, 0, 1000}));
    // Fine tunes: -23.7 cents gives 48; 10 + 0.8 gives 70; +30 gives 83; -20
    // gives 51; -90 - 20 stays at 0.
    EXPECT_EQ(w.entryFineTune, (std::vector<int>{48, 70, 83, 51, 0}));
    const InstrumentReport report = Report(1);
    EXPECT_EQ(report.zoneReports[4].clamps.at(0).field, "fine tune");
    EXPECT_EQ(report.zoneReports[4].clamps.at(0).from, -7);  // floor(64 x -110 / 100) + 64
    EXPECT_NEAR(report.sampleReports[0].loopTuneCents, -23.72, 0.01);
    EXPECT_EQ(report.sampleReports[2].pitchCorrectionCents, 30);
    EXPECT_EQ(report.sampleReports[3].pitchCorrectionCents, -20);
    // The 44.1 kHz sample keeps its points; only its tuning changes.
    EXPECT_EQ(w.samples[3].points, ReadWave(Export(1, false)).samples[3].points);

    const Wave stored = ReadWave(Export(1, false));
    EXPECT_EQ(stored.entryFineTune, (std::vector<int>{64, 70, 64, 64, 6}));
    EXPECT_EQ(stored.samples[1].points.size(), 1000u);
    EXPECT_EQ(stored.samples[1].loopLength, 800);
    // As stored nothing changes, but the three rates left warn, and so do the
    // two loops that play out of tune.
    EXPECT_EQ(Report(1, false).Status(), "ok");
    EXPECT_EQ(Report(1, false).Warnings(), 5);
    EXPECT_EQ(Report(1, false).sampleReports[1].toRate, 32000u);
}

// Rates far outside what samples are recorded at are kept, not stretched a
// thousandfold; the lowest the SoundFont standard allows is converted.
TEST(ConversionPlan, ImplausibleRatesAreKept) {
    const auto plan = [](std::uint32_t rate) {
        sfSample s;
        s.dwEnd = 16;
        s.dwStartloop = 4;
        s.dwEndloop = 14;
        s.dwSampleRate = rate;
        return PlanSampleConversion(s, true);
    };
    EXPECT_EQ(plan(6).outPoints, 16);
    EXPECT_FALSE(plan(6).Resampled());
    EXPECT_FALSE(plan(1'000'000).Resampled());
    EXPECT_TRUE(plan(400).Resampled());
    EXPECT_EQ(plan(400).outLoopEnd - plan(400).outLoopStart, 1103);  // 10 x 110.25, rounded
}

TEST_F(Conversion, PointsFollowTheSignalAndLoopsRepeatSeamlessly) {
    // Ten periods of 100 points at 48 kHz loop from 1000; silence follows the
    // loop, which a converter that saw it would smear into the loop's end.
    Sf2Builder b;
    b.Sample({.name = "Sine", .end = 3000, .startLoop = 1000, .endLoop = 2000, .rate = 48000});
    b.Sample({.name = "Octave", .start = 3046, .end = 4046, .rate = 22050});
    std::vector<std::int16_t> points = Sine(3000, 100, 12000, 2000);
    const std::vector<std::int16_t> low = Sine(1000, 50, 12000);
    points.resize(3046);
    points.insert(points.end(), low.begin(), low.end());
    Load(b.SamplePoints(points).Instrument({"Sines", {{{SampleId(0)}}, {{SampleId(1)}}}}));

    const Wave w = ReadWave(Export(1));
    const WaveSample& sine = w.samples.at(0);
    ASSERT_EQ(sine.loopLength, 919);  // 918.75 made whole: ratio 0.919
    const double ratio = 919.0 / 1000;
    // Inside the loop the points are the sine at the new spacing.
    for (std::int64_t k = 300; k < sine.loopStart + sine.loopLength; ++k) {
        const double expected =
            12000 * std::sin(2 * std::numbers::pi * static_cast<double>(k) / (100 * ratio));
        ASSERT_NEAR(sine.points[static_cast<std::size_t>(k)], expected, 3) << "point " << k;
    }
    EXPECT_EQ(SeamExcess(sine.points, sine.loopStart, sine.loopStart + sine.loopLength), 0);
    // 22,050 Hz doubles exactly: every other point is a source point.
    const WaveSample& octave = w.samples.at(1);
    ASSERT_EQ(octave.points.size(), 2000u);
    for (std::size_t k = 200; k < 1800; ++k) {
        ASSERT_NEAR(octave.points[k], 12000 * std::sin(2 * std::numbers::pi * k / 100.0), 3) << k;
    }
}

TEST_F(Conversion, LoopsAreClampedIntoTheSampleAndReported) {
    Sf2Builder b;
    b.Sample({.name = "Before", .start = 100, .end = 200, .startLoop = 50, .endLoop = 150});
    b.Sample({.name = "After", .start = 100, .end = 200, .startLoop = 150, .endLoop = 260});
    b.Sample({.name = "Around", .start = 100, .end = 200, .startLoop = 10, .endLoop = 300});
    b.Sample({.name = "Reversed", .start = 100, .end = 200, .startLoop = 180, .endLoop = 120});
    b.Sample({.name = "Halved", .start = 100, .end = 200, .startLoop = 150, .endLoop = 201,
              .rate = 22050});
    Load(b.SamplePoints(Sine(300, 30, 1000))
             .Instrument({"Loops", {{{SampleId(0)}}, {{SampleId(1)}}, {{SampleId(2)}},
                                    {{SampleId(3)}}, {{SampleId(4)}}}}));
    // Loop start, loop length and points after it describe exactly the points written.
    const std::vector<std::vector<std::int64_t>> expected = {
        {0, 50, 50}, {50, 50, 0}, {0, 100, 0}, {80, 0, 20}, {50, 50, 0}};
    const std::vector<std::vector<ValueClamp>> clamps = {
        {{"loop start", -50, 0}},
        {{"loop end", 160, 100}},
        {{"loop start", -90, 0}, {"loop end", 200, 100}},
        {{"loop end", 20, 80}},
        {{"loop end", 101, 100}}};
    for (const bool convert : {false, true}) {
        SCOPED_TRACE(convert ? "converted" : "as stored");
        const Wave w = ReadWave(Export(1, convert));
        const InstrumentReport report = Report(1, convert);
        for (std::size_t c = 0; c < expected.size(); ++c) {
            const WaveSample& s = w.samples.at(c);
            // The 22,050 Hz sample doubles.
            const std::int64_t scale = convert && c == 4 ? 2 : 1;
            EXPECT_EQ((std::vector<std::int64_t>{s.loopStart, s.loopLength, s.afterLoop}),
                      (std::vector<std::int64_t>{scale * expected[c][0], scale * expected[c][1],
                                                 scale * expected[c][2]}));
            const std::vector<ValueClamp>& got = report.sampleReports.at(c).clamps;
            ASSERT_EQ(got.size(), clamps[c].size()) << c;
            for (std::size_t i = 0; i < got.size(); ++i) {
                EXPECT_EQ(got[i].field, clamps[c][i].field);
                EXPECT_EQ(got[i].from, clamps[c][i].from);
                EXPECT_EQ(got[i].to, clamps[c][i].to);
            }
        }
        EXPECT_EQ(w.samples[4].points.size(), convert ? 200u : 100u);
        EXPECT_EQ(report.Status(), "changed");
        EXPECT_GE(report.Warnings(), 6);
    }
    // The preview lists the warnings first, then what the conversion changes.
    const std::vector<ReportNote> notes = ReportNotes(Report(1));
    const auto firstNote = std::find_if(notes.begin(), notes.end(), [](const ReportNote& n) { return !n.warning; });
    EXPECT_EQ(firstNote - notes.begin(), 6);
    EXPECT_EQ(notes.front().text, "Sample \"Before\": loop start -50 -> 0");
    ASSERT_NE(firstNote, notes.end());
    EXPECT_EQ(firstNote->text, "Sample \"Halved\" (PCM 16-bit): 22050 -> 44100 Hz");
    EXPECT_TRUE(std::all_of(firstNote, notes.end(), [](const ReportNote& n) { return !n.warning; }));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(Conversion, ReportNamesSizesSourcesAndWhatStaysOutOfTheWave) {
    Sf2Builder b;
    b.Sample({.name = "Left", .end = 100, .startLoop = 10, .endLoop = 90, .link = 1, .type = 4});
    b.Sample({.name = "Right", .start = 146, .end = 246, .pitch = 200, .link = 0, .type = 2});
    b.Sample({.name = "Loud", .start = 292, .end = 392, .rate = 22050});
    std::vector<std::int16_t> points = Sine(400, 20, 1000);
    // A full-scale square wave overshoots when band-limited: clipped points.
    for (std::size_t i = 292; i < 392; ++i) points[i] = (i / 10) % 2 ? 32767 : -32768;
    b.SamplePoints(points);
    b.Instrument({"Stereo",
                  {{{Gen(kRootKey, 50), Gen(kReverb, 200)}, {{1, 2, 3, 4, 5}}},
                   {{Gen(kSampleModes, 1), SampleId(0)}},
                   {{Gen(kRootKey, 65535), SampleId(1)}},
                   {{Gen(kRootKey, 70), SampleId(0)}, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}}}});
    b.Instrument({"Loud", {{{KeyRange(0, 200), SampleId(2)}}}});
    b.Instrument({"Broken", {{{SampleId(9)}}}});
    b.Preset({"Piano", 1, 3, {ZoneDef({Gen(kCoarseTune, 2)}),
                              ZoneDef({Gen(kFineTune, 5), InstrumentId(0)})}});
    Load(b);

    const InstrumentReport r = Report(1);
    EXPECT_EQ(r.output.bytes, kSampleData + 400);
    EXPECT_EQ(r.output.FittingWaveMemories().size(), 5u);
    EXPECT_TRUE(r.output.FitsFloppy());
    ASSERT_EQ(r.sampleReports.size(), 2u);
    EXPECT_EQ(r.sampleReports[0].codec, "PCM 16-bit");
    EXPECT_EQ(r.sampleReports[0].loopPoints, 80);
    ASSERT_EQ(r.zoneReports.size(), 4u);
    EXPECT_TRUE(r.zoneReports[0].global);
    EXPECT_EQ(r.zoneReports[0].droppedGenerators, (std::vector<std::string>{"reverbEffectsSend"}));
    EXPECT_EQ(r.zoneReports[0].modulators, 1);
    EXPECT_EQ(r.zoneReports[1].rootKeySource, "global zone");
    EXPECT_EQ(r.zoneReports[1].loopFlag, 0x00);
    EXPECT_EQ(r.zoneReports[2].rootKeySource, "fallback");  // none given, the sample's is 200
    EXPECT_EQ(r.zoneReports[3].rootKeySource, "zone");
    EXPECT_EQ(r.zoneReports[3].modulators, 2);
    ASSERT_EQ(r.presetGenerators.size(), 1u);
    EXPECT_EQ(r.presetGenerators[0].generators, (std::vector<std::string>{"fineTune", "coarseTune"}));
    ASSERT_EQ(r.stereoPairs.size(), 1u);
    EXPECT_EQ(r.stereoPairs[0].left, "Left");
    EXPECT_EQ(r.stereoPairs[0].right, "Right");
    EXPECT_EQ(r.Status(), "ok");

    const InstrumentReport loud = Report(2);
    EXPECT_LT(loud.sampleReports.at(0).gainDb, 0.0);
    EXPECT_EQ(loud.zoneReports.at(0).clamps.at(0).field, "key high");
    EXPECT_EQ(Report(3).refusal.value_or(""),
              "Zone 1 of instrument \"Broken\" refers to sample 10, but this SoundFont has 3 "
              "samples.");

    // The command prints the same data, as text or JSON.
    const auto cli = [&](std::vector<std::string> args) {
        std::ostringstream out, err;
        args.insert(args.begin() + 1, sf2_->path().string());
        EXPECT_EQ(cli::RunCli(args, out, err), cli::kExitOk) << err.str();
        return out.str();
    };
    const nlohmann::json json = nlohmann::json::parse(cli({"report", "2", "--json"}));
    EXPECT_EQ(json["sample_reports"][0]["from_rate"], 22050);
    EXPECT_EQ(json["sample_reports"][0]["out_points"], 200);
    EXPECT_EQ(json["sample_reports"][0]["gain_db"], loud.sampleReports[0].gainDb);
    EXPECT_EQ(json["status"], "changed");
    EXPECT_EQ(Lines(cli({"report"})),
              (std::vector<std::string>{"1\tStereo\t4\t2\t70166\t1\tok",
                                        "2\tLoud\t1\t1\t70166\t2\tchanged",
                                        "3\tBroken\t1\t0\t0\t0\trefused"}));
    EXPECT_NE(cli({"report", "1"}).find("Stereo pair \"Left\" and \"Right\""), std::string::npos);
    // export --as-stored keeps the 22,050 Hz sample's 100 points.
    const fs::path out = sf2_->folder() / "loud.s1m";
    cli({"export", "2", out.string(), "--as-stored"});
    EXPECT_EQ(fs::file_size(out), kSampleData + 200);
    cli({"export", "2", out.string()});
    EXPECT_EQ(fs::file_size(out), kSampleData + 400);
}

// Real SoundFonts: every instrument reports; those with samples at other
// rates or with pitch corrections are checked against the resampler above.
class RealConversion : public Conversion, public ::testing::WithParamInterface<std::string> {};

struct SoundStats {
    std::vector<double> correlations;
    int loops = 0;
};

// Checks sample c of a converted wave against its source.
void CheckSample(const SoundFontModel& model, const std::string& sf2, const sfSample& s,
                 const WaveSample& out, SoundStats& stats) {
    const std::int64_t n = std::max<std::int64_t>(0, std::int64_t{s.dwEnd} - s.dwStart);
    std::vector<double> source(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::size_t at = model.SampleDataPos - 1 + 2 * (s.dwStart + i);
        source[i] = static_cast<std::int16_t>(static_cast<unsigned char>(sf2[at]) |
                                              static_cast<unsigned char>(sf2[at + 1]) << 8);
    }
    const std::int64_t ls = std::clamp<std::int64_t>(std::int64_t{s.dwStartloop} - s.dwStart, 0, n);
    const std::int64_t le = std::clamp<std::int64_t>(std::int64_t{s.dwEndloop} - s.dwStart, ls, n);
    const double plain = 44100.0 / s.dwSampleRate;
    double ratio = plain;
    if (s.dwSampleRate != 44100 && le > ls) {
        const double whole = std::max(1.0, std::round((le - ls) * plain)) / (le - ls);
        if (std::abs(1200 * std::log2(whole / plain)) <= 50) ratio = whole;
    }
    ASSERT_EQ(static_cast<std::int64_t>(out.points.size()), std::llround(n * ratio));
    ASSERT_EQ(out.loopStart, std::llround(ls * ratio));
    if (ratio != plain) {
        ASSERT_EQ(out.loopLength, std::llround((le - ls) * ratio));
    }
    // Compared below 0.4 of the lower of the two rates (17.6 kHz from 48 kHz).
    const double band = 0.4 * std::min(44100.0, static_cast<double>(s.dwSampleRate));
    const std::vector<double> expected =
        SincResample(source, ratio, out.points.size(), band / s.dwSampleRate);
    const std::vector<double> got = SincResample(out.points, 1.0, out.points.size(), band / 44100);
    stats.correlations.push_back(Correlation(expected, got));
    EXPECT_GE(stats.correlations.back(), 0.98);
    if (le - ls >= 2 && out.loopLength >= 2) {
        ++stats.loops;
        const double before = SeamExcess(source, ls, le);
        const double after = SeamExcess(out.points, out.loopStart, out.loopStart + out.loopLength);
        EXPECT_LE(after, 2 * before + 0.03 * 32768) << "seam";
    }
}

TEST_P(RealConversion, InstrumentsPlayAsTheirSourceAndTheRestKeepTheirBytes) {
    const std::string path = std::string(ZELVO_SOUNDFONT_DIR) + "/" + GetParam();
    if (!fs::exists(path)) GTEST_SKIP() << path << " is not installed";
    const std::string sf2 = ReadWholeFile(path);
    OpenSoundFont(model_, path, tree_);
    sf2_ = std::make_unique<TempFile>("");
    // Whether an instrument has a sample at another rate or with a pitch
    // correction, and its non-global zones.
    const auto zonesOf = [&](int i, bool& touched) {
        std::vector<const InstZone*> zones;
        const InstZoneInfo& info = model_.InstZoneTable[i];
        for (int z = 1; z <= info.zoneCount; ++z) {
            if (info.zone(z).isGlobal) continue;
            zones.push_back(&info.zone(z));
            const sfSample& s = model_.SampleHeaders[info.zone(z).sampleNdx];
            touched = touched || s.dwSampleRate != 44100 || s.chPitchCorrection != 0;
        }
        return zones;
    };
    int touchedCount = 0;
    for (int i = 1; i <= model_.InstCount; ++i) {
        bool touched = false;
        zonesOf(i, touched);
        touchedCount += touched;
    }
    // Every instrument reports; the sound of about 30 per bank is compared
    // unless ZELVO_THOROUGH_TESTS asks for all.
    const int stride = std::getenv("ZELVO_THOROUGH_TESTS") ? 1 : std::max(1, touchedCount / 30);
    SoundStats stats;
    int checked = 0, touchedSeen = 0;
    for (int i = 1; i <= model_.InstCount; ++i) {
        SCOPED_TRACE("instrument " + std::to_string(i) + " " + NodeTextOf(i));
        const InstrumentReport report = ReportInstrumentExport(model_, i, path);
        if (report.refusal) continue;
        bool touched = false;
        const std::vector<const InstZone*> zones = zonesOf(i, touched);
        if (touched && touchedSeen++ % stride != 0) continue;
        const std::string file = (sf2_->folder() / "out.s1m").string();
        ExportInstrumentToWave(model_, i, path, file);
        const std::string converted = ReadWholeFile(file);
        if (!touched) {
            EXPECT_EQ(report.Status(), "ok");
            ExportInstrumentToWave(model_, i, path, file, {}, {.convertSamples = false});
            EXPECT_TRUE(converted == ReadWholeFile(file)) << "differs from --as-stored";
            continue;
        }
        ++checked;
        const Wave w = ReadWave(converted);
        std::vector<bool> seen(w.samples.size());
        for (std::size_t e = 0; e < zones.size(); ++e) {
            const auto c = static_cast<std::size_t>(w.entrySample[e]);
            const sfSample& s = model_.SampleHeaders[zones[e]->sampleNdx];
            const WaveSample& out = w.samples.at(c);
            if (!seen[c]) CheckSample(model_, sf2, s, out, stats);
            seen[c] = true;
            if (out.loopLength == 0 || s.dwSampleRate == 0) continue;
            // The loop's pitch on a 44.1 kHz player with the written fine tune,
            // against the source's with its tuning.
            const double intended = zones[e]->fineTune + static_cast<std::int8_t>(s.chPitchCorrection);
            if (intended < -100 || intended > 98) continue;  // beyond the fine tune's reach
            const std::int64_t loop =
                std::min<std::int64_t>(s.dwEndloop, s.dwEnd) - std::max(s.dwStartloop, s.dwStart);
            const double played = 1200 * std::log2((44100.0 / out.loopLength) /
                                                   (static_cast<double>(s.dwSampleRate) / loop)) +
                                  (w.entryFineTune[e] - 64) * 100.0 / 64;
            EXPECT_NEAR(played, intended, 2.0) << "loop pitch of sample " << c;
        }
        if (HasFailure()) break;
    }
    ASSERT_FALSE(stats.correlations.empty());
    std::vector<double> sorted = stats.correlations;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    EXPECT_GE(sorted[sorted.size() / 2], 0.999);
    std::cout << GetParam() << ": " << checked << " of " << touchedCount
              << " converted instruments checked, "
              << stats.correlations.size() << " samples compared, " << stats.loops
              << " loops, lowest correlation "
              << *std::min_element(sorted.begin(), sorted.end()) << "\n";
}

INSTANTIATE_TEST_SUITE_P(Debian, RealConversion,
                         ::testing::Values("TimGM6mb.sf2", "FluidR3_GS.sf2", "FluidR3_GM.sf2",
                                           "OPL-3_FM_128M.sf2"));

}  // namespace
}  // namespace zelvo::testing
