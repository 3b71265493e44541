// SPDX-License-Identifier: GPL-3.0-or-later
// The models behind the preview pane, on SoundFonts built in memory: the
// instrument's and the preset's key maps and the zone table, the waveform's
// columns, the loop seam, the preset layers, the audition's points, the
// output size and the export of every instrument.
#include <gtest/gtest.h>

#include <numeric>

#include "browser/audition.h"
#include "browser/instrument_view.h"
#include "browser/preset_view.h"
#include "browser/sample_view.h"
#include "export/export_many.h"
#include "export/output_size.h"
#include "export/sample_source.h"
#include "load_helpers.h"
#include "ogg_streams.h"

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;

// "Lead": a global zone (keys 36-72, velocities 20-100, pan -25 %), a zone
// that takes all of it, and one with its own keys and root. "Plain": one zone
// without any range. "Rom": its sample lies in ROM.
Sf2Builder Bank() {
    Sf2Builder b;
    b.Sample({.name = "Lead C3", .end = 1000, .startLoop = 100, .endLoop = 900, .rate = 22050});
    b.Sample({.name = "Lead G4", .start = 1046, .end = 1546, .pitch = 70, .type = 4});
    b.Sample({.name = "In ROM", .end = 10, .type = 0x8001});
    b.Instrument({"Lead", {{{KeyRange(36, 72), VelRange(20, 100), Pan(-250)}},
                           {{CoarseTune(-1), FineTune(50), SampleModes(1), SampleId(0)}},
                           {{KeyRange(96, 73), RootKey(67), Pan(5), SampleId(1)}}}});
    b.Instrument({"Plain", {{{SampleId(0)}}}}).Instrument({"Rom", {{{SampleId(2)}}}}).Instrument({"Empty", {}});
    b.Instrument({"Lead", {{{SampleId(1)}}}});
    b.Preset({"Stack", 0, 0, {{{KeyRange(0, 59)}}, {{InstrumentId(1)}}, {{KeyRange(60, 127), VelRange(64, 127), InstrumentId(0)}}}});
    std::vector<std::int16_t> points(1600);
    std::iota(points.begin(), points.end(), 0);
    return b.SamplePoints(points);
}

// A zone's instrument, zone, bag, preset zone and root, then its rectangle in
// an area of 16 pixels a key and a pixel a velocity.
std::vector<int> Rect(const KeyMapZone& z) {
    const KeyMapRect r = ZoneRect(z, 128 * 16, 127);
    return {z.instrument, z.zone, z.bag, z.presetBag, z.rootKey, r.left, r.top, r.width, r.height};
}

TEST(KeyMapZoneTableAndLayers, ZonesTakeTheGlobalZoneTheDefaultsAndThePresetsRanges) {
    const Loaded bank = LoadBytes(Bank().Build());
    const std::vector<KeyMapZone> lead = BuildKeyMap(bank.model, 1);
    ASSERT_EQ(lead.size(), 2u);  // the global zone draws nothing
    // Zones 2 and 3 of instrument 1 are bags 2 and 3; 16 pixels per key, a pixel per velocity.
    EXPECT_EQ(Rect(lead[0]), (std::vector<int>{1, 2, 2, 0, 60, 36 * 16, 27, 37 * 16, 81}));
    EXPECT_EQ(Rect(lead[1]), (std::vector<int>{1, 3, 3, 0, 67, 73 * 16, 27, 24 * 16, 81}));
    EXPECT_EQ(lead[1].sampleName, "Lead G4");
    const std::vector<KeyMapZone> plain = BuildKeyMap(bank.model, 2);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(Rect(plain[0]), (std::vector<int>{2, 1, 4, 0, 60, 0, 0, 128 * 16, 127}));
    // Velocity 0 is no note: a range from it is drawn from 1, high to low turned round.
    ZoneAsPlayed silent{.instrument = 2, .zone = 1, .values = bank.model.InstZoneTable[2].zone(1)};
    std::tie(silent.values.velLo, silent.values.velHi) = std::make_pair(90, 0);
    EXPECT_EQ(Rect(KeyMapOf(bank.model, {silent}).at(0)), (std::vector<int>{2, 1, 4, 0, 60, 0, 37, 128 * 16, 90}));

    // Hit tests invert the rectangles.
    EXPECT_EQ(std::make_tuple(KeyAt(73 * 16, 128 * 16), KeyAt(73 * 16 - 1, 128 * 16), VelocityAt(27, 127)),
              std::make_tuple(73, 72, 100));
    using Hit = std::optional<std::size_t>;
    EXPECT_EQ((std::vector<Hit>{ZoneAt(lead, 72, 20), ZoneAt(lead, 73, 100), ZoneAt(lead, 50, 101),
                                ZoneForKey(lead, 35), ZoneForKey(lead, 96)}),
              (std::vector<Hit>{0, 1, std::nullopt, std::nullopt, 1}));

    const std::vector<ZoneTableRow> rows = BuildZoneTable(bank.model, 1);
    ASSERT_EQ(rows.size(), 2u);
    const auto cells = [](const ZoneTableRow& r) {
        return std::vector<std::string>{r.sample, r.keys, r.velocities, r.root, r.tune,
                                        r.pan,    r.loop, r.rate,       r.length, r.side};
    };
    EXPECT_EQ(cells(rows[0]), (std::vector<std::string>{"Lead C3", "C1 - C4", "20 - 100", "C3",
                                                        "-50 ct", "-25 %", "loop", "22050 Hz",
                                                        "0.05 s", "mono"}));
    EXPECT_EQ(cells(rows[1]), (std::vector<std::string>{"Lead G4", "C#4 - C6", "20 - 100", "G3",
                                                        "0 ct", "+0.5 %", "none", "44100 Hz",
                                                        "0.01 s", "left"}));
    EXPECT_EQ(LoopModeText(3) + "|" + LoopModeText(2), "loop, release|none");

    // "Stack" has a global zone of keys 0-59, which "Plain" takes, and "Lead"
    // on keys 60-127 at velocities 64-127, where its zones play 60-72 at 64-100.
    const std::vector<PresetLayer> layers = BuildPresetLayers(bank.model, 1);
    ASSERT_EQ(layers.size(), 2u);
    const auto fields = [](const PresetLayer& l) {
        return std::make_tuple(l.bag, l.instrument, l.instrumentName, l.keyLo, l.keyHi, l.velLo, l.velHi);
    };
    EXPECT_EQ(fields(layers[0]), std::make_tuple(2, 2, std::string("Plain"), 0, 59, 1, 127));
    EXPECT_EQ(fields(layers[1]), std::make_tuple(3, 1, std::string("Lead"), 60, 72, 64, 100));
    EXPECT_EQ(std::make_pair(PresetOfZone(bank.model, 3), PresetOfZone(bank.model, 4)),
              std::make_pair(std::optional<int>(1), std::optional<int>()));

    // Plain's zone (bag 4) on the global zone's keys; Lead's zone 2, keys 36-72
    // and velocities 20-100, within 60-127 and 64-127; its zone 3, keys given
    // high to low, meets no preset range and plays nothing.
    const std::vector<KeyMapZone> map = BuildPresetKeyMap(bank.model, 1);
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(Rect(map[0]), (std::vector<int>{2, 1, 4, 2, 60, 0, 0, 60 * 16, 127}));
    EXPECT_EQ(Rect(map[1]), (std::vector<int>{1, 2, 2, 3, 60, 60 * 16, 27, 13 * 16, 37}));
    EXPECT_EQ(map[1].sampleName, "Lead C3");
    EXPECT_TRUE(BuildPresetKeyMap(bank.model, 2).empty());
}

// Point i belongs to pixel i x width / count; a pixel without one shows its left neighbour.
TEST(SampleView, ColumnsHoldTheLowestAndHighestPointOfTheirPixels) {
    const auto columns = [](const std::vector<std::int16_t>& points, int width) {
        std::string text;
        for (const WaveColumn& c : WaveColumns(points, width))
            text += std::to_string(c.min) + ":" + std::to_string(c.max) + " ";
        return text;
    };
    EXPECT_EQ(columns({5, -3, 8, 0, 2, 7, -9}, 3), "-3:8 0:2 -9:7 ");
    EXPECT_EQ(columns({1, 2, 3, 4}, 10), "1:1 1:1 2:2 2:2 2:2 3:3 3:3 4:4 4:4 4:4 ");
    EXPECT_EQ(ColumnOfPoint(900, 1000, 500), 450);
    // 139 points on 400 pixels are a line, 3 pixels a point, each in the middle of its own.
    EXPECT_EQ(std::make_tuple(DrawsLine(139, 400), DrawsLine(400, 400), PointX(0, 4, 12), PointX(3, 4, 12)),
              std::make_tuple(true, false, 1.5, 10.5));
    // Zooming in twice about the 3/4 mark keeps point 750 there; zooming out stops at the whole.
    const WaveWindow in = ZoomWindow({0, 1000}, 1000, 2, 0.75);
    EXPECT_EQ(in, (WaveWindow{375, 500}));
    EXPECT_EQ(ZoomWindow(ZoomWindow(in, 1000, 1000, 0.5), 1000, 0.5, 0), (WaveWindow{621, 16}));
    EXPECT_EQ(ZoomWindow(in, 1000, 0.1, 0.9), (WaveWindow{0, 1000}));
}

TEST(SampleView, TheSeamJoinsTheLoopEndToTheLoopStart) {
    SampleSound sound{std::vector<std::int16_t>(1000)};
    std::iota(sound.points.begin(), sound.points.end(), 0);
    // The first point, the loop end's and the loop start's at the join, the last, and how many.
    const auto seam = [&](std::uint32_t start, std::uint32_t end) {
        sound.loopStart = start, sound.loopEnd = end;
        const std::optional<SeamPoints> s = BuildSeam(sound);
        if (!s) return std::vector<int>{};
        const std::vector<std::int16_t>& p = s->points;
        return std::vector<int>{p.front(), p[s->joinAt - 1], p[s->joinAt], p.back(), static_cast<int>(p.size())};
    };
    EXPECT_EQ(seam(100, 900), (std::vector<int>{836, 899, 100, 163, 128}));
    EXPECT_EQ(seam(10, 40), (std::vector<int>{0, 39, 10, 73, 104}));        // a short loop near the start
    EXPECT_EQ(seam(960, 1000), (std::vector<int>{936, 999, 960, 999, 104}));  // a loop to the last point
    EXPECT_TRUE(seam(0, 0).empty() && seam(500, 1001).empty());               // none, and past the points
}

TEST(SampleView, PointsComeFromTheFileWithTheLoopCountedFromTheStart) {
    const OpenedFile bank(Bank().Build());
    const SampleSound lead = ReadSampleSound(bank.model, 2, bank.Path());
    ASSERT_EQ(lead.points.size(), 500u);
    EXPECT_EQ(std::make_tuple(lead.points.front(), lead.points.back(), lead.rate, lead.loopStart,
                              lead.loopEnd), std::make_tuple(1046, 1545, 44100u, 0u, 0u));
    const SampleSound looped = ReadSampleSound(bank.model, 1, bank.Path());
    EXPECT_EQ(std::make_pair(looped.loopStart, looped.loopEnd), std::make_pair(100u, 900u));
    EXPECT_THROW(ReadSampleSound(bank.model, 3, bank.Path()), ExportError);

    const std::optional<SampleFacts> facts = ZoneFactsOf(bank.model, 3);
    ASSERT_TRUE(facts);
    EXPECT_EQ(std::vector<std::string>({facts->name, facts->length, facts->rate, facts->root,
                                        facts->loop, facts->keys, facts->velocities}),
              (std::vector<std::string>{"Lead G4", "500 points, 0.01 s", "44100 Hz", "G3 (67)",
                                        "no loop", "C#4 - C6", "20 - 100"}));
    // 100 and 900 of 1000 points at 22,050 Hz.
    EXPECT_EQ(SampleFactsOf(bank.model, 1)->loop, "loop 100\u2013900 pt (0.005\u20130.041 s)");
    // Lead's zone 2 loops it (mode 1), Plain's zone (mode 0) does not.
    EXPECT_EQ(ZoneFactsOf(bank.model, 2)->loop + "|" + ZoneFactsOf(bank.model, 4)->loop,
              SampleFactsOf(bank.model, 1)->loop + "|no loop");
}

// The preview plays what the wave file will hold: a 22,050 Hz sine comes out
// at 44,100 Hz, twice the points, its loop scaled, the same sine throughout.
TEST(SampleView, ThePlayedSoundIsTheConvertedOne) {
    Sf2Builder b;
    b.Sample({.name = "Sine", .end = 2000, .startLoop = 500, .endLoop = 1500, .rate = 22050});
    const OpenedFile bank(b.SamplePoints(SinePoints(2000, 50, 10000)).Instrument({"Sine", {{{SampleId(0)}}}}).Build());
    const SampleSound sound = ReadConvertedSampleSound(bank.model, 1, bank.Path());
    EXPECT_EQ(std::make_tuple(sound.points.size(), sound.rate, sound.loopStart, sound.loopEnd),
              std::make_tuple(std::size_t{4000}, 44100u, 1000u, 3000u));
    // The facts above it tell those points, not the stored ones.
    const SampleFacts facts = FactsOfSound(*SampleFactsOf(bank.model, 1), sound, 22050);
    EXPECT_EQ(std::vector<std::string>({facts.name, facts.length, facts.rate, facts.loop, facts.loopSource}),
              (std::vector<std::string>{"Sine", "4000 points, 0.09 s", "44100 Hz, from 22050 Hz",
                                        "loop 1,000\u20133,000 pt (0.023\u20130.068 s)",
                                        "the sample's own loop 500\u20131,500 pt (0.023\u20130.068 s), at 22050 Hz"}));
    std::vector<std::int16_t> got(sound.points.begin() + 200, sound.points.begin() + 3800);
    std::vector<float> expected;
    for (std::size_t i = 200; i < 3800; ++i)
        expected.push_back(static_cast<float>(std::sin(2 * std::numbers::pi * static_cast<double>(i) / 100.0)));
    EXPECT_GT(Correlation(got, expected), 0.999);
}

// A compressed sample is drawn and played from its decoded points, its loop
// counted from them, and its wave size counts them too.
TEST(SampleView, CompressedSamplesAreDecodedForTheViewAndTheSize) {
    const std::vector<float> signal = TestSignal(20000);
    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4})
        .CompressedSample({.name = "Ogg", .startLoop = 1000, .endLoop = 19000}, EncodeVorbis(signal, 1));
    const OpenedFile bank(b.Instrument({"Ogg", {{{SampleId(0)}}}}).Build(), "test.sf3");
    const SampleSound sound = ReadSampleSound(bank.model, 1, bank.Path());
    EXPECT_EQ(std::make_tuple(sound.points.size(), sound.rate, sound.loopStart, sound.loopEnd),
              std::make_tuple(std::size_t{20000}, 44100u, 1000u, 19000u));
    EXPECT_GT(Correlation(sound.points, signal), 0.99);
    EXPECT_EQ(SampleFactsOf(bank.model, 1)->length, "20000 points, 0.45 s");
    EXPECT_EQ(BuildOutputSizeReport(bank.model, 1).size.bytes, 69766u + 2 * 20000);
}

// A sine of 441 Hz at 22050 Hz: 50 points a period, and a loop of exactly 20
// periods, so that a looped sine goes on without a break. Silence follows the
// loop, so a player that read on past the loop's end would be heard.
constexpr double kPhase = 0.7;
std::shared_ptr<SampleSound> Sine(bool loop) {
    return std::make_shared<SampleSound>(
        SampleSound{SinePoints(2000, 50, 10000, 1500, kPhase), 22050, loop ? 500u : 0, loop ? 1500u : 0});
}

TEST(Audition, PointsForAKeyAreTheSampleAtThatPitchLoopingOnWithoutABreak) {
    // Key 67 on root 60 with -1 semitone + 50 cents plays 6.5 semitones up.
    const AuditionVoice voice{.rootKey = 60, .tuneCents = -50, .loops = true};
    const double frequency = 441.0 * std::pow(2.0, 6.5 / 12);
    const std::vector<std::int16_t> played = AuditionPoints(Sine(true), voice, 67, 44100, 44100);
    ASSERT_EQ(played.size(), 44100u);  // a whole second of a sample of 0.09 s
    double worst = 0;
    for (std::size_t i = 0; i < played.size(); ++i) {
        const double t = static_cast<double>(i) / 44100;
        worst = std::max(worst, std::abs(played[i] - 10000 * std::sin(2 * std::numbers::pi * frequency * t + kPhase)));
    }
    EXPECT_LT(worst, 60);  // linear interpolation of 50 points a period: under 0.5 %

    // Without a loop the sample ends: 2000 points read 1.4142... at a time.
    const AuditionVoice once{.rootKey = 72, .tuneCents = 0, .loops = false};
    const std::size_t expected = static_cast<std::size_t>(std::ceil(2000 / (22050.0 * std::sqrt(2.0) / 44100)));
    const std::vector<std::int16_t> ended = AuditionPoints(Sine(true), once, 78, 44100, 100000);
    EXPECT_EQ(ended.size(), expected);
    // A loop mode asks for a loop, but a sample without one plays once.
    const AuditionVoice looping{.rootKey = 60, .tuneCents = 0, .loops = true};
    EXPECT_EQ(AuditionPoints(Sine(false), looping, 72, 44100, 100000).size(), 2000u);
}

TEST(OutputSize, TheFileAgainstTheMemoriesAndTheRefusalBeforeIt) {
    const Loaded bank = LoadBytes(Bank().Build());
    const OutputSizeReport lead = BuildOutputSizeReport(bank.model, 1);
    // The 22,050 Hz sample doubles its 1000 points at 44.1 kHz.
    EXPECT_EQ(lead.size.bytes, 69766u + 2 * (2000 + 500));
    EXPECT_EQ(lead.size.SizeText(), "74,766 bytes (0.1 MB)");
    EXPECT_EQ(std::string(lead.size.SmallestFit()->name), "1 MB");
    const auto fit = [](std::uint64_t bytes) {
        const std::optional<WaveMemory> memory = OutputSize{bytes}.SmallestFit();
        return memory ? std::string(memory->name) : "none";
    };
    EXPECT_EQ(fit(1457664) + "|" + fit(1457665) + "|" + fit(65 * kMegabyte + 1), "Floppy 1.44 MB|9 MB|none");
    EXPECT_NE(BuildOutputSizeReport(bank.model, 3).refusal.value_or("").find("lies in ROM"), std::string::npos);
}

// What the desktop's Save All needs beyond the CLI's export --all: progress
// by instrument, the headline, and a stop that leaves whole files only.
TEST(ExportMany, EveryInstrumentWithZonesIsWrittenAndAStopLeavesWholeFiles) {
    const OpenedFile bank(Bank().Build());
    const fs::path folder = bank.file.folder() / "waves";
    fs::create_directory(folder);
    std::vector<int> done;
    const ExportManySummary all = ExportManyInstruments(
        bank.model, bank.Path(), folder.string(), [&](const ExportManyStep& s) {
            if (done.empty() || done.back() != s.done) done.push_back(s.done);
            return s.total == 4;
        });
    EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(FileNames(folder), (std::vector<std::string>{"Lead (2).s1m", "Lead.s1m", "Plain.s1m"}));
    EXPECT_EQ(all.Headline(), "Saved 3 of 4 instruments to " + folder.string() + ".");

    // Cancelled while the fourth instrument's points are copied: the three
    // before it stay, the fourth leaves no file, not even a temporary one.
    fs::remove_all(folder);
    fs::create_directory(folder);
    const ExportManySummary cancelled = ExportManyInstruments(
        bank.model, bank.Path(), folder.string(), [](const ExportManyStep& s) { return s.done < 3 || s.bytesTotal == 0; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(FileNames(folder), (std::vector<std::string>{"Lead.s1m", "Plain.s1m"}));
    EXPECT_EQ(std::make_pair(cancelled.written.size(), cancelled.refused.size()),
              std::make_pair(std::size_t{2}, std::size_t{1}));
    EXPECT_EQ(cancelled.Headline(), "Saved 2 of 4 instruments to " + folder.string() +
                                        ". Cancelled with 1 instrument left.");
}

}  // namespace
}  // namespace zelvo::testing
