// The information, About and splash windows, the tree adapter, the artwork
// and the small helpers the windows share.
#include <gtest/gtest.h>

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/frm_about.h"
#include "app/frm_info.h"
#include "app/frm_splash.h"
#include "app/other.h"
#include "app_test_support.h"
#include "load_helpers.h"

namespace zelvo::testing {
namespace {

std::vector<std::string> Texts(const frmInfo& info) {
    std::vector<std::string> texts;
    for (const QLabel* label : info.Labels()) texts.push_back(label->text().toStdString());
    return texts;
}

std::vector<std::string> ShowInformationWindow(frmMain& w) {
    std::vector<std::string> texts;
    WhenModalOpens<frmInfo>([&](frmInfo& info) {
        texts = Texts(info);
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
    b.Info("INAM", std::string("Tiny Bank\0\0", 11))
        .Info("ICOP", std::string("\xA9 2024", 6))
        .Info("ICMT", std::string(400, 'c'))
        .Info("ISFT", "Builder")
        .Info("iver", std::string("\x01\x00\x02\x00", 4));
    const TempFile file(b.Build(), "Tiny.sf2");
    Open(file.path().string());
    const std::vector<std::string> expected = {
        "Filename: Tiny.sf2",
        "SoundFont File Version  2.01",
        "Sound Engine: ",
        "ROM wavetable: ",
        "ROM Revision  1.02",
        "Bank Name: Tiny Bank",
        "Created: ",
        "Engineer: ",
        "Intended for: ",
        "Copyright: \u00A9 2024",
        "Created with: Builder",
        "Comments: " + std::string(400, 'c'),
    };
    EXPECT_EQ(ShowInformationWindow(w()), expected);
    EXPECT_EQ(ShowInformationWindow(w()), expected);  // built afresh each time
    EXPECT_TRUE(w().findChildren<frmInfo*>().isEmpty());

    const TempFile other(Sf2Builder().Info("INAM", "Other").Build(), "Other.sf2");
    Open(other.path().string());
    const std::vector<std::string> shown = ShowInformationWindow(w());
    ASSERT_EQ(shown.size(), 12u);
    EXPECT_EQ(shown[0], "Filename: Other.sf2");
    EXPECT_EQ(shown[5], "Bank Name: Other");
}

TEST(InformationWindow, LabelsStandAtTheirPlaces) {
    const SoundFontModel model;
    const frmInfo info(model, nullptr);
    EXPECT_EQ(info.windowTitle(), "Soundfont Information");
    EXPECT_EQ(info.cmdClose->text(), "Close");
    const auto labels = info.Labels();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(labels[i]->x(), TwipsToPixels(360)) << i;
        EXPECT_EQ(labels[i]->y(), TwipsToPixels(240 + 240 * static_cast<int>(i))) << i;
        EXPECT_GT(labels[i]->width(), info.width() * 8 / 10) << i;
    }
    EXPECT_EQ(info.lblICMT->height(), TwipsToPixels(1455));
    EXPECT_TRUE(info.lblICMT->wordWrap());
    EXPECT_EQ(info.lblIPRD->height(), TwipsToPixels(255));
    EXPECT_GT(info.cmdClose->x(), info.width() / 2);
    EXPECT_GT(info.cmdClose->y(), info.lblICMT->geometry().bottom());
}

TEST(AboutWindow, ShowsTitleAndVersionAndClosesWithOkEnterAndEsc) {
    frmAbout about(nullptr);
    const frmSplash splash;
    EXPECT_EQ(about.windowTitle(), "About Zelvo");
    EXPECT_EQ(about.lblTitle->text(), "Zelvo");
    EXPECT_EQ(about.lblDescription->text(),
              "Converts a Soundfont 2 Instrument to a EX5 Yamaha S1 Wave");
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version %1.%2.%3")
                                            .arg(ZELVO_VERSION_MAJOR)
                                            .arg(ZELVO_VERSION_MINOR)
                                            .arg(ZELVO_VERSION_PATCH));
    EXPECT_EQ(about.lblVersion->text(), splash.lblVersion->text());
    EXPECT_EQ(about.picIcon->size(), QSize(138, 123));
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_NEAR(static_cast<double>(about.width()) / about.height(), 1.6, 0.1);
    EXPECT_TRUE(about.cmdOK->isDefault());

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

TEST_F(MainWindowTest, HelpAboutShowsTheAboutWindowModal) {
    bool shown = false;
    WhenModalOpens<frmAbout>([&](frmAbout& about) {
        shown = about.isModal() && about.parentWidget() == &w();
        about.cmdOK->click();
    });
    w().mnuHelpAbout->trigger();
    EXPECT_TRUE(shown);
}

TEST(SplashWindow, IsTranslucentFromTheStartWideAndKeptOutOfTheTaskBar) {
    const frmSplash splash;
    EXPECT_NEAR(splash.windowOpacity(), 180.0 / 255.0, 0.005);
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::SplashScreen));
    EXPECT_NEAR(static_cast<double>(splash.width()) / splash.height(), 2.5, 0.3);
    EXPECT_EQ(splash.lblProductName->text(), "Zelvo");
    EXPECT_TRUE(splash.lblProductName->font().bold());
    EXPECT_EQ(splash.lblProductName->font().pointSize(), 24);
    EXPECT_FALSE(splash.picLogo->pixmap().isNull());
    EXPECT_GT(splash.lblVersion->x(), splash.width() / 2);
    EXPECT_GT(splash.lblVersion->y(), splash.height() / 2);
}

TEST(TreeAdapter, BuildsTheReadersTreeAndFindsNodesByKey) {
    QTreeWidget widget;
    const ImageList images = ImageList::ToolbarIcons();
    TreeWidgetBrowseTree tree(widget, images);
    tree.AddNode("", "node1", "Bank.sf2", kImageFile);
    tree.AddNode("node1", "nodeP", "Presets", kImagePreset);
    tree.AddNode("nodeP", "nodeP1", std::string("Caf\xE9", 4), kImagePreset);
    tree.AddNode("nodeP1", "PGene1", "Gen 1", kImageInstrument);
    ASSERT_EQ(widget.topLevelItemCount(), 1);
    QTreeWidgetItem* zone = tree.Find("PGene1");
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->parent(), tree.Find("nodeP1"));
    EXPECT_EQ(TreeWidgetBrowseTree::KeyOf(zone), "PGene1");
    EXPECT_EQ(tree.Find("nodeP1")->text(0), QString::fromUtf8("Caf\u00E9"));

    tree.SetNodeText("PGene1", "Piano");
    EXPECT_EQ(zone->text(0), "Piano");
    tree.MakeVisible("PGene1");
    EXPECT_TRUE(tree.Find("nodeP1")->isExpanded());
    EXPECT_TRUE(tree.Find("node1")->isExpanded());
    tree.Collapse("nodeP");
    EXPECT_FALSE(tree.Find("nodeP")->isExpanded());
    tree.Repaint();

    tree.Clear();
    EXPECT_EQ(widget.topLevelItemCount(), 0);
    EXPECT_EQ(tree.Find("node1"), nullptr);
    EXPECT_EQ(TreeWidgetBrowseTree::KeyOf(nullptr), std::nullopt);
}

TEST(Artwork, TwentyTwoImagesAndThePicturesAreDrawn) {
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
    EXPECT_FALSE(AppIcon().isNull());
    EXPECT_FALSE(AppIcon().pixmap(256, 256).isNull());
}

TEST(Other, PlacementTextsAndTwips) {
    EXPECT_EQ(SingleText(10965), "10965");
    EXPECT_EQ(SingleText(-150), "-150");
    EXPECT_EQ(SingleText(0), "0");
    EXPECT_EQ(SingleText(0.5), "0.5");
    EXPECT_EQ(SingleText(1234.5678), "1234.568");
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    EXPECT_EQ(TwipsToPixels(1440), qRound(dpi));
    EXPECT_NEAR(PixelsToTwips(TwipsToPixels(10965)), 10965, 1440 / dpi);
}

}  // namespace
}  // namespace zelvo::testing
