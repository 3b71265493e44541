// SPDX-License-Identifier: GPL-3.0-or-later
// The preview pane in the main window, offscreen: it follows the tree, picks
// nodes back in it, reads sounds off the interface's thread for the last
// selection only, plays nothing without an audio device; Save All
// Instruments, the remembered save folder and the commands a file enables.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QToolBar>

#include "app/audition_player.h"
#include "app/conversion_report_widget.h"
#include "app/frm_export_summary.h"
#include "app/key_map_widget.h"
#include "app/planned_audition.h"
#include "app/preview_pane.h"
#include "app/save_places.h"
#include "app/waveform_widget.h"
#include "export/sample_source.h"
#include "window_test.h"

namespace zelvo::testing {
namespace {

// A looped sample and a short one; "Lead" has a global zone; "Plain" is tuned
// 25 cents up; "Rom" cannot be exported; the preset layers "Plain" quietly on
// every key, then "Plain" below "Lead".
Sf2Builder Bank() {
    Sf2Builder b;
    b.Sample({.name = "Lead C3", .end = 1000, .startLoop = 100, .endLoop = 900});
    b.Sample({.name = "Lead G4", .start = 1046, .end = 1546, .pitch = 67});
    b.Sample({.name = "In ROM", .end = 10, .type = 0x8001});
    b.Instrument({"Lead", {{{KeyRange(36, 72)}}, {{Gen(54, 1), SampleId(0)}}, {{KeyRange(73, 96), SampleId(1)}}}});
    b.Instrument({"Plain", {{{Gen(52, 25), SampleId(1)}}}});
    b.Instrument({"Rom", {{{SampleId(2)}}}});
    b.Preset({"Stack", 0, 0, {{{VelRange(1, 40), InstrumentId(1)}}, {{KeyRange(0, 59), InstrumentId(1)}},
                              {{KeyRange(60, 127), InstrumentId(0)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(1600, 100));
}

// The window shows, without an audio device.
class PreviewTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        w().Preview->UseAudioOutput(QAudioDevice());
        w().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    }
    PreviewPane& pane() { return *w().Preview; }
    // Until every piece of work, of this selection or an older one, has reported.
    void WaitForWork() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return pane().findChildren<QFutureWatcherBase*>().isEmpty(); }));
        EXPECT_FALSE(pane().Busy());
    }
    // A click in the middle of zone i of the key map.
    void ClickZone(std::size_t i) {
        const QRect area = pane().keyMap->ZoneArea();
        const KeyMapRect r = ZoneRect(pane().keyMap->Zones().at(i), area.width(), area.height());
        QTest::mouseClick(pane().keyMap, Qt::LeftButton, {},
                          area.topLeft() + QPoint(r.left + r.width / 2, r.top + r.height / 2));
    }

    const TempFile file_{Bank().Build(), "Bank.sf2"};
};

TEST_F(PreviewTest, WithoutAFileTheWindowHintsAtOpenAndOffersNoFileCommands) {
    const auto enabled = [this] {
        std::string flags;
        for (const QAction* a : {w().mnuCopyInstr, w().mnuSaveAllInstr, w().mnuSavePreset})
            flags += a->isEnabled() ? '1' : '0';
        for (const QAction* a : w().tbToolBar->actions())
            if (a->data() == "Copy") flags += a->isEnabled() ? '1' : '0';
        return flags;
    };
    EXPECT_EQ(enabled(), "0000");
    EXPECT_TRUE(pane().lblHint->isVisible());
    EXPECT_EQ(pane().lblHint->text(), "Open a SoundFont file (Ctrl+O)");
    EXPECT_FALSE(pane().cmdPlay->isVisible());
    Open(file_.path());
    EXPECT_EQ(enabled(), "1111");
    EXPECT_FALSE(w().mnuShowInFolder->isEnabled());  // nothing saved yet
    // A file that fails to load leaves them as they were.
    Open(file_.folder() / "missing.sf2");
    EXPECT_EQ(enabled(), "1111");
}

TEST_F(PreviewTest, ThePaneFollowsTheTreeAndPicksNodesBackInIt) {
    Open(file_.path());
    // A zone, then at once a sample: the zone's reading is stopped or its
    // result dropped, and the pane ends showing the sample.
    QSignalSpy done(&pane(), &PreviewPane::WorkDone);
    Select("IGene2");
    Select("nodeS2");
    WaitForWork();
    EXPECT_EQ(pane().lblTitle->text(), "Sample 2: Lead G4");
    ASSERT_TRUE(pane().waveform->Sound());
    EXPECT_EQ(std::make_tuple(pane().waveform->Sound()->points.size(), pane().waveform->Sound()->HasLoop()),
              std::make_tuple(std::size_t{500}, false));
    EXPECT_EQ(done.count(), 1);

    Select("nodeI1");
    EXPECT_EQ(pane().pages->currentWidget(), pane().keyMap->parentWidget());
    EXPECT_EQ(pane().lblTitle->text(), "Instrument 1: Lead");
    ASSERT_EQ(pane().zoneTable->topLevelItemCount(), 2);
    EXPECT_EQ(pane().zoneTable->topLevelItem(0)->text(1), "C1 - C4");  // the global zone's keys
    EXPECT_EQ(pane().conversionReport->Report().size.bytes, 69766u + 2 * 1500);
    EXPECT_FALSE(pane().cmdPlay->isEnabled());

    // A click on a zone's rectangle selects its zone in the tree.
    ClickZone(1);
    EXPECT_EQ(SelectedKey(), "IGene3");
    EXPECT_EQ(pane().lblTitle->text(), "Zone 3 of Lead: Lead G4");
    EXPECT_EQ(w().ListView1->topLevelItemCount(), 2);  // the detail list shows the zone's generators
    // A zone shows its own wave sample once read: Lead C3 as zone 2 loops it.
    Select("IGene2");
    EXPECT_EQ(pane().waveform->Message(), "Loading...");
    WaitForWork();
    ASSERT_TRUE(pane().waveform->Sound());
    const SampleSound& zone = *pane().waveform->Sound();
    EXPECT_EQ(std::make_tuple(zone.points.size(), zone.points.back(), zone.loopStart, zone.loopEnd),
              std::make_tuple(std::size_t{1000}, std::int16_t{100}, 100u, 900u));

    Select("nodeS1");
    EXPECT_EQ(pane().lblTitle->text(), "Sample 1: Lead C3");
    EXPECT_TRUE(pane().lblFacts->text().replace(QChar(0xA0), ' ').replace(QChar(0x2011), '-').contains("loop 100\u2013900 pt"));
    EXPECT_EQ(pane().pages->currentWidget(), pane().waveform->parentWidget());
    WaitForWork();  // Ctrl+plus zooms in about the middle, Fit shows the whole sample again
    QTest::keyClick(w().TreeView1, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(pane().waveform->Window(), (WaveWindow{250, 500}));
    pane().waveform->cmdFit->click();
    EXPECT_EQ(pane().waveform->Window(), (WaveWindow{0, 1000}));

    // A preset zone shows its preset's key map, report and layers with its
    // own current; a zone of the map selects its instrument zone, Return on
    // a layer its instrument.
    Select("PGene3");
    ASSERT_EQ(pane().presetLayers->topLevelItemCount(), 3);
    EXPECT_EQ(pane().presetLayers->currentItem()->text(0), "Lead");
    EXPECT_EQ(pane().keyMap->Zones().size(), 4u);
    EXPECT_EQ(pane().conversionReport->Report().size.bytes, 69766u + 2 * 1500);
    ClickZone(3);
    EXPECT_EQ(SelectedKey(), "IGene3");
    Select("PGene3");
    pane().presetLayers->setFocus();
    QTest::keyClick(pane().presetLayers, Qt::Key_Return);
    EXPECT_EQ(SelectedKey(), "nodeI1");
    // In the tree, activating a preset zone selects its instrument too.
    Select("PGene1");
    Q_EMIT w().TreeView1->itemActivated(w().TreeView1->currentItem(), 0);
    EXPECT_EQ(SelectedKey(), "nodeI2");
}

// A one-shot of 139 points at 22,050 Hz is heard as its 278 converted points,
// then the silence the output plays out before it stops. A 441 Hz sine with
// +43 ct of pitch correction sounds at 441 x 2^(43/1200) Hz, counted by its
// zero crossings. With conversion on and off, the pane shows the size and
// warnings of the report (zelvo-cli report, report --as-stored).
TEST_F(PreviewTest, AuditionAndReportFollowTheWaveAsWritten) {
    Sf2Builder b;
    b.Sample({.name = "Short", .end = 139, .rate = 22050});
    b.Sample({.name = "Flute", .start = 185, .end = 4185, .startLoop = 1185, .endLoop = 3185, .rate = 22050,
              .pitch = 69, .correction = 43});
    b.Instrument({"Short", {{{SampleId(0)}}}});
    b.Instrument({"Flute", {{{Pan(500), SampleModes(1), SampleId(1)}}, {{KeyRange(0, 9), Pan(500), SampleId(1)}}}});
    std::vector<std::int16_t> points(185, 1000);
    const std::vector<std::int16_t> sine = SinePoints(4046, 50, 10000, 4000);
    points.insert(points.end(), sine.begin(), sine.end());
    const TempFile file(b.SamplePoints(points).Build(), "Flute.sf2");
    Open(file.path());
    const auto heard = [&](int instrument, std::size_t count, bool convert = true) {
        const WavePlan plan = PlanWaveFile(model_, instrument, {.convertSamples = convert});
        const PlannedAudition a = AuditionOfZone(plan, instrument, 1).value();
        auto sound = std::make_shared<const SampleSound>(
            ReadPlannedSound(model_, file.path().string(), plan.samples.at(static_cast<std::size_t>(a.sampleNumber - 1))));
        return std::make_pair(sound->points, AuditionPoints(sound, a.voice, a.key, 44100, count, 1000));
    };
    const auto [wave, once] = heard(1, 5000);
    ASSERT_EQ(std::make_pair(wave.size(), once.size()), std::make_pair(std::size_t{278}, std::size_t{278 + 1000}));
    EXPECT_TRUE(std::equal(wave.begin(), wave.end(), once.begin()));
    EXPECT_EQ(std::count(once.begin() + 278, once.end(), 0), 1000);
    // Where the sine crosses zero upwards, between points; as stored, its
    // 22,050 Hz points play at 44,100 Hz, an octave up, without the correction.
    const auto hz = [](const std::vector<std::int16_t>& flute) {
        std::vector<double> rising;
        for (std::size_t i = 1; i < flute.size(); ++i) {
            if (flute[i - 1] < 0 && flute[i] >= 0) rising.push_back(i - 1 + flute[i - 1] / double(flute[i - 1] - flute[i]));
        }
        return 44100 * (rising.size() - 1) / (rising.back() - rising.front());
    };
    EXPECT_NEAR(1200 * std::log2(hz(heard(2, 44100).second) / (441 * std::exp2(43 / 1200.0))), 0, 1);
    EXPECT_NEAR(1200 * std::log2(hz(heard(2, 44100, false).second) / 882), 0, 1);

    for (const bool convert : {false, true}) {
        w().mnuConvertSamples->setChecked(convert);
        Select("nodeI2");
        WaitForWork();
        const InstrumentReport r = ReportInstrumentExport(model_, 2, file.path().string(), {.convertSamples = convert});
        int warnings = 0;
        for (int row = 0; row < pane().reportNotes->count(); ++row) warnings += !pane().reportNotes->item(row)->icon().isNull();
        EXPECT_EQ(std::make_pair(pane().conversionReport->Report().size.bytes, warnings),
                  std::make_pair(r.output.bytes, r.Warnings()));
        // As stored, the EX5/7 plays 22,050 Hz points an octave up; both zones pan fully right.
        const QString first = pane().reportNotes->item(0)->text();
        EXPECT_EQ(first.startsWith("Sample \"Flute\": holds points at 22050 Hz, so the EX5/7 plays it +1200 ct off"), !convert);
        const auto pan = pane().reportNotes->findItems("pan 100% right written as 127 (2 zones)", Qt::MatchExactly);
        EXPECT_TRUE(pan.size() == 1 && pan[0]->icon().isNull());  // a note
        Select("IGene2");
        WaitForWork();
        EXPECT_EQ(pane().lblFacts->text().replace(QChar(0xA0), ' ').contains("played at 44100 Hz: +1200 ct"), !convert);
    }
}

TEST_F(PreviewTest, WithoutAnAudioDeviceNothingPlaysAndTheButtonSaysWhy) {
    Open(file_.path());
    AuditionPlayer player{QAudioDevice()};
    EXPECT_FALSE(player.Available());
    player.Play(std::make_shared<SampleSound>(SampleSound{{1, 2, 3}, 44100, 0, 0}), {}, 60);
    EXPECT_FALSE(player.Playing());

    Select("IGene2");
    EXPECT_TRUE(pane().cmdPlay->isVisible() && !pane().cmdPlay->isEnabled());
    EXPECT_TRUE(pane().cmdPlay->toolTip() == player.UnavailableReason() &&
                player.UnavailableReason().startsWith("No audio output device"));
    // Space in the tree and a key of the key map do nothing, and nothing breaks.
    QTest::keyClick(w().TreeView1, Qt::Key_Space);
    Select("nodeI1");
    QTest::mousePress(pane().keyMap, Qt::LeftButton, {}, pane().keyMap->KeyboardArea().center());
    QTest::mouseRelease(pane().keyMap, Qt::LeftButton, {}, pane().keyMap->KeyboardArea().center());
    EXPECT_FALSE(pane().Player().Playing());
    EXPECT_EQ(pane().cmdPlay->text(), "Play");

    // What a key would play: the entry that reaches the loudest velocity, the
    // first of equals; the pitch its sample's root key and the entry's tune
    // bytes give that key, its sample's loop.
    const WavePlan plan = PlanPresetWave(model_, 1);
    using Heard = std::tuple<std::size_t, int, int, double, bool, int>;
    const auto heard = [](const std::optional<PlannedAudition>& a) {
        return a ? Heard(a->entry, a->sampleNumber, a->voice.rootKey, a->voice.tuneCents, a->voice.loops, a->key)
                 : Heard(99, 0, 0, 0, false, 0);
    };
    EXPECT_EQ(heard(AuditionOfKey(plan, 65)), Heard(2, 2, 65, 500.0, true, 65));  // Lead over the quiet Plain
    EXPECT_EQ(heard(AuditionOfKey(plan, 30)), Heard(1, 1, 30, -3700 + 25.0, false, 30));
    EXPECT_EQ(heard(AuditionOfKey(plan, 100)), Heard(0, 1, 100, 3300 + 25.0, false, 100));
    EXPECT_EQ(heard(AuditionOfZone(plan, 1, 3, 3)), Heard(3, 1, 67, 0.0, false, 67));
    EXPECT_EQ(heard(AuditionOfZone(plan, 1, 3)), Heard(99, 0, 0, 0, false, 0));  // not alone in this plan
}

TEST_F(PreviewTest, SaveAllWritesEveryInstrumentAndRemembersTheFolder) {
    Open(file_.path());
    QTemporaryDir out;
    saveAnswers_ = {out.path()};
    w().mnuSaveAllInstr->trigger();
    // The core's summary, as the status bar sums it up, is shown.
    EXPECT_EQ(summaries_.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(out.path().toStdString()) / "Plain.s1m"));
    EXPECT_EQ(w().StatusText(), "Saved 2 of 3 instruments to " + out.path() + ".");
    EXPECT_EQ(LastSaveFolder(), out.path());
    ASSERT_TRUE(w().mnuShowInFolder->isEnabled());
    w().mnuShowInFolder->trigger();
    EXPECT_EQ(openedFolders_, std::vector<QString>{out.path()});

    // The next save starts in that folder, not in the SoundFont's.
    Select("nodeI2");
    w().mnuCopyInstr_Click();
    EXPECT_EQ(proposed_, (QStringList{QDir::homePath(), out.path() + "/Plain.s1m"}));  // no folder saved to before
    EXPECT_TRUE(messages_.empty());
}

TEST(ExportSummary, ListsEachRefusalWithItsReasonAndOpensTheFolderOnlyAfterAWrite) {
    ExportManySummary summary{.folder = "/waves", .total = 3, .written = {}, .refused = {{"Rom", "It lies in ROM."}}, .cancelled = true};
    const frmExportSummary none(summary);
    EXPECT_EQ(none.lblHeadline->text(), "Saved 0 of 3 instruments to /waves. Cancelled with 2 instruments left.");
    EXPECT_EQ(none.txtRefused->toPlainText().simplified(), "Rom It lies in ROM.");
    EXPECT_FALSE(none.cmdShowFolder->isEnabled());
    summary.written = {"/waves/Piano.s1m"};
    summary.refused.clear();
    const frmExportSummary one(summary);
    EXPECT_TRUE(one.cmdShowFolder->isEnabled() && one.txtRefused->isHidden());
}

}  // namespace
}  // namespace zelvo::testing
