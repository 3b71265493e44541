// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven offscreen, with settings of its own, and with
// dialogs and message boxes that answer from the test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/frm_main.h"
#include "sf2_builder.h"

namespace zelvo::testing {

inline QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Presets whose names begin alike, an instrument of two zones and two
// samples, the second at 22,050 Hz.
inline Sf2Builder SmallFile() {
    Sf2Builder b;
    b.Sample({.name = "Piano C4", .end = 100, .startLoop = 10, .endLoop = 90});
    b.Sample({.name = "Piano C5", .start = 146, .end = 246, .rate = 22050, .pitch = 72});
    b.Instrument({"Piano", {{{KeyRange(0, 60), SampleId(0)}}, {{SampleId(1)}}}});
    b.Preset({"Piano Bright", 1, 0, {{{InstrumentId(0)}}}});
    b.Preset({"Piano", 0, 0, {{{KeyRange(0, 127), InstrumentId(0)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(300, 7));
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        window_ = Window(model_);
    }

    // A window whose dialogs give the queued answers (none left cancels them)
    // and whose proposed file names, boxes ("text | title | icon"), summaries
    // and folders shown are recorded.
    std::unique_ptr<frmMain> Window(SoundFontModel& model) {
        auto w = std::make_unique<frmMain>(model);
        w->AskOpenFileName = [this](const FileDialogRequest&) { return Next(openAnswers_); };
        w->AskSaveFileName = w->AskFolder = [this](const FileDialogRequest& r) {
            proposed_ << r.fileName;
            return Next(saveAnswers_);
        };
        w->ShowMessage = [this](const MessageBoxRequest& r) {
            messages_.push_back((r.text + " | " + r.title + " | " + QString::number(r.icon)).toStdString());
            cursorDuringMessages_.push_back(QApplication::overrideCursor() != nullptr);
        };
        w->ShowExportSummary = [this](const ExportManySummary& s) { summaries_.push_back(s); };
        w->OpenFolder = [this](const QString& path) {
            return openedFolders_.push_back(path), std::optional<QString>();
        };
        w->EndProgram = [this](int status) { endStatus_.push_back(status); };
        return w;
    }
    static QString Next(std::deque<QString>& answers) {
        const QString next = answers.empty() ? QString() : answers.front();
        if (!answers.empty()) answers.pop_front();
        return next;
    }

    // Opens path through File > Open, as a user who picks it in the dialog.
    void Open(const std::filesystem::path& path) {
        openAnswers_.push_back(Q(path));
        w().mnuFileOpen_Click();
    }
    // Selects the node of key in the tree, or none when there is none.
    void Select(std::string_view key) {
        w().TreeView1->clearSelection();
        QTreeWidgetItem* item = w().FindNode(key);
        for (QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent()) p->setExpanded(true);
        if (item) w().TreeView1->setCurrentItem(item);
    }
    std::string SelectedKey() {
        const QList<QTreeWidgetItem*> selected = w().TreeView1->selectedItems();
        return selected.isEmpty() ? "" : TreeWidgetBrowseTree::KeyOf(selected.front()).value_or("");
    }
    frmMain& w() { return *window_; }

    QTemporaryDir settingsDir_;
    SoundFontModel model_;
    std::unique_ptr<frmMain> window_;
    std::deque<QString> openAnswers_, saveAnswers_;
    QStringList proposed_;  // by the save and folder dialogs
    std::vector<std::string> messages_;
    std::vector<bool> cursorDuringMessages_;
    std::vector<ExportManySummary> summaries_;
    std::vector<QString> openedFolders_;
    std::vector<int> endStatus_;
};

}  // namespace zelvo::testing
