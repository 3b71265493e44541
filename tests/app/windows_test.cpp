// The information and About windows.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/frm_about.h"
#include "app/frm_info.h"
#include "app_test_support.h"

namespace zelvo::testing {
namespace {

TEST_F(MainWindowTest, InformationWindowShowsTheFileOrItsAbsence) {
    const auto shown = [this] {
        std::vector<std::string> texts;
        WhenModalOpens<frmInfo>([&](frmInfo& info) {
            for (const QLabel* label : info.Labels()) texts.push_back(label->text().toStdString());
            info.cmdClose->click();
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

TEST(AboutWindow, ClosesWithOkEnterAndEsc) {
    frmAbout about(nullptr);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, key);
        EXPECT_FALSE(about.isVisible()) << key;
    }
    about.show();
    about.cmdOK->click();
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace zelvo::testing
