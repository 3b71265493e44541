// The preview pane in the main window, offscreen: it follows the tree, picks
// nodes back in it, plays nothing without an audio device; Save All
// Instruments, the remembered save folder and the commands a file enables.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <filesystem>

#include "app/audition_player.h"
#include "app/conversion_report_widget.h"
#include "app/frm_export_summary.h"
#include "app/key_map_widget.h"
#include "app/preview_pane.h"
#include "app/save_places.h"
#include "app/waveform_widget.h"
#include "window_test.h"

namespace zelvo::testing {
namespace {

// A looped sample and a short one; "Lead" has a global zone; "Rom" cannot be
// exported; the preset layers "Lead" over "Plain".
Sf2Builder Bank() {
    Sf2Builder b;
    b.Sample({.name = "Lead C3", .end = 1000, .startLoop = 100, .endLoop = 900});
    b.Sample({.name = "Lead G4", .start = 1046, .end = 1546, .pitch = 67});
    b.Sample({.name = "In ROM", .end = 10, .type = 0x8001});
    b.Instrument({"Lead", {{{KeyRange(36, 72)}}, {{Gen(54, 1), SampleId(0)}}, {{KeyRange(73, 96), SampleId(1)}}}});
    b.Instrument({"Plain", {{{SampleId(1)}}}});
    b.Instrument({"Rom", {{{SampleId(2)}}}});
    b.Preset({"Stack", 0, 0, {{{KeyRange(0, 59), InstrumentId(1)}}, {{KeyRange(60, 127), InstrumentId(0)}}}});
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

    const TempFile file_{Bank().Build(), "Bank.sf2"};
};

TEST_F(PreviewTest, WithoutAFileTheWindowHintsAtOpenAndOffersNoFileCommands) {
    const auto enabled = [this] {
        std::string flags;
        for (const QAction* a : {w().mnuCopyInstr, w().mnuSaveAllInstr}) flags += a->isEnabled() ? '1' : '0';
        for (const QAction* a : w().tbToolBar->actions())
            if (a->data() == "Copy") flags += a->isEnabled() ? '1' : '0';
        return flags;
    };
    EXPECT_EQ(enabled(), "000");
    EXPECT_TRUE(pane().lblHint->isVisible());
    EXPECT_EQ(pane().lblHint->text(), "Open a SoundFont file (Ctrl+O)");
    EXPECT_FALSE(pane().cmdPlay->isVisible());
    Open(file_.path());
    EXPECT_EQ(enabled(), "111");
    EXPECT_FALSE(w().mnuShowInFolder->isEnabled());  // nothing saved yet
    // A file that fails to load takes them away again.
    Open(file_.folder() / "missing.sf2");
    EXPECT_EQ(enabled(), "000");
    EXPECT_EQ(pane().lblHint->text(), "Open a SoundFont file (Ctrl+O)");
}

TEST_F(PreviewTest, ThePaneFollowsTheTreeAndPicksNodesBackInIt) {
    Open(file_.path());
    Select("nodeI1");
    EXPECT_EQ(pane().pages->currentWidget(), pane().keyMap->parentWidget());
    EXPECT_EQ(pane().lblTitle->text(), "Instrument 1: Lead");
    ASSERT_EQ(pane().zoneTable->topLevelItemCount(), 2);
    EXPECT_EQ(pane().zoneTable->topLevelItem(0)->text(1), "C1 - C4");  // the global zone's keys
    EXPECT_EQ(pane().conversionReport->Report().size.bytes, 69766u + 2 * 1500);
    EXPECT_FALSE(pane().cmdPlay->isEnabled());

    // A click on a zone's rectangle selects its zone in the tree.
    const QRect area = pane().keyMap->ZoneArea();
    const KeyMapRect second = ZoneRect(pane().keyMap->Zones().at(1), area.width(), area.height());
    QTest::mouseClick(pane().keyMap, Qt::LeftButton, {},
                      area.topLeft() + QPoint(second.left + second.width / 2, second.top + second.height / 2));
    EXPECT_EQ(SelectedKey(), "IGene3");
    EXPECT_EQ(pane().lblTitle->text(), "Zone 3 of Lead: Lead G4");
    EXPECT_EQ(w().ListView1->topLevelItemCount(), 2);  // the detail list shows the zone's generators

    Select("nodeS1");
    EXPECT_EQ(pane().lblTitle->text(), "Sample 1: Lead C3");
    EXPECT_TRUE(pane().lblFacts->text().contains("loop 100 - 900"));
    EXPECT_EQ(pane().pages->currentWidget(), pane().waveform->parentWidget());

    // A preset zone shows its preset's layers with its own current; Return selects its instrument.
    Select("PGene2");
    ASSERT_EQ(pane().presetLayers->topLevelItemCount(), 2);
    EXPECT_EQ(pane().presetLayers->currentItem()->text(0), "Lead");
    pane().presetLayers->setFocus();
    QTest::keyClick(pane().presetLayers, Qt::Key_Return);
    EXPECT_EQ(SelectedKey(), "nodeI1");
    // In the tree, activating a preset zone selects its instrument too.
    Select("PGene1");
    Q_EMIT w().TreeView1->itemActivated(w().TreeView1->currentItem(), 0);
    EXPECT_EQ(SelectedKey(), "nodeI2");
}

TEST_F(PreviewTest, WithoutAnAudioDeviceNothingPlaysAndTheButtonSaysWhy) {
    Open(file_.path());
    AuditionPlayer player{QAudioDevice()};
    EXPECT_FALSE(player.Available());
    player.Play(std::make_shared<SampleSound>(SampleSound{{1, 2, 3}, 44100, 0, 0}), {}, 60);
    EXPECT_FALSE(player.Playing());

    Select("IGene2");
    EXPECT_TRUE(pane().cmdPlay->isVisible());
    EXPECT_FALSE(pane().cmdPlay->isEnabled());
    EXPECT_EQ(pane().cmdPlay->toolTip(), player.UnavailableReason());
    EXPECT_TRUE(pane().cmdPlay->toolTip().startsWith("No audio output device"));
    // Space in the tree and a key of the key map do nothing, and nothing breaks.
    QTest::keyClick(w().TreeView1, Qt::Key_Space);
    Select("nodeI1");
    QTest::mousePress(pane().keyMap, Qt::LeftButton, {}, pane().keyMap->KeyboardArea().center());
    QTest::mouseRelease(pane().keyMap, Qt::LeftButton, {}, pane().keyMap->KeyboardArea().center());
    EXPECT_FALSE(pane().Player().Playing());
    EXPECT_EQ(pane().cmdPlay->text(), "Play");
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
    ASSERT_EQ(saveRequests_.size(), 2u);
    EXPECT_EQ(saveRequests_[0].fileName, QDir::homePath()) << "no folder saved to before";
    EXPECT_EQ(saveRequests_[1].fileName, out.path() + "/Plain.s1m");
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
    EXPECT_TRUE(one.cmdShowFolder->isEnabled());
    EXPECT_TRUE(one.txtRefused->isHidden());
}

}  // namespace
}  // namespace zelvo::testing
