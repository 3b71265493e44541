// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's main window offscreen: the Open command, the tree and
// the detail list, the View menu, the closing sequence, the information and
// About windows, and Element > Save Instrument and Save Preset as EX5/7 Wave.
#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "allocation_limit.h"
#include "app/frm_about.h"
#include "app/frm_bank.h"
#include "app/frm_info.h"
#include "app/other.h"
#include "browser/preset_view.h"
#include "window_test.h"

namespace zelvo::testing {
namespace {

using MainWindowTest = WindowTest;
using Table = std::vector<std::vector<std::string>>;

// The column titles, then the cells of each row.
Table Rows(const QTreeWidget& list) {
    Table rows;
    for (int r = -1; r < list.topLevelItemCount(); ++r) {
        const QTreeWidgetItem* item = r < 0 ? list.headerItem() : list.topLevelItem(r);
        rows.emplace_back();
        for (int c = 0; c < list.columnCount(); ++c) rows.back().push_back(item->text(c).toStdString());
    }
    return rows;
}

// A failed open leaves the bank, the tree, its selection and the list as they were.
TEST_F(MainWindowTest, FailedLoadsAreReportedAndTheNextOpenShowsEachStep) {
    const TempFile good(SmallFile().Build(), "Good.sf2");
    std::string truncated = SmallFile().Build();
    truncated.resize(FindChunk(truncated, "shdr") + 30);
    const TempFile bad(truncated, "Bad.sf2");
    Sf2Builder many;
    for (int s = 0; s < 40000; ++s) many.Sample({.name = "S" + std::to_string(s)});
    const TempFile big(many.Build(), "Big.sf2");
    Open(good.path());
    Select("nodeS2");
    w().TreeView1_Click();
    const std::string before = w().StatusText().toStdString();
    Open(bad.path());
    Open(good.folder() / "missing.sf2");
    {
        const AllocationLimit limit(512 * 1024);
        Open(big.path());
    }
    std::vector<std::string> shown = messages_;
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(shown[0].starts_with("Error in SoundFont File: ") && shown[0].ends_with(" | Zelvo | 3") &&
                shown[0].find(" offset ") != std::string::npos) << shown[0];
    shown.erase(shown.begin());
    EXPECT_EQ(shown, (std::vector<std::string>{"cannot open " + (good.folder() / "missing.sf2").string() +
                                                   ": No such file or directory | Zelvo | 3",
                                               "not enough memory to load " + big.path().string() + " | Zelvo | 3"}));
    EXPECT_EQ(cursorDuringMessages_, std::vector<bool>(3, false));
    EXPECT_EQ(std::make_tuple(model_.FileName, model_.SampleCount, SelectedKey(), w().ListView1->topLevelItemCount()),
              std::make_tuple(std::string("Good.sf2"), 2, std::string("nodeS2"), 1));
    EXPECT_EQ(w().TreeView1->topLevelItem(0)->text(0) + " | " + w().windowTitle() + " | " + w().StatusText(),
              QString::fromStdString("Good.sf2 | Zelvo - Good.sf2 | " + before));

    std::vector<std::string> steps;
    QObject::connect(&w(), &frmMain::StatusTextChanged, [&](const QString& status) {
        const bool busy = QApplication::overrideCursor() != nullptr;
        steps.push_back((status + " | " + w().windowTitle() + (busy ? " | busy" : "")).toStdString());
    });
    Open(good.path());
    const std::string counts = " 2 presets,  1 instruments,  2 samples";
    EXPECT_EQ(steps, (std::vector<std::string>{"Open SoundFont File | Zelvo - Good.sf2",
                                               "Processing... | Zelvo - Good.sf2 | busy",
                                               counts + ", one moment please... | Zelvo - Good.sf2 | busy",
                                               counts + " | Zelvo - Good.sf2"}));
    EXPECT_EQ(std::make_pair(w().FindNode("node1")->isExpanded(), w().FindNode("nodeP")->isExpanded()),
              std::make_pair(true, false));
    EXPECT_TRUE(endStatus_.empty());

    // A wrong chunk id shows a fixed message and ends the program, without the closing sequence.
    std::string wrongId = SmallFile().Build();
    wrongId.replace(FindChunk(wrongId, "pbag"), 4, "pbxg");
    Open(TempFile(wrongId).path());
    shown = messages_;
    EXPECT_EQ(std::vector<std::string>(shown.begin() + 3, shown.end()),
              std::vector<std::string>{"Error in SoundFont File. Program will End | Zelvo | 0"});
    EXPECT_EQ(endStatus_, std::vector<int>{1});
    EXPECT_TRUE(QSettings(kAppTitle, kAppTitle).allKeys().filter("Settings/").isEmpty());
}

TEST_F(MainWindowTest, ClicksAndListedKeyReleasesInTheTreeFillTheList) {
    // The tree's and the list's item models stay consistent through it all.
    QAbstractItemModelTester treeModel(w().TreeView1->model());
    QAbstractItemModelTester listModel(w().ListView1->model());
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path());
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    const QTreeWidget& list = *w().ListView1;
    // A click on the node's row, as a user makes it.
    const auto click = [this](std::string_view key) {
        QTreeWidgetItem* item = w().FindNode(key);
        w().TreeView1->scrollToItem(item);
        QTest::mouseClick(w().TreeView1->viewport(), Qt::LeftButton, {},
                          w().TreeView1->visualItemRect(item).center());
        ASSERT_EQ(SelectedKey(), key);
    };
    click("nodeP2");  // "Piano", after "Piano Bright"
    EXPECT_EQ(Rows(list), (Table{{"Bank", "Preset", "PBAG"}, {"0", "0", "1"}}));
    click("PGene2");
    EXPECT_EQ(Rows(list), (Table{{"Gen Nr", "Generator", "Amount"}, {"1", "KeyRange", "C-2 - G8 / 0 - 127"},
                                 {"2", "instrument", "Piano"}}));
    click("node1");
    EXPECT_EQ(Rows(list), Table{{}});

    w().FindNode("nodeS")->setExpanded(true);
    click("nodeS1");
    QTest::keyClick(w().TreeView1, Qt::Key_Down);
    EXPECT_EQ(SelectedKey(), "nodeS2");
    EXPECT_EQ(Rows(list).at(1), (std::vector<std::string>{"mono", "100", "0", "0", "22050", "72"}));
    // End moves the selection but is not a listed key; a letter is.
    click("nodeS1");
    QTest::keyClick(w().TreeView1, Qt::Key_End);
    EXPECT_EQ(SelectedKey(), "nodeS2");
    EXPECT_EQ(Rows(list).at(1).at(4), "44100");
    QTest::keyClick(w().TreeView1, Qt::Key_P);
    EXPECT_EQ(SelectedKey(), "nodeP");
    EXPECT_EQ(Rows(list), (Table{{"Bank", "Preset", "PBAG"}}));
    // The edges of the listed key codes: PageUp, PageDown, Home to Select, A to Z.
    std::string rebuilt;
    for (const int code : {32, 33, 34, 35, 36, 41, 42, 64, 65, 90, 91}) {
        w().ListView1->setColumnCount(0);
        w().Treeview1_KeyUp(code, Qt::ShiftModifier);
        rebuilt += w().ListView1->columnCount() ? '1' : '0';
    }
    EXPECT_EQ(rebuilt, "01101100110");
}

TEST_F(MainWindowTest, ViewTogglesBarsAndClosingWritesThePlacementInTwipsButNotWhileMinimised) {
    QSettings(kAppTitle, kAppTitle).setValue("Settings/MainLeft", "7");
    w().show();
    w().setWindowState(Qt::WindowMinimized);
    w().close();
    EXPECT_EQ(QSettings(kAppTitle, kAppTitle).allKeys(), QStringList{"Settings/MainLeft"});
    EXPECT_EQ(QSettings(kAppTitle, kAppTitle).value("Settings/MainLeft"), "7");

    w().setWindowState(Qt::WindowNoState);
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    // View toggles the toolbar and the status bar, each on its own.
    for (const bool shown : {false, true}) {
        w().mnuViewToolbar->trigger();
        EXPECT_EQ(std::make_pair(w().tbToolBar->isVisible(), w().mnuViewToolbar->isChecked()),
                  std::make_pair(shown, shown));
        EXPECT_EQ(w().sbStatusBar->isVisible(), !shown);
        w().mnuViewStatusBar->trigger();
        EXPECT_EQ(std::make_pair(w().sbStatusBar->isVisible(), w().mnuViewStatusBar->isChecked()),
                  std::make_pair(shown, shown));
    }
    // At the offscreen screen's 96 dots per inch, a pixel is 15 twips; the
    // frame is the window and a border of 2 pixels.
    ASSERT_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96);
    w().resize(900, 700);
    w().move(150, 90);
    ASSERT_EQ(w().frameGeometry(), QRect(150, 90, 904, 704));
    w().mnuFileExit_Click();
    QSettings settings(kAppTitle, kAppTitle);
    settings.beginGroup("Settings");
    QStringList stored;
    for (const QString& key : settings.allKeys()) stored << key + " " + settings.value(key).toString();
    EXPECT_EQ(stored, (QStringList{"MainHeight 10560", "MainLeft 2250", "MainTop 1350", "MainWidth 13560"}));
}

TEST_F(MainWindowTest, InformationWindowShowsTheFileOrItsAbsence) {
    // Reads the modal window's labels once it shows and closes it; one left
    // open closes after five seconds, so no test hangs.
    const auto shown = [this] {
        std::vector<std::string> texts;
        QTimer::singleShot(0, [&] {
            auto* info = qobject_cast<frmInfo*>(QApplication::activeModalWidget());
            ASSERT_NE(info, nullptr) << "no information window";
            QTimer::singleShot(5000, [guard = QPointer<frmInfo>(info)] {
                if (guard && guard->isVisible()) guard->close();
            });
            for (const QLabel* label : info->Labels()) texts.push_back(label->text().toStdString());
            info->cmdClose->click();
        });
        w().mnuInfoSF_Click();
        return texts;
    };
    std::vector<std::string> none(12, "");
    none[0] = "No SoundFont file";
    EXPECT_EQ(shown(), none);

    Sf2Builder b;
    b.Info("INAM", std::string("Tiny Bank\0\0", 11)).Info("ICOP", "\xA9 2024");
    std::string comment(400, 'c');
    for (int line = 0; line < 60; ++line) comment += "\nline " + std::to_string(line);
    b.Info("ISFT", "Builder").Info("ICMT", comment);
    const TempFile file(b.Info("iver", std::string("\x01\x00\x02\x00", 4)).Build(), "Tiny.sf2");
    Open(file.path());
    // clang-format off
    const std::vector<std::string> expected = {
        "Filename: Tiny.sf2", "SoundFont File Version  2.01", "Sound Engine: ", "ROM wavetable: ",
        "ROM Revision  1.02", "Bank Name: Tiny Bank", "Created: ", "Engineer: ", "Intended for: ",
        "Copyright: \u00A9 2024", "Created with: Builder", "Comments: " + comment};
    // clang-format on
    EXPECT_EQ(shown(), expected);
    EXPECT_TRUE(w().findChildren<frmInfo*>().isEmpty());
    // Sized by the user, the long comment scrolls.
    frmInfo info(model_, &w());
    info.show();
    EXPECT_LT(info.minimumHeight(), info.maximumHeight());
    EXPECT_GT(info.findChild<QScrollArea*>()->verticalScrollBar()->maximum(), 0);
}

TEST(AboutWindow, ClosesWithEnterAndEsc) {
    frmAbout about(nullptr);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, key);
        EXPECT_FALSE(about.isVisible()) << key;
    }
}

constexpr std::uint64_t kSampleDataOffset = 69766;  // where an .s1m's sample points begin

TEST_F(MainWindowTest, ExportRefusesWithoutAFileOrAnInstrumentWithZonesOrAPreset) {
    w().mnuCopyInstr_Click();
    w().mnuSavePreset_Click();
    const TempFile file(SmallFile().Instrument({"Silent", {}}).Build());
    Open(file.path());
    std::vector<std::string> expected(2, "No SoundFont file | Error | 3");
    for (const char* key : {"", "node1", "nodeI", "nodeP1", "PGene1", "nodeS1"}) {
        Select(key);
        w().mnuCopyInstr_Click();
        expected.push_back("Select instrument | No Instrument Selected | 2");
    }
    for (const char* key : {"", "nodeP", "nodeI1", "IGene1", "nodeS1"}) {
        Select(key);
        w().mnuSavePreset_Click();
        expected.push_back("Select preset | No Preset Selected | 2");
    }
    Select("nodeI2");
    w().mnuCopyInstr_Click();
    w().ExportInstrument(2);
    expected.push_back("Instrument has no samples | Error | 3");
    expected.push_back("No samples found | Error | 3");
    EXPECT_EQ(messages_, expected);
    EXPECT_TRUE(proposed_.isEmpty());
}

// The SoundFont itself is refused as the target; then two saves, with the
// samples converted to 44.1 kHz (the default) and as stored; then a preset's.
TEST_F(MainWindowTest, ExportSavesThroughTheDialogNeverOverTheSoundFont) {
    const TempFile sf2(SmallFile().Instrument({"A/B:\x1B", {{{SampleId(0)}}, {{SampleId(1)}}}}).Build(), "Bank.sf2");
    Open(sf2.path());
    Select("IGene4");  // a zone saves its instrument
    w().show();
    saveAnswers_ = {Q(sf2.path()), Q(sf2.folder() / "on.s1m"), Q(sf2.folder() / "off.s1m")};
    w().mnuCopyInstr_Click();
    EXPECT_EQ(messages_, std::vector<std::string>{"Cannot write " + sf2.path().string() +
                                                   ": it is the SoundFont being exported | Error | 3"});
    EXPECT_EQ(w().StatusText(), "Ready");
    EXPECT_EQ(cursorDuringMessages_, std::vector<bool>{false});

    ASSERT_TRUE(w().mnuConvertSamples->isChecked());
    w().mnuCopyInstr_Click();
    EXPECT_EQ(std::filesystem::file_size(sf2.folder() / "on.s1m"), kSampleDataOffset + 600);
    EXPECT_EQ(w().StatusText(), "File  " + Q(sf2.folder() / "on.s1m") + "  was saved");
    EXPECT_TRUE(w().ProgressBar1->isHidden());
    // The bar counted the sample bytes up to their total, of one more.
    EXPECT_EQ(std::make_pair(w().ProgressBar1->value(), w().ProgressBar1->maximum()),
              std::make_pair(600, 601));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    w().mnuConvertSamples->trigger();
    w().mnuCopyInstr_Click();
    EXPECT_EQ(std::filesystem::file_size(sf2.folder() / "off.s1m"), kSampleDataOffset + 400);
    EXPECT_EQ(messages_.size(), 1u);
    // The core's file name, in the folder last saved to: until a save
    // succeeds, the home folder (no documents folder here), never the SoundFont's.
    QStringList proposed{QDir::homePath() + "/A_B__.s1m", QDir::homePath() + "/A_B__.s1m", Q(sf2.folder() / "A_B__.s1m")};
    EXPECT_EQ(proposed_, proposed);
    // A preset zone's preset, "Piano Bright", program 1 of bank 0: both of Piano's zones,
    // converted whatever the setting says.
    Select("PGene1");
    saveAnswers_ = {Q(sf2.folder() / "preset.s1m")};
    w().mnuSavePreset->trigger();
    EXPECT_EQ(proposed_, proposed << Q(sf2.folder() / "000-001 Piano Bright.s1m"));
    EXPECT_EQ(std::filesystem::file_size(sf2.folder() / "preset.s1m"), kSampleDataOffset + 600);
    EXPECT_EQ(w().StatusText(), "File  " + Q(sf2.folder() / "preset.s1m") + "  was saved");
    EXPECT_EQ(messages_.size(), 1u);
    SoundFontModel model;
    EXPECT_FALSE(frmMain(model).mnuConvertSamples->isChecked());
}

}  // namespace
}  // namespace zelvo::testing

namespace zelvo::testing {
namespace {

// The bank overview: a row per instrument from the report, sorted as numbers
// and filtered by name; a row selects its instrument in the tree, and the
// selected rows are saved as Save All saves. The tree filters by name, and
// Space types in a name being typed.
TEST_F(MainWindowTest, BankViewSortsFiltersSelectsAndSavesAndTheTreeFilters) {
    std::vector<ZoneDef> keys;
    for (int k = 60; k < 72; ++k) keys.push_back({{KeyRange(k, k), SampleId(0)}});
    // "Sine Wave high" takes 106.6 KB, more than "Piano" at 68.7 KB: numbers sort otherwise than texts.
    Sf2Builder b = SmallFile().Sample({.name = "Long", .start = 300, .end = 20000}).SamplePoints(std::vector<std::int16_t>(20046));
    const TempFile sf2(b.Instrument({"Sine Wave high", {{{SampleId(2)}}}}).Instrument({"Sine Wave A1", keys})
                           .Instrument({"Silent", {}}).Preset({"Kit", 0, 128, {{{InstrumentId(2)}}}}).Build(), "Bank.sf2");
    Open(sf2.path());
    w().mnuBankView->trigger();
    frmBank& bank = *w().BankView;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bank.Busy(); }));
    QAbstractItemModelTester tester(bank.shown);
    const auto column = [&](int c) {
        QStringList cells;
        for (int r = 0; r < bank.shown->rowCount(); ++r) cells << bank.shown->index(r, c).data().toString();
        return cells.join(",");
    };
    const PresetLayer kit = BuildPresetLayers(model_, 3).at(0);  // a layer plays its zones' keys
    EXPECT_EQ(std::make_pair(kit.keyLo, kit.keyHi), std::make_pair(60, 71));
    bank.grdBank->sortByColumn(BankModel::kZones, Qt::DescendingOrder);
    EXPECT_EQ(column(BankModel::kName), "Sine Wave A1,Piano,Sine Wave high,Silent");
    bank.grdBank->sortByColumn(BankModel::kSize, Qt::DescendingOrder);
    EXPECT_EQ(column(BankModel::kName), "Sine Wave high,Piano,Sine Wave A1,Silent");
    EXPECT_EQ(column(BankModel::kSize) + " " + column(BankModel::kSamples) + " " + column(BankModel::kMemory) + " " +
                  column(BankModel::kFloppy) + " " + column(BankModel::kVerdict),
              "106.6 KB,68.7 KB,68.3 KB, 1,2,1,0 1 MB,1 MB,1 MB,none yes,yes,yes,no ok,changed,ok,refused");
    bank.txtFilter->setText("SINE");
    EXPECT_EQ(column(BankModel::kNumber) + " " + bank.lblStatus->text(), "2,3 4 instruments, 2 shown");
    bank.grdBank->selectRow(1);
    EXPECT_EQ(SelectedKey(), "nodeI3");

    bank.txtFilter->clear();
    bank.grdBank->selectRow(0);
    bank.grdBank->selectionModel()->select(bank.shown->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    saveAnswers_ = {Q(sf2.folder())};
    bank.cmdSave->click();
    ASSERT_EQ(summaries_.size(), 1u);
    const std::filesystem::path saved = sf2.folder() / "Sine Wave high.s1m";
    EXPECT_EQ(summaries_[0].written, std::vector<std::string>{saved.string()});
    EXPECT_EQ(std::filesystem::file_size(saved), bank.rows->Rows().at(1).bytes);

    w().txtTreeFilter->setText("sine");
    std::string hidden;
    for (const char* key : {"nodeP1", "nodeI1", "nodeI2", "nodeI3", "nodeS1"}) hidden += w().FindNode(key)->isHidden() ? '1' : '0';
    EXPECT_EQ(hidden, "11001");
    w().txtTreeFilter->clear();
    Select("nodeI");
    w().FindNode("nodeI")->setExpanded(true);
    QTest::keyClicks(w().TreeView1, "Sine Wave A1");
    EXPECT_EQ(SelectedKey(), "nodeI3");
}

}  // namespace
}  // namespace zelvo::testing
