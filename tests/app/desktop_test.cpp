// SPDX-License-Identifier: GPL-3.0-or-later
// Opening from anywhere and the manual: the command line, File > Recent Files
// across a restart, dropped files, and Help > Contents handing the manual to
// the desktop.
#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/command_line.h"
#include "app/main_code.h"
#include "app/recent_files.h"
#include "window_test.h"

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

using DesktopTest = WindowTest;

// The File menu opens and closes, as a user looking at it; then the texts
// of its Recent Files entries.
QStringList RecentEntries(frmMain& window) {
    window.mnufile->popup(window.geometry().center());
    window.mnufile->hide();
    QStringList texts;
    for (const QAction* entry : window.mnuFileRecent->actions()) texts << entry->text();
    return texts;
}

TEST_F(DesktopTest, StartUpOpensTheFileOfTheCommandLineWithoutADialog) {
    const TempFile file(SmallFile().Build(), "Small.sf2");
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
            if (main->StatusText() == " 2 presets,  1 instruments,  2 samples") {
                caption = main->windowTitle();
                main->close();
            }
        }
    });
    watch.start(20);
    QTimer::singleShot(30000, [] { QCoreApplication::exit(99); });  // never hang
    EXPECT_EQ(Main(Q(file.path())), 0);
    EXPECT_EQ(caption, "Zelvo - Small.sf2");
    EXPECT_FALSE(dialog);
    EXPECT_EQ(RecentFiles(), QStringList{Q(file.path())});
}

TEST_F(DesktopTest, RecentFilesOutliveTheWindowKeepEightAndForgetMissingFiles) {
    std::vector<std::unique_ptr<TempFile>> files;
    for (const char* name : {"A.sf2", "Rock&Roll.sf2", "C.sf2", "D.sf2", "E.sf2", "F.sf2",
                             "G.sf2", "H.sf2", "I.sf2"}) {
        files.push_back(std::make_unique<TempFile>(SmallFile().Build(), name));
    }
    const auto path = [&](int i) { return Q(files[static_cast<std::size_t>(i)]->path()); };
    EXPECT_FALSE(w().mnuFileRecent->menuAction()->isEnabled());
    for (int i = 0; i < 9; ++i) w().OpenFile(path(i));
    w().OpenFile(path(3));                                // again: to the front, once
    w().OpenFile(Q(files[0]->folder() / "gone.sf2"));  // a failed open is not kept
    ASSERT_EQ(messages_.size(), 1u);
    window_.reset();
    window_ = Window(model_);
    QStringList expected;
    int number = 1;
    for (const int i : {3, 8, 7, 6, 5, 4, 2, 1}) {
        QString text = path(i);
        expected << QStringLiteral("&%1 %2").arg(number++).arg(text.replace("&", "&&"));
    }
    EXPECT_EQ(RecentEntries(w()), expected);

    std::filesystem::remove(files[7]->path());  // H.sf2, the third entry
    expected.removeAt(2);
    for (int i = 2; i < expected.size(); ++i) expected[i].replace(1, 1, QString::number(i + 1));
    EXPECT_EQ(RecentEntries(w()), expected);
    EXPECT_EQ(RecentFiles(), (QStringList{path(3), path(8), path(6), path(5), path(4), path(2), path(1)}));

    w().mnuFileRecent->actions().at(6)->trigger();  // Rock&Roll.sf2
    EXPECT_EQ(w().windowTitle(), "Zelvo - Rock&Roll.sf2");
    EXPECT_EQ(RecentFiles().front(), path(1));
    EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(DesktopTest, ADroppedSoundFontOpensAndOtherDropsAreRefused) {
    const TempFile bank(SmallFile().Build(), "Dropped.SF2");
    const TempFile notes("hello", "notes.txt");
    w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
    // A drag enters the tree, under the pointer, and the window takes it; a
    // drop follows only an accepted drag, and goes to the widget that took it.
    QWidget* under = w().TreeView1->viewport();
    const auto send = [&](QEvent::Type type, const std::vector<QUrl>& urls, Qt::DropActions actions) {
        QMimeData data;
        data.setUrls(QList<QUrl>(urls.begin(), urls.end()));
        const QPoint at = under->mapTo(&w(), under->rect().center());
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent& event = type == QEvent::DragEnter ? enter : drop;
        QApplication::sendEvent(type == QEvent::DragEnter ? under : &w(), &event);
        return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    };
    const QUrl text = QUrl::fromLocalFile(Q(notes.path()));
    const QUrl sf2 = QUrl::fromLocalFile(Q(bank.path()));
    const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
    EXPECT_EQ(send(QEvent::DragEnter, {text}, copyOrMove), Qt::IgnoreAction);
    EXPECT_EQ(send(QEvent::DragEnter, {QUrl("https://example.org/x.sf2")}, copyOrMove),
              Qt::IgnoreAction);
    // Only copied or linked: a moving source would delete the file.
    EXPECT_EQ(send(QEvent::DragEnter, {sf2}, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(send(QEvent::DragEnter, {text, sf2}, Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
    EXPECT_EQ(send(QEvent::DragEnter, {text, sf2}, copyOrMove), Qt::CopyAction);
    EXPECT_EQ(send(QEvent::Drop, {text, sf2}, copyOrMove), Qt::CopyAction);
    EXPECT_EQ(w().windowTitle(), "Zelvo");  // the load waits for the drop to end
    EXPECT_TRUE(QTest::qWaitFor([this] { return w().windowTitle() == "Zelvo - Dropped.SF2"; }));
    EXPECT_EQ(RecentFiles(), QStringList{Q(bank.path())});
    EXPECT_TRUE(messages_.empty());
}

TEST_F(DesktopTest, HelpContentsHandsTheManualToTheDesktopOrSaysThereIsNone) {
    QFile manual(w().HelpFile);
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly)) << w().HelpFile.toStdString();
    EXPECT_TRUE(manual.readAll().contains("<title>Zelvo User Manual</title>"));
    EXPECT_TRUE(w().HelpFile.endsWith("/share/doc/zelvo/manual/index.html")) << w().HelpFile.toStdString();
    // An opener that finds no program: a box says where the manual is.
    w().DesktopOpener = "/bin/false";
    w().mnuHelpContents_Click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !messages_.empty(); }));
    EXPECT_NE(messages_[0].find(w().HelpFile.toStdString() + "; open it in a web browser. | Zelvo | 1"), std::string::npos);
    messages_.clear();
    w().DesktopOpener.clear();
    UrlRecorder browser;
    QDesktopServices::setUrlHandler("file", &browser, "Open");
    w().mnuHelpContents_Click();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(browser.urls, std::vector<QUrl>{QUrl::fromLocalFile(w().HelpFile)});
    EXPECT_TRUE(messages_.empty());

    // Without a help setting: a message, titled with the caption, and no viewer.
    int viewerCalls = 0;
    w().OpenHelpFile = [&](const QString&) { return ++viewerCalls, std::optional<QString>(); };
    w().HelpFile.clear();
    w().setWindowTitle("Zelvo - Small.sf2");
    w().mnuHelpContents_Click();
    EXPECT_EQ(viewerCalls, 0);
    EXPECT_EQ(messages_, std::vector<std::string>{"Unable to display Help Contents. There is no Help associated "
                                                  "with this project. | Zelvo - Small.sf2 | 1"});
}

TEST(CommandLine, HelpAndVersionWinAndAnythingButOneFileIsAUsageError) {
    using Action = CommandLine::Action;
    const std::tuple<std::vector<std::string>, Action, std::string> cases[] = {
        {{}, Action::Run, ""}, {{"Bank.sf2"}, Action::Run, "Bank.sf2"},
        {{"--", "-odd.sf2"}, Action::Run, "-odd.sf2"}, {{"-"}, Action::Run, "-"},
        {{"Bank.sf2", "--version"}, Action::Version, ""}, {{"--bogus", "-h"}, Action::Help, ""},
        {{"--version", "--help"}, Action::Help, ""}, {{"-odd.sf2"}, Action::UsageError, ""},
        {{"a.sf2", "b.sf2"}, Action::UsageError, ""}, {{""}, Action::UsageError, ""}};
    for (const auto& [args, action, file] : cases) {
        const CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(std::make_pair(line.action, line.file), std::make_pair(action, file))
            << ::testing::PrintToString(args);
        EXPECT_EQ(line.error.empty(), action != Action::UsageError);
    }
}

}  // namespace
}  // namespace zelvo::testing

#include "desktop_test.moc"
