// The desktop program's windows driven offscreen, with dialogs and message
// boxes that answer from the test: the Open command, the tree and the detail
// list, the View menu, Help, the closing sequence, the information and About
// windows, and Element > Save Instrument as EX5/7 Wave.
#include "app/frm_main.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "app/frm_about.h"
#include "app/frm_info.h"
#include "allocation_limit.h"
#include "app/other.h"
#include "load_helpers.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

const std::string kTimGM6mb = std::string(ZELVO_SOUNDFONT_DIR) + "/TimGM6mb.sf2";

class MainWindowTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_TRUE(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        window_ = std::make_unique<frmMain>(model_);
        // An empty answer, when none is queued, cancels the dialog.
        const auto answer = [](std::deque<QString>& answers,
                               std::vector<FileDialogRequest>& requests) {
            return [a = &answers, q = &requests](const FileDialogRequest& r) {
                q->push_back(r);
                const QString next = a->empty() ? QString() : a->front();
                if (!a->empty()) a->pop_front();
                return next;
            };
        };
        window_->AskOpenFileName = answer(openAnswers_, openRequests_);
        window_->AskSaveFileName = answer(saveAnswers_, saveRequests_);
        window_->ShowMessage = [this](const MessageBoxRequest& r) {
            messages_.push_back(r);
            cursorDuringMessages_.push_back(QApplication::overrideCursor() != nullptr);
        };
        window_->EndProgram = [this](int status) { endStatus_.push_back(status); };
    }

    // Opens path through File > Open, as a user who picks it in the dialog.
    void Open(const std::string& path) {
        openAnswers_.push_back(QString::fromStdString(path));
        window_->mnuFileOpen_Click();
    }

    frmMain& w() { return *window_; }

    SoundFontModel model_;
    QTemporaryDir settingsDir_;
    std::unique_ptr<frmMain> window_;
    std::deque<QString> openAnswers_, saveAnswers_;
    std::vector<FileDialogRequest> openRequests_, saveRequests_;
    std::vector<MessageBoxRequest> messages_;
    std::vector<bool> cursorDuringMessages_;
    std::vector<int> endStatus_;
};

void Select(frmMain& w, std::string_view key) {
    w.TreeView1->clearSelection();
    if (QTreeWidgetItem* item = w.FindNode(key)) w.TreeView1->setCurrentItem(item);
}

using Table = std::vector<std::vector<std::string>>;

// Presets whose names begin alike, two instruments and two samples.
Sf2Builder SmallFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .end = 100, .startLoop = 10, .endLoop = 90});
    b.Sample({.name = "Piano C5", .start = 146, .end = 246, .rate = 22050, .pitch = 72});
    b.Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{SampleId(1)}}}});
    b.Preset({"Piano Bright", 1, 0, {{{InstrumentId(0)}}}});
    b.Preset({"Piano", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(300, 7));
}

std::string SelectedKey(const frmMain& w) {
    const QList<QTreeWidgetItem*> selected = w.TreeView1->selectedItems();
    return selected.isEmpty() ? "" : TreeWidgetBrowseTree::KeyOf(selected.front()).value_or("");
}

// The column titles, then the cells of each row.
Table Rows(const QTreeWidget& list) {
    Table rows(1);
    for (int c = 0; c < list.columnCount(); ++c)
        rows[0].push_back(list.headerItem()->text(c).toStdString());
    for (int r = 0; r < list.topLevelItemCount(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < list.columnCount(); ++c)
            rows.back().push_back(list.topLevelItem(r)->text(c).toStdString());
    }
    return rows;
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

TEST_F(MainWindowTest, OpenShowsEachStepInTheStatusBarAndCaption) {
    if (!std::filesystem::exists(kTimGM6mb)) GTEST_SKIP() << kTimGM6mb << " is not installed";
    std::vector<std::string> steps;
    QObject::connect(&w(), &frmMain::StatusTextChanged, [&](const QString& status) {
        const bool busy = QApplication::overrideCursor() != nullptr;
        steps.push_back(
            (status + " | " + w().windowTitle() + (busy ? " | busy" : "")).toStdString());
    });
    Open(kTimGM6mb);
    const std::string counts = " 136 presets,  210 instruments,  520 samples";
    EXPECT_EQ(steps, (std::vector<std::string>{"Open SoundFont File | Zelvo",
                                               "Processing... | Zelvo | busy",
                                               counts + ", one moment please... | Zelvo | busy",
                                               counts + " | Zelvo - TimGM6mb.sf2"}));
    EXPECT_EQ(w().FindNode("nodeP1")->text(0), "Flute TB");
    EXPECT_TRUE(messages_.empty());
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
        EXPECT_EQ(std::make_pair(m.title, m.icon),
                  std::make_pair(QString("Zelvo"), QMessageBox::Critical));
    }
    EXPECT_TRUE(messages_[0].text.contains("offset"));
    EXPECT_TRUE(messages_[1].text.contains("No such file or directory"));
    EXPECT_EQ(cursorDuringMessages_, (std::vector<bool>{false, false}));
    EXPECT_EQ(model_.PresetCount, 0);
    EXPECT_EQ(w().TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(w().windowTitle() + " | " + w().StatusText(), "Zelvo | Ready");
    Open(good.path().string());
    EXPECT_EQ(w().windowTitle(), "Zelvo - Good.sf2");
    // A chunk holding a record more than its indices call for is malformed, not a wrong id.
    const TempFile longBag(ResizeChunk(SmallFile().Build(), "pbag", 4));
    Open(longBag.path().string());
    ASSERT_EQ(messages_.size(), 3u);
    EXPECT_TRUE(messages_[2].text.contains("the pbag chunk holds 4 records")) << messages_[2].text.toStdString();
    EXPECT_TRUE(endStatus_.empty());

    // A wrong chunk id shows a fixed message and ends the program, without the closing sequence.
    std::string wrongId = SmallFile().Build();
    wrongId.replace(FindChunk(wrongId, "pbag"), 4, "pbxg");
    const TempFile notSf2(wrongId);
    Open(notSf2.path().string());
    ASSERT_EQ(messages_.size(), 4u);
    EXPECT_EQ(messages_[3].text, "Error in SoundFont File. Program will End");
    EXPECT_EQ(endStatus_, std::vector<int>{1});
    EXPECT_TRUE(QSettings(kAppTitle, kAppTitle).allKeys().filter("Settings/").isEmpty());
}

TEST_F(MainWindowTest, FifosAndExhaustedMemoryAreReportedAtOnceAndTheProgramGoesOn) {
    const TempFile good(SmallFile().Build(), "Good.sf2");
    const std::filesystem::path fifo = good.folder() / "pipe.sf2";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // An open that waits for a writer gets one after two seconds, so no test hangs.
    std::atomic<bool> opened{false};
    std::thread rescue([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!opened) {
            const int fd = std::chrono::steady_clock::now() < deadline
                               ? -1
                               : ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    Open(fifo.string());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    opened = true;
    rescue.join();
    EXPECT_LT(took.count(), 1.0);

    Sf2Builder many;
    for (int s = 0; s < 40000; ++s) many.Sample({.name = "S" + std::to_string(s)});
    const TempFile big(many.Build(), "Big.sf2");
    {
        const AllocationLimit limit(512 * 1024);
        Open(big.path().string());
    }
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0].text, "Error in SoundFont File: " + QString::fromStdString(fifo.string()) +
                                     ": it is a FIFO, not a regular file");
    EXPECT_EQ(messages_[1].text, "not enough memory to load " + QString::fromStdString(big.path()));
    EXPECT_EQ(w().windowTitle() + " | " + w().StatusText(), "Zelvo | Ready");
    EXPECT_EQ(w().TreeView1->topLevelItemCount(), 0);
    Open(good.path().string());
    EXPECT_EQ(w().windowTitle(), "Zelvo - Good.sf2");
    EXPECT_TRUE(endStatus_.empty());
}

TEST_F(MainWindowTest, ClicksAndListedKeyReleasesInTheTreeFillTheList) {
    // The tree's and the list's item models stay consistent through it all.
    QAbstractItemModelTester treeModel(w().TreeView1->model());
    QAbstractItemModelTester listModel(w().ListView1->model());
    const TempFile file(SmallFile().Build(), "Small.sf2");
    Open(file.path().string());
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    const QTreeWidget& list = *w().ListView1;
    ClickNode(w(), "nodeP2");  // "Piano", after "Piano Bright"
    EXPECT_EQ(Rows(list), (Table{{"Bank", "Preset", "PBAG"}, {"0", "0", "1"}}));
    ClickNode(w(), "PGene2");
    EXPECT_EQ(Rows(list), (Table{{"Gen Nr", "Generator", "Amount"},
                                 {"1", "KeyRange", "C-2 - G8 / 0 - 127"},
                                 {"2", "instrument", "Piano"}}));
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
    // The edges of the listed key codes: PageUp, PageDown, Home to Select, A to Z.
    std::string rebuilt;
    for (const int code : {32, 33, 34, 35, 36, 41, 42, 64, 65, 90, 91}) {
        w().ListView1->setColumnCount(0);
        w().Treeview1_KeyUp(code, Qt::ShiftModifier);
        rebuilt += w().ListView1->columnCount() ? '1' : '0';
    }
    EXPECT_EQ(rebuilt, "01101100110");
}

TEST_F(MainWindowTest, ViewTogglesTheToolbarAndTheStatusBarIndependently) {
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    for (const bool shown : {false, true}) {
        w().mnuViewToolbar->trigger();
        EXPECT_EQ(std::make_pair(w().tbToolBar->isVisible(), w().mnuViewToolbar->isChecked()),
                  std::make_pair(shown, shown));
        EXPECT_EQ(w().sbStatusBar->isVisible(), !shown);
        w().mnuViewStatusBar->trigger();
        EXPECT_EQ(std::make_pair(w().sbStatusBar->isVisible(), w().mnuViewStatusBar->isChecked()),
                  std::make_pair(shown, shown));
    }
}

TEST_F(MainWindowTest, ClosingWritesThePlacementInTwips) {
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    w().move(150, 90);
    const QRect frame = w().frameGeometry();
    w().mnuFileExit_Click();
    QSettings settings(kAppTitle, kAppTitle);
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    const auto twips = [&](int pixels) { return QString::number(qRound(pixels * twipsPerPixel)); };
    settings.beginGroup("Settings");
    QStringList stored;
    for (const QString& key : settings.allKeys())
        stored << key + " " + settings.value(key).toString();
    EXPECT_EQ(stored,
              (QStringList{"MainHeight " + twips(frame.height()), "MainLeft " + twips(frame.x()),
                           "MainTop " + twips(frame.y()), "MainWidth " + twips(frame.width())}));
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

TEST_F(MainWindowTest, HelpWithoutAHelpSettingSaysSoAndOpensNothing) {
    int viewerCalls = 0;
    w().OpenHelpFile = [&](const QString&) { return ++viewerCalls, std::optional<QString>(); };
    w().HelpFile.clear();
    w().setWindowTitle("Zelvo - Small.sf2");
    w().mnuHelpContents_Click();
    EXPECT_EQ(viewerCalls, 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text,
              "Unable to display Help Contents. There is no Help associated with this project.");
    EXPECT_EQ(std::make_pair(messages_[0].title, messages_[0].icon),
              std::make_pair(QString("Zelvo - Small.sf2"), QMessageBox::Information));
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
    b.Info("ISFT", "Builder").Info("ICMT", std::string(400, 'c'));
    const TempFile file(b.Info("iver", std::string("\x01\x00\x02\x00", 4)).Build(), "Tiny.sf2");
    Open(file.path().string());
    // clang-format off
    const std::vector<std::string> expected = {
        "Filename: Tiny.sf2", "SoundFont File Version  2.01", "Sound Engine: ", "ROM wavetable: ",
        "ROM Revision  1.02", "Bank Name: Tiny Bank", "Created: ", "Engineer: ", "Intended for: ",
        "Copyright: \u00A9 2024", "Created with: Builder", "Comments: " + std::string(400, 'c')};
    // clang-format on
    EXPECT_EQ(shown(), expected);
    EXPECT_TRUE(w().findChildren<frmInfo*>().isEmpty());
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

TEST_F(MainWindowTest, ExportRefusesWithoutAFileOrAnInstrumentWithZones) {
    w().mnuCopyInstr_Click();
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .end = 100}).SamplePoints(std::vector<std::int16_t>(100));
    b.Instrument({"Piano", {{{SampleId(0)}}}}).Instrument({"Silent", {}});
    const TempFile file(b.Preset({"Piano", 0, 0, {{{InstrumentId(0)}}}}).Build());
    Open(file.path().string());
    std::vector<std::string> expected = {"No SoundFont file | Error | 3"};
    for (const char* key : {"", "node1", "nodeI", "nodeP1", "PGene1", "IGene1", "nodeS1"}) {
        Select(w(), key);
        w().mnuCopyInstr_Click();
        expected.push_back("Select instrument | No Instrument Selected | 2");
    }
    Select(w(), "nodeI2");
    w().mnuCopyInstr_Click();
    w().ExportInstrument(2);
    expected.push_back("Instrument has no samples | Error | 3");
    expected.push_back("No samples found | Error | 3");
    std::vector<std::string> shown;
    for (const MessageBoxRequest& m : messages_) {
        shown.push_back((m.text + " | " + m.title + " | " + QString::number(m.icon)).toStdString());
    }
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(saveRequests_.empty());
}

TEST_F(MainWindowTest, ExportSavesAnInstrumentOfARealFileThroughTheSaveDialog) {
    if (!std::filesystem::exists(kTimGM6mb)) GTEST_SKIP() << kTimGM6mb << " is not installed";
    Open(kTimGM6mb);
    QTemporaryDir out;
    const QString target = out.filePath("Flute TB.s1m");
    saveAnswers_ = {"/nonexistent-folder/Flute TB.s1m", target};
    Select(w(), "nodeI1");
    w().show();
    w().mnuCopyInstr_Click();  // into a folder that does not exist
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(std::make_pair(messages_[0].title, messages_[0].icon),
              std::make_pair(QString("Error"), QMessageBox::Critical));
    EXPECT_EQ(w().StatusText(), "Ready");
    EXPECT_EQ(cursorDuringMessages_, std::vector<bool>{false});

    w().mnuCopyInstr_Click();
    ASSERT_EQ(messages_.size(), 1u) << messages_.back().text.toStdString();
    // Nothing saved yet: the home folder (no documents folder here), never the SoundFont's.
    EXPECT_EQ(saveRequests_[1].fileName, QDir::homePath() + "/Flute TB.s1m");
    const std::uint64_t size = std::filesystem::file_size(target.toStdString());
    EXPECT_GT(size, kSampleDataOffset);
    EXPECT_EQ(w().StatusText(), "File  " + target + "  was saved");
    EXPECT_TRUE(w().ProgressBar1->isHidden());
    // The bar counted the sample bytes up to their total, of one more.
    EXPECT_EQ(static_cast<std::uint64_t>(w().ProgressBar1->value()), size - kSampleDataOffset);
    EXPECT_EQ(static_cast<std::uint64_t>(w().ProgressBar1->maximum()),
              size - kSampleDataOffset + 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, ExportProposesTheCoreFileNameAndNeverReplacesTheSoundFont) {
    Sf2Builder b;
    b.Sample({.name = "S", .end = 100}).SamplePoints(std::vector<std::int16_t>(100, 3));
    const TempFile file(b.Instrument({"A/B:\x1B", {{{SampleId(0)}}}}).Build(), "Bank.sf2");
    Open(file.path().string());
    Select(w(), "nodeI1");
    saveAnswers_ = {QString::fromStdString(file.path())};
    w().mnuCopyInstr_Click();
    ASSERT_EQ(saveRequests_.size(), 1u);
    // The core's file name, in the folder last saved to: none yet, so the home folder.
    EXPECT_EQ(saveRequests_[0].fileName, QDir::homePath() + "/A_B__.s1m");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text.toStdString(),
              "Cannot write " + file.path().string() + ": it is the SoundFont being exported");
    EXPECT_EQ(std::make_pair(messages_[0].title, messages_[0].icon),
              std::make_pair(QString("Error"), QMessageBox::Critical));
    EXPECT_TRUE(ReadWholeFile(file.path()) == b.Build());
}

}  // namespace
}  // namespace zelvo::testing
