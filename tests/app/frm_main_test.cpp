// The main window driven offscreen: start-up, toolbar and View menu, the Open
// command, the tree and the detail list, Help and the closing sequence.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/frm_info.h"
#include "app/other.h"
#include "app_test_support.h"
#include "load_helpers.h"

namespace zelvo::testing {
namespace {

using Table = std::vector<std::vector<std::string>>;

// Presets whose names begin alike, one with a Latin-1 name, two instruments
// and two samples.
Sf2Builder SmallFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .end = 100, .startLoop = 10, .endLoop = 90})
        .Sample({.name = "Piano C5", .start = 146, .end = 246, .rate = 22050, .pitch = 72});
    b.Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{KeyRange(61, 127), SampleId(1)}}}})
        .Instrument({"Silent", {}});
    b.Preset({"Piano Bright", 1, 0, {{{InstrumentId(0)}}}})
        .Preset({"Piano", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}})
        .Preset({"Caf\xE9 Organ", 2, 0, {{{InstrumentId(1)}}}});
    b.SamplePoints(std::vector<std::int16_t>(300, 7));
    return b;
}

QToolButton* ToolbarButton(frmMain& w, const QString& key) {
    for (QAction* action : w.tbToolBar->actions()) {
        if (action->data() == key) return qobject_cast<QToolButton*>(w.tbToolBar->widgetForAction(action));
    }
    return nullptr;
}

// A click on the node's row, as a user makes it.
void ClickNode(frmMain& w, std::string_view key) {
    QTreeWidgetItem* item = w.FindNode(key);
    ASSERT_NE(item, nullptr) << key;
    w.TreeView1->scrollToItem(item);
    QTest::mouseClick(w.TreeView1->viewport(), Qt::LeftButton, {}, w.TreeView1->visualItemRect(item).center());
    ASSERT_EQ(SelectedKey(w), key);
}

TEST_F(MainWindowTest, StartsCentredAtItsDesignSizeWhateverIsStored) {
    QSettings(kAppTitle, kAppTitle).setValue("Settings/MainLeft", "0");
    SoundFontModel model;
    model.FileName = "left over";
    const frmMain main(model);
    EXPECT_EQ(model.FileName, "");
    EXPECT_EQ(main.windowTitle(), "Zelvo");
    EXPECT_EQ(main.StatusText(), "Ready");
    EXPECT_TRUE(main.ProgressBar1->isHidden());
    EXPECT_EQ(main.width(), TwipsToPixels(10965));
    EXPECT_LE((main.geometry().center() - QGuiApplication::primaryScreen()->geometry().center()).manhattanLength(), 2);
    EXPECT_FALSE(main.sbPanels[1]->text().isEmpty());  // the date
    EXPECT_FALSE(main.sbPanels[2]->text().isEmpty());  // the time
}

TEST_F(MainWindowTest, ToolbarRunsTheCommandsOfItsKeysAndViewTogglesTheBars) {
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    ToolbarButton(w(), "Open")->click();
    EXPECT_EQ(openRequests_.size(), 1u);
    WhenModalOpens<frmInfo>([](frmInfo& info) { info.cmdClose->click(); });
    ToolbarButton(w(), "InfoSF")->click();
    ToolbarButton(w(), "Copy")->click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "No SoundFont file");
    // Keys are compared exactly; any other does nothing.
    for (const char* key : {"open", "Copy ", "Bogus"}) {
        QAction other(key);
        other.setData(QString(key));
        w().tbToolBar_ButtonClick(&other);
    }
    EXPECT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(messages_.size(), 1u);

    for (int round = 1; round <= 2; ++round) {
        w().mnuViewToolbar->trigger();
        EXPECT_EQ(w().tbToolBar->isVisible(), round == 2);
        EXPECT_EQ(w().mnuViewToolbar->isChecked(), round == 2);
        EXPECT_EQ(w().sbStatusBar->isVisible(), round == 1);  // the toggles are independent
        w().mnuViewStatusBar->trigger();
        EXPECT_EQ(w().sbStatusBar->isVisible(), round == 2);
        EXPECT_EQ(w().mnuViewStatusBar->isChecked(), round == 2);
    }
    ToolbarButton(w(), "Exit")->click();
    EXPECT_FALSE(w().isVisible());
}

TEST_F(MainWindowTest, OpenShowsEachStepInTheStatusBarAndCaption) {
    const auto path = PackagedSoundFont("TimGM6mb.sf2");
    SKIP_WITHOUT(path);
    std::vector<std::string> steps;
    QObject::connect(&w(), &frmMain::StatusTextChanged, [&](const QString& status) {
        steps.push_back((status + " | " + w().windowTitle() +
                         (QApplication::overrideCursor() ? " | busy" : ""))
                            .toStdString());
    });
    Open(path.string());
    const std::string counts = " 136 presets,  210 instruments,  520 samples";
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "Open SoundFont File | Zelvo",
                         "Processing... | Zelvo | busy",
                         counts + ", one moment please... | Zelvo | busy",
                         counts + " | Zelvo - TimGM6mb.sf2",
                     }));
    ASSERT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(openRequests_[0].title, "Open SoundFont File");
    EXPECT_EQ(openRequests_[0].filter, "SoundFond Files (*.sf2)");
    EXPECT_EQ(model_.FileFolder, path.parent_path().string() + "/");
    EXPECT_TRUE(messages_.empty());
}

// The tree widget holds the nodes, texts and images the reader gives any tree.
TEST_F(MainWindowTest, TreeShowsWhatTheReaderBuilds) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    const Loaded expected = LoadBytes(SmallFile().Build());
    std::vector<std::string> shown, read;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
        shown.push_back(std::to_string(depth) + " " + TreeWidgetBrowseTree::KeyOf(item).value_or("?") +
                        " " + item->text(0).toStdString());
        for (int c = 0; c < item->childCount(); ++c) walk(item->child(c), depth + 1);
    };
    for (int i = 0; i < w().TreeView1->topLevelItemCount(); ++i) walk(w().TreeView1->topLevelItem(i), 0);
    expected.tree.Walk([&](const MemoryTree::Node& node, int depth) {
        const QString text = node.key == "node1" ? "Small.sf2" : QString::fromLatin1(node.text);
        read.push_back(std::to_string(depth) + " " + node.key + " " + text.toStdString());
        const QTreeWidgetItem* item = w().FindNode(node.key);
        ASSERT_NE(item, nullptr) << node.key;
        EXPECT_EQ(item->icon(0).cacheKey(), w().imlToolbarIcons.Image(node.image).cacheKey());
    });
    EXPECT_EQ(shown, read);
    EXPECT_EQ(w().FindNode("nodeP3")->text(0), QString::fromUtf8("Caf\u00E9 Organ"));
    EXPECT_TRUE(w().FindNode("node1")->isExpanded());
    for (const char* group : {"nodeP", "nodeI", "nodeS"}) EXPECT_FALSE(w().FindNode(group)->isExpanded());
}

TEST_F(MainWindowTest, CancelledOpenKeepsTheFileAndEmptiesTheList) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    Select(w(), "nodeS1");
    w().TreeView1_Click();
    ASSERT_EQ(w().ListView1->columnCount(), 6);
    const int nodes = w().TreeView1->topLevelItem(0)->childCount();

    w().mnuFileOpen_Click();
    ASSERT_EQ(openRequests_.size(), 2u);
    EXPECT_EQ(openRequests_[1].fileName.toStdString(), file.path().string());  // offered again
    EXPECT_EQ(w().StatusText(), "Ready");
    EXPECT_EQ(w().windowTitle(), "Zelvo - Small.sf2");
    EXPECT_EQ(w().ListView1->columnCount(), 0);
    EXPECT_EQ(w().ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(w().TreeView1->topLevelItem(0)->childCount(), nodes);
}

TEST_F(MainWindowTest, MalformedOrUnreadableFilesAreReportedAndTheProgramGoesOn) {
    const TempFile good(SmallFile().Build(), "Good.sf2");
    std::string truncated = SmallFile().Build();
    truncated.resize(FindChunk(truncated, "shdr") + 30);
    const TempFile bad(truncated, "Bad.sf2");
    Open(good.path().string());
    Open(bad.path().string());
    Open((good.folder() / "missing.sf2").string());
    ASSERT_EQ(messages_.size(), 2u);
    for (const MessageBoxRequest& m : messages_) {
        EXPECT_TRUE(m.text.startsWith("Error in SoundFont File: ")) << m.text.toStdString();
        EXPECT_EQ(m.title, "Zelvo");
        EXPECT_EQ(m.icon, QMessageBox::Critical);
    }
    EXPECT_TRUE(messages_[0].text.contains("offset"));
    EXPECT_TRUE(messages_[1].text.contains("No such file or directory"));
    EXPECT_EQ(cursorDuringMessages_, (std::vector<bool>{false, false}));
    EXPECT_TRUE(endStatus_.empty());
    EXPECT_EQ(model_.FileName, "");
    EXPECT_EQ(model_.PresetCount, 0);
    EXPECT_EQ(w().TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(w().windowTitle(), "Zelvo");
    EXPECT_EQ(w().StatusText(), "Ready");

    Open(good.path().string());
    EXPECT_EQ(w().windowTitle(), "Zelvo - Good.sf2");
    EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(MainWindowTest, WrongChunkIdShowsTheFixedMessageAndEndsTheProgram) {
    std::string file = SmallFile().Build();
    file.replace(FindChunk(file, "pbag"), 4, "pbxg");
    const TempFile bad(file);
    Open(bad.path().string());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "Error in SoundFont File. Program will End");
    EXPECT_EQ(messages_[0].title, "Zelvo");
    EXPECT_EQ(endStatus_, std::vector<int>{1});
    EXPECT_TRUE(QSettings(kAppTitle, kAppTitle).allKeys().isEmpty());  // no closing sequence
}

TEST_F(MainWindowTest, ClicksAndListedKeyReleasesInTheTreeFillTheList) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    const QTreeWidget& list = *w().ListView1;

    ClickNode(w(), "nodeP2");  // "Piano", after "Piano Bright"
    EXPECT_EQ(Rows(list), (Table{{"Bank", "Preset", "PBAG"}, {"0", "0", "1"}}));
    EXPECT_EQ(list.headerItem()->textAlignment(0) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list.topLevelItem(0)->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list.columnWidth(0), TwipsToPixels(900));
    ClickNode(w(), "PGene2");
    EXPECT_EQ(Rows(list), (Table{{"Gen Nr", "Generator", "Amount"},
                                 {"1", "KeyRange", "C-2 - G8 / 0 - 127"},
                                 {"2", "instrument", "Piano"}}));
    EXPECT_EQ(list.columnWidth(1), TwipsToPixels(2200));
    EXPECT_EQ(list.headerItem()->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    ClickNode(w(), "node1");
    EXPECT_EQ(Rows(list), Table{{}});

    w().FindNode("nodeS")->setExpanded(true);
    ClickNode(w(), "nodeS1");
    QTest::keyClick(w().TreeView1, Qt::Key_Down);
    EXPECT_EQ(SelectedKey(w()), "nodeS2");
    EXPECT_EQ(Rows(list).at(1), (std::vector<std::string>{"mono", "100", "0", "0", "22050", "72"}));
    // End moves the selection but is not a listed key; a letter is.
    ClickNode(w(), "nodeS1");
    QTest::keyClick(w().TreeView1, Qt::Key_End);
    EXPECT_EQ(SelectedKey(w()), "nodeS2");
    EXPECT_EQ(Rows(list).at(1).at(4), "44100");
    QTest::keyClick(w().TreeView1, Qt::Key_P);
    EXPECT_EQ(SelectedKey(w()), "nodeP");
    EXPECT_EQ(Rows(list), (Table{{"Bank", "Preset", "PBAG"}}));
}

TEST_F(MainWindowTest, OnlyTheListedKeyCodesRebuildTheList) {
    const TempFile file(SmallFile().Build());
    Open(file.path().string());
    Select(w(), "nodeS1");
    std::vector<int> rebuilding, expected = {33, 34, 36, 37, 38, 39, 40, 41};
    for (int letter = 65; letter <= 90; ++letter) expected.push_back(letter);
    for (int code = 0; code < 256; ++code) {
        w().ListView1->setColumnCount(0);
        w().Treeview1_KeyUp(code, Qt::ShiftModifier);
        if (w().ListView1->columnCount() != 0) rebuilding.push_back(code);
    }
    EXPECT_EQ(rebuilding, expected);
}

TEST_F(MainWindowTest, ClosingWritesThePlacementInTwipsAndClosesTheOtherWindows) {
    QWidget other;
    other.show();
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    w().move(150, 90);
    const QRect frame = w().frameGeometry();
    w().mnuFileExit_Click();
    EXPECT_FALSE(other.isVisible());
    QSettings settings(kAppTitle, kAppTitle);
    settings.beginGroup("Settings");
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    const auto twips = [&](int pixels) { return QString::number(qRound(pixels * twipsPerPixel)); };
    EXPECT_EQ(settings.allKeys(), (QStringList{"MainHeight", "MainLeft", "MainTop", "MainWidth"}));
    EXPECT_EQ(settings.value("MainLeft"), twips(frame.x()));
    EXPECT_EQ(settings.value("MainTop"), twips(frame.y()));
    EXPECT_EQ(settings.value("MainWidth"), twips(frame.width()));
    EXPECT_EQ(settings.value("MainHeight"), twips(frame.height()));
}

TEST_F(MainWindowTest, ClosingWhileMinimisedKeepsTheStoredPlacement) {
    QSettings(kAppTitle, kAppTitle).setValue("Settings/MainLeft", "7");
    w().show();
    w().setWindowState(Qt::WindowMinimized);
    w().close();
    const QSettings settings(kAppTitle, kAppTitle);
    EXPECT_EQ(settings.allKeys(), QStringList{"Settings/MainLeft"});
    EXPECT_EQ(settings.value("Settings/MainLeft"), "7");
}

TEST_F(MainWindowTest, HelpOpensZelvoChmBesideTheProgramOrSaysWhyNot) {
    EXPECT_EQ(w().HelpFile, QCoreApplication::applicationDirPath() + "/Zelvo.chm");
    w().HelpFile = "/nonexistent/Zelvo.chm";  // the desktop's handler, asked in vain
    w().mnuHelpContents_Click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].text.contains("No such file or directory"));
    EXPECT_EQ(messages_[0].title, "Zelvo");
    EXPECT_EQ(messages_[0].icon, QMessageBox::NoIcon);

    int viewerCalls = 0;
    w().OpenHelpFile = [&](const QString&) { return ++viewerCalls, std::optional<QString>(); };
    w().mnuHelpContents_Click();
    EXPECT_EQ(viewerCalls, 1);
    w().HelpFile.clear();
    w().setWindowTitle("Zelvo - Small.sf2");
    w().mnuHelpContents_Click();
    EXPECT_EQ(viewerCalls, 1);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[1].text, "Unable to display Help Contents. There is no Help associated with this project.");
    EXPECT_EQ(messages_[1].title, "Zelvo - Small.sf2");
    EXPECT_EQ(messages_[1].icon, QMessageBox::Information);
}

}  // namespace
}  // namespace zelvo::testing
