// Element > Save Instrument as EX5/7 Wave: its checks, the save dialog, the
// progress and the outcome in the status bar.
#include <gtest/gtest.h>

#include <QProgressBar>

#include "app_test_support.h"

namespace zelvo::testing {
namespace {

constexpr std::uint64_t kSampleDataOffset = 69766;  // where an .s1m's sample points begin

TEST_F(MainWindowTest, ExportRefusesWithoutAFileOrAnInstrumentWithZones) {
    const std::string noFile = "No SoundFont file | Error | 3",
                      select = "Select instrument | No Instrument Selected | 2";
    w().mnuCopyInstr_Click();
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .end = 100}).SamplePoints(std::vector<std::int16_t>(100));
    b.Instrument({"Piano", {{{SampleId(0)}}}}).Instrument({"Silent", {}});
    const TempFile file(b.Preset({"Piano", 0, 0, {{{InstrumentId(0)}}}}).Build());
    Open(file.path().string());
    std::vector<std::string> expected = {noFile};
    for (const char* key : {"", "node1", "nodeI", "nodeP1", "PGene1", "IGene1", "nodeS1"}) {
        Select(w(), key);
        w().mnuCopyInstr_Click();
        expected.push_back(select);
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
    const std::string path = PackagedSoundFont("TimGM6mb.sf2");
    SKIP_WITHOUT(path);
    Open(path);
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
    EXPECT_EQ(saveRequests_[1].fileName.toStdString(),
              std::string(ZELVO_SOUNDFONT_DIR) + "/Flute TB.s1m");
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

}  // namespace
}  // namespace zelvo::testing
