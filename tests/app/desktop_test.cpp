// Opening from anywhere and the manual: the command line, File > Recent Files
// across a restart, dropped files, and Help > Contents handing the manual to
// the desktop.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/command_line.h"
#include "app/frm_main.h"
#include "app/main_code.h"
#include "app/recent_files.h"
#include "sf2_builder.h"

namespace zelvo::testing {

// Stands in for the desktop's browser: records the URLs it is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void Open(const QUrl& url) { urls.push_back(url); }

public:
    std::vector<QUrl> urls;
};

namespace {

const std::string kTimGM6mb = std::string(ZELVO_SOUNDFONT_DIR) + "/TimGM6mb.sf2";

QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

std::string TinyBank() {
    Sf2Builder b;
    b.Sample({.name = "Tone", .end = 100});
    b.Instrument({"Tone", {{{SampleId(0)}}}});
    b.Preset({"Tone", 0, 0, {{{InstrumentId(0)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(100, 5)).Build();
}

// Each test starts with empty settings of its own.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }

    // A main window whose message boxes are recorded, not shown.
    std::unique_ptr<frmMain> Window(SoundFontModel& model) {
        auto window = std::make_unique<frmMain>(model);
        window->ShowMessage = [this](const MessageBoxRequest& r) { messages_.push_back(r.text); };
        window->EndProgram = [](int) {};
        return window;
    }

    // The File menu opens and closes, as a user looking at it; then the
    // texts of its Recent Files entries.
    static QStringList RecentEntries(frmMain& window) {
        window.mnufile->popup(window.geometry().center());
        window.mnufile->hide();
        QStringList texts;
        for (const QAction* entry : window.mnuFileRecent->actions()) texts << entry->text();
        return texts;
    }

    QTemporaryDir settingsDir_;
    QStringList messages_;
};

TEST_F(DesktopTest, StartUpOpensTheFileOfTheCommandLineWithoutADialog) {
    if (!std::filesystem::exists(kTimGM6mb)) GTEST_SKIP() << kTimGM6mb << " is not installed";
    QString caption;
    bool dialog = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialog = true;
            modal->close();
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* main = qobject_cast<frmMain*>(window);
            if (!main || !main->isVisible()) continue;
            if (main->StatusText() == " 136 presets,  210 instruments,  520 samples") {
                caption = main->windowTitle();
                main->close();
            }
        }
    });
    watch.start(20);
    QTimer::singleShot(30000, [] { QCoreApplication::exit(99); });  // never hang
    EXPECT_EQ(Main(QString::fromStdString(kTimGM6mb)), 0);
    EXPECT_EQ(caption, "Zelvo - TimGM6mb.sf2");
    EXPECT_FALSE(dialog);
    EXPECT_EQ(RecentFiles(), QStringList{QString::fromStdString(kTimGM6mb)});
}

TEST_F(DesktopTest, RecentFilesOutliveTheWindowKeepEightAndForgetMissingFiles) {
    std::vector<std::unique_ptr<TempFile>> files;
    for (const char* name : {"A.sf2", "Rock&Roll.sf2", "C.sf2", "D.sf2", "E.sf2", "F.sf2",
                             "G.sf2", "H.sf2", "I.sf2"}) {
        files.push_back(std::make_unique<TempFile>(TinyBank(), name));
    }
    const auto path = [&](int i) { return Q(files[static_cast<std::size_t>(i)]->path()); };
    {
        SoundFontModel model;
        const std::unique_ptr<frmMain> first = Window(model);
        EXPECT_FALSE(first->mnuFileRecent->menuAction()->isEnabled());
        for (int i = 0; i < 9; ++i) first->OpenFile(path(i));
        first->OpenFile(path(3));                               // again: to the front, once
        first->OpenFile(Q(files[0]->folder() / "gone.sf2"));  // a failed open is not kept
        ASSERT_EQ(messages_.size(), 1u);
    }
    SoundFontModel model;
    const std::unique_ptr<frmMain> second = Window(model);
    QStringList expected;
    int number = 1;
    for (const int i : {3, 8, 7, 6, 5, 4, 2, 1}) {
        QString text = path(i);
        expected << QStringLiteral("&%1 %2").arg(number++).arg(text.replace("&", "&&"));
    }
    EXPECT_EQ(RecentEntries(*second), expected);

    std::filesystem::remove(files[7]->path());  // H.sf2, the third entry
    expected.removeAt(2);
    for (int i = 2; i < expected.size(); ++i) expected[i].replace(1, 1, QString::number(i + 1));
    EXPECT_EQ(RecentEntries(*second), expected);
    EXPECT_EQ(RecentFiles().size(), 7);
    EXPECT_FALSE(RecentFiles().contains(path(7)));

    second->mnuFileRecent->actions().at(6)->trigger();  // Rock&Roll.sf2
    EXPECT_EQ(second->windowTitle(), "Zelvo - Rock&Roll.sf2");
    EXPECT_EQ(RecentFiles().front(), path(1));
    EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(DesktopTest, ADroppedSoundFontOpensAndOtherDropsAreRefused) {
    const TempFile bank(TinyBank(), "Dropped.SF2");
    const TempFile notes("hello", "notes.txt");
    SoundFontModel model;
    const std::unique_ptr<frmMain> window = Window(model);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // A drag enters the tree, under the pointer, and the window takes it; a
    // drop follows only an accepted drag, and goes to the widget that took it.
    QWidget* under = window->TreeView1->viewport();
    const auto send = [&](QEvent::Type type, const std::vector<QUrl>& urls,
                          Qt::DropActions actions) {
        QMimeData data;
        data.setUrls(QList<QUrl>(urls.begin(), urls.end()));
        const QPointF at = under->mapTo(window.get(), under->rect().center());
        std::unique_ptr<QDropEvent> event;
        if (type == QEvent::DragEnter) {
            event = std::make_unique<QDragEnterEvent>(at.toPoint(), actions, &data, Qt::LeftButton,
                                                      Qt::NoModifier);
        } else {
            event = std::make_unique<QDropEvent>(at, actions, &data, Qt::LeftButton,
                                                 Qt::NoModifier, type);
        }
        QApplication::sendEvent(type == QEvent::DragEnter ? under : window.get(), event.get());
        return event->isAccepted() ? event->dropAction() : Qt::IgnoreAction;
    };
    const QUrl text = QUrl::fromLocalFile(Q(notes.path()));
    const QUrl sf2 = QUrl::fromLocalFile(Q(bank.path()));
    const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
    EXPECT_EQ(send(QEvent::DragEnter, {text}, copyOrMove), Qt::IgnoreAction);
    EXPECT_EQ(send(QEvent::DragEnter, {QUrl("https://example.org/x.sf2")}, copyOrMove),
              Qt::IgnoreAction);
    // Only copied or linked: a moving source would delete the file.
    EXPECT_EQ(send(QEvent::DragEnter, {sf2}, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(send(QEvent::DragEnter, {text, sf2}, Qt::MoveAction | Qt::LinkAction),
              Qt::LinkAction);
    EXPECT_EQ(send(QEvent::DragEnter, {text, sf2}, copyOrMove), Qt::CopyAction);
    EXPECT_EQ(send(QEvent::Drop, {text, sf2}, copyOrMove), Qt::CopyAction);
    EXPECT_EQ(window->windowTitle(), "Zelvo");  // the load waits for the drop to end
    QTRY_COMPARE(window->windowTitle(), QString("Zelvo - Dropped.SF2"));
    EXPECT_EQ(RecentFiles(), QStringList{Q(bank.path())});
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(DesktopTest, HelpContentsHandsTheManualToTheDesktopBrowser) {
    SoundFontModel model;
    const std::unique_ptr<frmMain> window = Window(model);
    QFile manual(window->HelpFile);
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly)) << window->HelpFile.toStdString();
    EXPECT_TRUE(manual.readAll().contains("<title>Zelvo User Manual</title>"));

    UrlRecorder browser;
    QDesktopServices::setUrlHandler("file", &browser, "Open");
    window->mnuHelpContents_Click();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(browser.urls, std::vector<QUrl>{QUrl::fromLocalFile(window->HelpFile)});
    EXPECT_TRUE(messages_.isEmpty());
}

TEST(CommandLine, HelpAndVersionWinAndAnythingButOneFileIsAUsageError) {
    using Action = CommandLine::Action;
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string file;
    };
    const Case cases[] = {
        {{}, Action::Run, ""},
        {{"Bank.sf2"}, Action::Run, "Bank.sf2"},
        {{"--", "-odd.sf2"}, Action::Run, "-odd.sf2"},
        {{"-"}, Action::Run, "-"},
        {{"Bank.sf2", "--version"}, Action::Version, ""},
        {{"--bogus", "-h"}, Action::Help, ""},
        {{"--version", "--help"}, Action::Help, ""},
        {{"-odd.sf2"}, Action::UsageError, ""},
        {{"a.sf2", "b.sf2"}, Action::UsageError, ""},
        {{""}, Action::UsageError, ""},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(std::make_pair(line.action, line.file), std::make_pair(c.action, c.file))
            << ::testing::PrintToString(c.args);
        EXPECT_EQ(line.error.empty(), c.action != Action::UsageError);
    }
}

}  // namespace
}  // namespace zelvo::testing

#include "desktop_test.moc"
