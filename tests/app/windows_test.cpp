// The information, About and splash windows and the artwork.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/frm_about.h"
#include "app/frm_info.h"
#include "app/frm_splash.h"
#include "app/other.h"
#include "app_test_support.h"

namespace zelvo::testing {
namespace {

std::vector<std::string> ShowInformationWindow(frmMain& w) {
    std::vector<std::string> texts;
    WhenModalOpens<frmInfo>([&](frmInfo& info) {
        for (const QLabel* label : info.Labels()) texts.push_back(label->text().toStdString());
        info.cmdClose->click();
    });
    w.mnuInfoSF_Click();
    return texts;
}

TEST_F(MainWindowTest, InformationWindowShowsTheFileOrItsAbsence) {
    std::vector<std::string> none(12, "");
    none[0] = "No SoundFont file";
    EXPECT_EQ(ShowInformationWindow(w()), none);

    Sf2Builder b;
    b.Info("INAM", std::string("Tiny Bank\0\0", 11)).Info("ICOP", "\xA9 2024").Info("ISFT", "Builder")
        .Info("ICMT", std::string(400, 'c')).Info("iver", std::string("\x01\x00\x02\x00", 4));
    const TempFile file(b.Build(), "Tiny.sf2");
    Open(file.path().string());
    const std::vector<std::string> expected = {
        "Filename: Tiny.sf2", "SoundFont File Version  2.01", "Sound Engine: ", "ROM wavetable: ",
        "ROM Revision  1.02", "Bank Name: Tiny Bank", "Created: ", "Engineer: ", "Intended for: ",
        "Copyright: \u00A9 2024", "Created with: Builder", "Comments: " + std::string(400, 'c'),
    };
    EXPECT_EQ(ShowInformationWindow(w()), expected);
    EXPECT_EQ(ShowInformationWindow(w()), expected);  // built afresh each time
    EXPECT_TRUE(w().findChildren<frmInfo*>().isEmpty());

    const frmInfo info(model_, nullptr);
    EXPECT_EQ(info.lblICMT->geometry(), QRect(TwipsToPixels(360), TwipsToPixels(2880),
                                              info.lblICMT->width(), TwipsToPixels(1455)));
    EXPECT_TRUE(info.lblICMT->wordWrap());
}

TEST(AboutWindow, ShowsTheSplashsVersionLineAndClosesWithOkEnterAndEsc) {
    frmAbout about(nullptr);
    const frmSplash splash;
    EXPECT_EQ(about.lblTitle->text(), "Zelvo");
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version %1.%2.%3")
                                            .arg(ZELVO_VERSION_MAJOR)
                                            .arg(ZELVO_VERSION_MINOR)
                                            .arg(ZELVO_VERSION_PATCH));
    EXPECT_EQ(about.lblVersion->text(), splash.lblVersion->text());
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMinMaxButtonsHint);
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

TEST(SplashWindow, IsTranslucentFromTheStartAndKeptOutOfTheTaskBar) {
    const frmSplash splash;
    EXPECT_NEAR(splash.windowOpacity(), 180.0 / 255.0, 0.005);
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::SplashScreen));
    EXPECT_NEAR(static_cast<double>(splash.width()) / splash.height(), 2.5, 0.3);
    EXPECT_EQ(splash.lblProductName->font().pointSize(), 24);
}

TEST(Artwork, AllTwentyTwoImagesAreDrawnAtEverySize) {
    const ImageList images = ImageList::ToolbarIcons();
    ASSERT_EQ(images.Count(), 22);
    EXPECT_TRUE(images.Image(0).isNull());
    EXPECT_TRUE(images.Image(23).isNull());
    for (int i = 1; i <= 22; ++i) {
        for (const int size : {16, 32}) {
            const QImage image = images.Image(i).pixmap(size, size).toImage();
            ASSERT_EQ(image.size(), QSize(size, size)) << i;
            int opaque = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
            }
            EXPECT_GT(opaque, size * size / 10) << "image " << i << " at " << size;
        }
    }
    EXPECT_FALSE(AppIcon().pixmap(256, 256).isNull());
}

}  // namespace
}  // namespace zelvo::testing
