// A main window whose dialogs and message boxes answer from the test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/frm_main.h"
#include "sf2_builder.h"

namespace zelvo::testing {

inline std::string PackagedSoundFont(const char* name) {
    return std::string(ZELVO_SOUNDFONT_DIR) + "/" + name;
}

#define SKIP_WITHOUT(path) \
    if (!std::filesystem::exists(path)) GTEST_SKIP() << (path) << " is not installed"

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

// Runs inspect on the modal window of type Window once it shows; inspect
// closes it. One left open is closed after five seconds, so no test hangs.
template <typename Window, typename Inspect>
void WhenModalOpens(Inspect inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr) << "no modal window of the expected kind";
        QTimer::singleShot(5000, [guard = QPointer<Window>(window)] {
            if (guard && guard->isVisible()) guard->close();
        });
        inspect(*window);
    });
}

inline void Select(frmMain& w, std::string_view key) {
    w.TreeView1->clearSelection();
    if (QTreeWidgetItem* item = w.FindNode(key)) w.TreeView1->setCurrentItem(item);
}

}  // namespace zelvo::testing
