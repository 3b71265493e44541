// The main window driven offscreen: start-up, menus, toolbar, the Open
// command, the tree and the detail list, Help and the closing sequence.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/frm_info.h"
#include "app/other.h"
#include "app_test_support.h"
#include "load_helpers.h"
#include "soundfont/errors.h"

namespace zelvo::testing {
namespace {

// Two presets whose names begin alike, one with a Latin-1 name, two
// instruments (one without zones) and two samples.
Sf2Builder SmallFile() {
    Sf2Builder b;
    b.Info("INAM", "Tiny Bank").Info("ISFT", "Sf2Builder");
    b.Sample({.name = "Piano C4", .start = 0, .end = 100, .startLoop = 10, .endLoop = 90})
        .Sample({.name = "Piano C5", .start = 146, .end = 246, .rate = 22050, .pitch = 72});
    b.Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{KeyRange(61, 127), SampleId(1)}}}})
        .Instrument({"Silent", {}});
    b.Preset({"Piano Bright", 1, 0, {{{InstrumentId(0)}}}})
        .Preset({"Piano", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}})
        .Preset({std::string("Caf\xE9 Organ"), 2, 0, {{{InstrumentId(1)}}}});
    b.SamplePoints(std::vector<std::int16_t>(300, 7));
    return b;
}

std::string SelectedKey(const frmMain& w) {
    const QList<QTreeWidgetItem*> selected = w.TreeView1->selectedItems();
    return selected.isEmpty() ? "" : TreeWidgetBrowseTree::KeyOf(selected.front()).value_or("");
}

void Select(frmMain& w, std::string_view key) {
    w.TreeView1->clearSelection();
    if (QTreeWidgetItem* item = w.FindNode(key)) w.TreeView1->setCurrentItem(item);
}

// A click on the node's row, as a user makes it.
void ClickNode(frmMain& w, std::string_view key) {
    QTreeWidgetItem* item = w.FindNode(key);
    ASSERT_NE(item, nullptr) << key;
    w.TreeView1->scrollToItem(item);
    QTest::mouseClick(w.TreeView1->viewport(), Qt::LeftButton, {},
                      w.TreeView1->visualItemRect(item).center());
    ASSERT_EQ(SelectedKey(w), key);
}

QToolButton* ToolbarButton(frmMain& w, const QString& key) {
    for (QAction* action : w.tbToolBar->actions()) {
        if (action->data().toString() == key) {
            return qobject_cast<QToolButton*>(w.tbToolBar->widgetForAction(action));
        }
    }
    return nullptr;
}

TEST_F(MainWindowTest, StartsCentredAtItsDesignSizeWhateverTheStoredPlacement) {
    QSettings(QStringLiteral("Zelvo"), QStringLiteral("Zelvo"))
        .setValue(QStringLiteral("Settings/MainLeft"), "0");
    SoundFontModel model;
    model.FileName = "left over";
    frmMain main(model);
    EXPECT_EQ(model.FileName, "");
    EXPECT_EQ(main.windowTitle(), "Zelvo");
    EXPECT_EQ(main.StatusText(), "Ready");
    EXPECT_TRUE(main.ProgressBar1->isHidden());
    EXPECT_EQ(main.ListView1->columnCount(), 0);
    EXPECT_EQ(main.width(), TwipsToPixels(10965));
    EXPECT_GE(main.height(), TwipsToPixels(6855));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(main.geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(main.geometry().center().y() - screen.center().y()), 1);
    EXPECT_EQ(main.sbPanels[0]->text(), "Ready");
    for (QLabel* panel : {main.sbPanels[1], main.sbPanels[2]}) {
        EXPECT_FALSE(panel->text().isEmpty());
        EXPECT_GE(panel->minimumWidth(), TwipsToPixels(2540));
    }
}

TEST_F(MainWindowTest, MenusHaveTheirCaptionsShortcutsAndCheckMarks) {
    std::vector<std::string> items;
    for (QAction* menu : w().menuBar()->actions()) {
        items.push_back(menu->text().toStdString());
        for (QAction* item : menu->menu()->actions()) {
            std::string line = "  " + (item->isSeparator() ? "-" : item->text().toStdString());
            if (!item->shortcut().isEmpty())
                line += " " + item->shortcut().toString().toStdString();
            if (item->isCheckable()) line += item->isChecked() ? " [x]" : " [ ]";
            items.push_back(line);
        }
    }
    const std::vector<std::string> expected = {
        "&File",
        "  &Open... Ctrl+O",
        "  -",
        "  E&xit",
        "&View",
        "  &Toolbar [x]",
        "  Status &Bar [x]",
        "  -",
        "  &SoundFont File Info",
        "&Element",
        "  Save &Instrument as EX5/7 Wave Ctrl+I",
        "&Help",
        "  &Contents",
        "  -",
        "  &About ",
    };
    EXPECT_EQ(items, expected);
}

TEST_F(MainWindowTest, ViewTogglesKeepCheckMarksAndBarsTogether) {
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    w().mnuViewToolbar->trigger();
    EXPECT_FALSE(w().mnuViewToolbar->isChecked());
    EXPECT_FALSE(w().tbToolBar->isVisible());
    EXPECT_TRUE(w().sbStatusBar->isVisible());
    w().mnuViewStatusBar->trigger();
    EXPECT_FALSE(w().mnuViewStatusBar->isChecked());
    EXPECT_FALSE(w().sbStatusBar->isVisible());
    w().mnuViewToolbar->trigger();
    w().mnuViewStatusBar->trigger();
    EXPECT_TRUE(w().mnuViewToolbar->isChecked());
    EXPECT_TRUE(w().tbToolBar->isVisible());
    EXPECT_TRUE(w().mnuViewStatusBar->isChecked());
    EXPECT_TRUE(w().sbStatusBar->isVisible());
}

TEST_F(MainWindowTest, ToolbarButtonsRunTheMenuCommandsOfTheirKeys) {
    std::vector<std::string> buttons;
    for (QAction* action : w().tbToolBar->actions()) {
        if (!action->isSeparator()) {
            buttons.push_back((action->data().toString() + ": " + action->toolTip()).toStdString());
            EXPECT_FALSE(action->icon().isNull());
        }
    }
    EXPECT_EQ(buttons, (std::vector<std::string>{
                           "Open: Open SoundFont File", "InfoSF: SoundFont File Info",
                           "Copy: Save Instrument as EX5/7 Wave", "Exit: Exit Program"}));
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));

    ToolbarButton(w(), "Open")->click();
    ASSERT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(w().StatusText(), "Ready");

    bool infoShown = false;
    WhenModalOpens<frmInfo>([&](frmInfo& info) {
        infoShown = true;
        info.cmdClose->click();
    });
    ToolbarButton(w(), "InfoSF")->click();
    EXPECT_TRUE(infoShown);

    ToolbarButton(w(), "Copy")->click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "No SoundFont file");

    // Keys are compared exactly: anything else does nothing.
    for (const char* key : {"open", "Copy ", "Bogus", ""}) {
        QAction other(QString::fromLatin1(key));
        other.setData(QString::fromLatin1(key));
        w().tbToolBar_ButtonClick(&other);
    }
    w().tbToolBar_ButtonClick(nullptr);
    EXPECT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(w().isVisible());

    ToolbarButton(w(), "Exit")->click();
    EXPECT_FALSE(w().isVisible());
}

TEST_F(MainWindowTest, OpenShowsEachStepInTheStatusBarAndCaption) {
    const auto path = PackagedSoundFont("TimGM6mb.sf2");
    SKIP_WITHOUT(path);
    struct Step {
        std::string status, caption;
        bool busy;
        bool operator==(const Step&) const = default;
    };
    std::vector<Step> steps;
    QObject::connect(&w(), &frmMain::StatusTextChanged, [&](const QString& status) {
        steps.push_back({status.toStdString(), w().windowTitle().toStdString(),
                         QApplication::overrideCursor() != nullptr});
    });
    Open(path.string());

    const std::string counts = " 136 presets,  210 instruments,  520 samples";
    const std::vector<Step> expected = {
        {"Open SoundFont File", "Zelvo", false},
        {"Processing...", "Zelvo", true},
        {counts + ", one moment please...", "Zelvo", true},
        {counts, "Zelvo - TimGM6mb.sf2", false},
    };
    EXPECT_EQ(steps, expected);
    ASSERT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(openRequests_[0].title, "Open SoundFont File");
    EXPECT_EQ(openRequests_[0].filter, "SoundFond Files (*.sf2)");
    EXPECT_EQ(model_.FileName, "TimGM6mb.sf2");
    EXPECT_EQ(model_.FileFolder, path.parent_path().string() + "/");
    EXPECT_TRUE(messages_.empty());
}

// The tree widget gets the nodes, texts and images the reader gives any tree.
TEST_F(MainWindowTest, TreeShowsWhatTheReaderBuilds) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    const Loaded expected = LoadBytes(SmallFile().Build());

    std::vector<std::string> shown, read;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
        const std::string key = TreeWidgetBrowseTree::KeyOf(item).value_or("?");
        shown.push_back(std::to_string(depth) + " " + key + " " + item->text(0).toStdString());
        for (int c = 0; c < item->childCount(); ++c) walk(item->child(c), depth + 1);
    };
    for (int i = 0; i < w().TreeView1->topLevelItemCount(); ++i)
        walk(w().TreeView1->topLevelItem(i), 0);
    expected.tree.Walk([&](const MemoryTree::Node& node, int depth) {
        const std::string text = node.key == "node1"
                                     ? "Small.sf2"
                                     : QString::fromLatin1(node.text.c_str()).toStdString();
        read.push_back(std::to_string(depth) + " " + node.key + " " + text);
        const QTreeWidgetItem* item = w().FindNode(node.key);
        ASSERT_NE(item, nullptr) << node.key;
        EXPECT_EQ(item->icon(0).cacheKey(), w().imlToolbarIcons.Image(node.image).cacheKey())
            << node.key;
    });
    EXPECT_EQ(shown, read);
    EXPECT_EQ(w().FindNode("nodeP3")->text(0), QString::fromUtf8("Caf\u00E9 Organ"));
    EXPECT_TRUE(w().FindNode("node1")->isExpanded());
    for (const char* group : {"nodeP", "nodeI", "nodeS"})
        EXPECT_FALSE(w().FindNode(group)->isExpanded());
}

TEST_F(MainWindowTest, CancelledOpenKeepsTheFileAndEmptiesTheList) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    Select(w(), "nodeS1");
    w().TreeView1_Click();
    ASSERT_EQ(w().ListView1->columnCount(), 6);
    const int nodes = static_cast<int>(LoadBytes(SmallFile().Build()).tree.nodes().size());

    w().mnuFileOpen_Click();
    ASSERT_EQ(openRequests_.size(), 2u);
    EXPECT_EQ(openRequests_[1].fileName.toStdString(), file.path().string());
    EXPECT_EQ(w().StatusText(), "Ready");
    EXPECT_EQ(w().windowTitle(), "Zelvo - Small.sf2");
    EXPECT_EQ(w().ListView1->columnCount(), 0);
    EXPECT_EQ(w().ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(model_.FileName, "Small.sf2");
    int shown = 0;
    for (QTreeWidgetItemIterator it(w().TreeView1); *it; ++it) ++shown;
    EXPECT_EQ(shown, nodes);
}

TEST_F(MainWindowTest, MalformedOrUnreadableFilesAreReportedAndTheProgramGoesOn) {
    const TempFile good(SmallFile().Build(), "Good.sf2");
    std::string truncated = SmallFile().Build();
    truncated.resize(FindChunk(truncated, "shdr") + 30);
    const TempFile bad(truncated, "Bad.sf2");
    Open(good.path().string());

    Open(bad.path().string());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].text.startsWith("Error in SoundFont File: "))
        << messages_[0].text.toStdString();
    EXPECT_GT(messages_[0].text.size(), 30);
    EXPECT_EQ(messages_[0].title, "Zelvo");
    EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(cursorDuringMessages_[0]);
    EXPECT_TRUE(endStatus_.empty());
    EXPECT_EQ(model_.FileName, "");
    EXPECT_EQ(model_.PresetCount, 0);
    EXPECT_EQ(w().TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(w().FindNode("node1"), nullptr);
    EXPECT_EQ(w().windowTitle(), "Zelvo");
    EXPECT_EQ(w().StatusText(), "Ready");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Open((good.folder() / "missing.sf2").string());
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_TRUE(messages_[1].text.startsWith("Error in SoundFont File: "));
    EXPECT_TRUE(messages_[1].text.contains("No such file or directory"))
        << messages_[1].text.toStdString();
    EXPECT_EQ(w().StatusText(), "Ready");

    Open(good.path().string());
    EXPECT_EQ(w().windowTitle(), "Zelvo - Good.sf2");
    EXPECT_EQ(model_.PresetCount, 3);
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
    // The program ends without its closing sequence: nothing is stored.
    EXPECT_TRUE(QSettings(QStringLiteral("Zelvo"), QStringLiteral("Zelvo")).allKeys().isEmpty());
}

TEST_F(MainWindowTest, ClicksAndListedKeyReleasesInTheTreeFillTheList) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    QTreeWidget& list = *w().ListView1;

    // The second preset, although the first one's name begins with its name.
    ClickNode(w(), "nodeP2");
    EXPECT_EQ(Columns(list), (std::vector<std::string>{"Bank", "Preset", "PBAG"}));
    EXPECT_EQ(Rows(list), (std::vector<std::vector<std::string>>{{"0", "0", "1"}}));
    EXPECT_EQ(list.headerItem()->textAlignment(0) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list.topLevelItem(0)->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list.columnWidth(0), TwipsToPixels(900));

    ClickNode(w(), "nodeP");
    EXPECT_EQ(list.columnCount(), 3);
    EXPECT_EQ(list.topLevelItemCount(), 0);

    ClickNode(w(), "PGene2");
    EXPECT_EQ(Rows(list),
              (std::vector<std::vector<std::string>>{{"1", "KeyRange", "C-2 - G8 / 0 - 127"},
                                                     {"2", "instrument", "Piano"}}));
    EXPECT_EQ(list.columnWidth(1), TwipsToPixels(2200));
    EXPECT_EQ(list.headerItem()->textAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    ClickNode(w(), "node1");
    EXPECT_EQ(list.columnCount(), 0);
    EXPECT_EQ(list.topLevelItemCount(), 0);

    w().FindNode("nodeS")->setExpanded(true);
    ClickNode(w(), "nodeS1");
    EXPECT_EQ(Rows(list),
              (std::vector<std::vector<std::string>>{{"mono", "100", "10", "90", "44100", "60"}}));
    QTest::keyClick(w().TreeView1, Qt::Key_Down);
    EXPECT_EQ(SelectedKey(w()), "nodeS2");
    EXPECT_EQ(Rows(list),
              (std::vector<std::vector<std::string>>{{"mono", "100", "0", "0", "22050", "72"}}));
    QTest::keyClick(w().TreeView1, Qt::Key_Home);
    EXPECT_EQ(SelectedKey(w()), "node1");
    EXPECT_EQ(list.columnCount(), 0);

    // End moves the selection but is not a listed key.
    ClickNode(w(), "nodeS1");
    QTest::keyClick(w().TreeView1, Qt::Key_End);
    EXPECT_EQ(SelectedKey(w()), "nodeS2");
    EXPECT_EQ(Rows(list)[0][4], "44100");
    // A letter is: it jumps to the next node that begins with it.
    QTest::keyClick(w().TreeView1, Qt::Key_P);
    EXPECT_EQ(SelectedKey(w()), "nodeP");
    EXPECT_EQ(list.columnCount(), 3);
}

TEST_F(MainWindowTest, OnlyTheListedKeyCodesRebuildTheList) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    Select(w(), "nodeS1");
    std::vector<int> rebuilding;
    for (int code = 0; code < 256; ++code) {
        w().ListView1->setColumnCount(0);
        w().Treeview1_KeyUp(code, Qt::ShiftModifier);
        if (w().ListView1->columnCount() != 0) rebuilding.push_back(code);
    }
    std::vector<int> expected = {33, 34, 36, 37, 38, 39, 40, 41};
    for (int letter = 65; letter <= 90; ++letter) expected.push_back(letter);
    EXPECT_EQ(rebuilding, expected);
}

TEST_F(MainWindowTest, ClosingWritesThePlacementInTwips) {
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    w().move(150, 90);
    const QRect frame = w().frameGeometry();
    w().close();
    QSettings settings(QStringLiteral("Zelvo"), QStringLiteral("Zelvo"));
    settings.beginGroup(QStringLiteral("Settings"));
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    const auto twips = [&](int pixels) { return QString::number(qRound(pixels * twipsPerPixel)); };
    EXPECT_EQ(settings.childKeys(),
              (QStringList{"MainHeight", "MainLeft", "MainTop", "MainWidth"}));
    EXPECT_EQ(settings.value("MainLeft").toString(), twips(frame.x()));
    EXPECT_EQ(settings.value("MainTop").toString(), twips(frame.y()));
    EXPECT_EQ(settings.value("MainWidth").toString(), twips(frame.width()));
    EXPECT_EQ(settings.value("MainHeight").toString(), twips(frame.height()));
}

TEST_F(MainWindowTest, ClosingWhileMinimisedKeepsTheStoredPlacement) {
    QSettings(QStringLiteral("Zelvo"), QStringLiteral("Zelvo"))
        .setValue(QStringLiteral("Settings/MainLeft"), "7");
    w().show();
    w().setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(w().isMinimized());
    w().close();
    QSettings settings(QStringLiteral("Zelvo"), QStringLiteral("Zelvo"));
    EXPECT_EQ(settings.value("Settings/MainLeft").toString(), "7");
    EXPECT_FALSE(settings.contains("Settings/MainWidth"));
}

TEST_F(MainWindowTest, ClosingClosesTheProgramsOtherWindows) {
    QWidget other;
    other.show();
    w().show();
    w().mnuFileExit_Click();
    EXPECT_FALSE(other.isVisible());
    EXPECT_FALSE(w().isVisible());
}

TEST_F(MainWindowTest, HelpWithoutAHelpSettingSaysSoAndCallsNoViewer) {
    int viewerCalls = 0;
    w().OpenHelpFile = [&](const QString&) {
        ++viewerCalls;
        return std::optional<QString>();
    };
    w().HelpFile.clear();
    w().setWindowTitle("Zelvo - Small.sf2");
    w().mnuHelpContents_Click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text,
              "Unable to display Help Contents. There is no Help associated with this project.");
    EXPECT_EQ(messages_[0].title, "Zelvo - Small.sf2");
    EXPECT_EQ(messages_[0].icon, QMessageBox::Information);
    EXPECT_EQ(viewerCalls, 0);
}

TEST_F(MainWindowTest, HelpOpensZelvoChmBesideTheProgramOrSaysWhyNot) {
    EXPECT_EQ(QFileInfo(w().HelpFile).fileName(), "Zelvo.chm");
    EXPECT_EQ(QFileInfo(w().HelpFile).absolutePath(), QCoreApplication::applicationDirPath());
    // The desktop's handler, asked for a help file that is not there.
    w().HelpFile = QStringLiteral("/nonexistent/Zelvo.chm");
    w().mnuHelpContents_Click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].text.contains("No such file or directory"))
        << messages_[0].text.toStdString();
    EXPECT_EQ(messages_[0].title, "Zelvo");
    EXPECT_EQ(messages_[0].icon, QMessageBox::NoIcon);

    QString asked;
    w().OpenHelpFile = [&](const QString& path) {
        asked = path;
        return std::optional<QString>();
    };
    w().HelpFile = QStringLiteral("/opt/zelvo/Zelvo.chm");
    w().mnuHelpContents_Click();
    EXPECT_EQ(asked, "/opt/zelvo/Zelvo.chm");
    EXPECT_EQ(messages_.size(), 1u);
}

}  // namespace
}  // namespace zelvo::testing
