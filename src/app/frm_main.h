// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain: the main window. Its handlers turn menu, toolbar and tree actions
// into calls of the core and show the results.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include "app/image_list.h"
#include "app/tree_widget_browse_tree.h"
#include "browser/node_details.h"
#include "export/export_error.h"
#include "export/export_many.h"
#include "soundfont/model.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace zelvo {
class RecentFilesMenu;
}

namespace zelvo {

class PreviewPane;
class frmBank;

struct FileDialogRequest {
    QString title;
    QString filter;
    QString fileName;  // proposed; the dialog may show it again
};

struct MessageBoxRequest {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // model is the program's one SoundFont model; the window reads it and
    // has the Open command refill it. Constructing the window loads it.
    explicit frmMain(SoundFontModel& model, QWidget* parent = nullptr);
    ~frmMain() override;

    // The platform's dialogs and boxes; tests put their own in place.
    // An empty name means the dialog was cancelled.
    std::function<QString(const FileDialogRequest&)> AskOpenFileName;
    std::function<QString(const FileDialogRequest&)> AskSaveFileName;
    std::function<void(const MessageBoxRequest&)> ShowMessage;
    // Opens the help file with the desktop's handler; the reason when it cannot.
    std::function<std::optional<QString>(const QString& path)> OpenHelpFile;
    // Asks for a folder to save into; empty when cancelled.
    std::function<QString(const FileDialogRequest&)> AskFolder;
    // Shows the summary of a run of Save All Instruments.
    std::function<void(const ExportManySummary&)> ShowExportSummary;
    // Opens a folder in the desktop's file manager; the reason when it cannot.
    std::function<std::optional<QString>(const QString& path)> OpenFolder;
    // Ends the program at once, without the closing sequence.
    std::function<void(int status)> EndProgram;
    // The program that opens a file as the desktop chooses and says by its
    // status whether one did (xdg-open); empty: Qt's way, which cannot tell.
    QString DesktopOpener;
    // The help-file setting: the installed manual, empty without one.
    QString HelpFile;

    // The status text (status bar panel 1).
    QString StatusText() const;
    // The tree's node of a key; null when there is none.
    QTreeWidgetItem* FindNode(std::string_view key) const { return browseTree_.Find(key); }

    QToolBar* tbToolBar = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QLineEdit* txtTreeFilter = nullptr;  // above the tree: names containing its text
    QTreeWidget* ListView1 = nullptr;
    QStatusBar* sbStatusBar = nullptr;
    std::array<QLabel*, 3> sbPanels{};  // text, date, time
    QProgressBar* ProgressBar1 = nullptr;
    PreviewPane* Preview = nullptr;
    const ImageList imlToolbarIcons;

    QMenu* mnufile = nullptr;
    QAction* mnuFileOpen = nullptr;
    RecentFilesMenu* mnuFileRecent = nullptr;
    QAction* mnuFileBar5 = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuViewToolbar = nullptr;
    QAction* mnuViewStatusBar = nullptr;
    QAction* mnufilebar6 = nullptr;
    QAction* mnuInfoSF = nullptr;
    QAction* mnuBankView = nullptr;
    frmBank* BankView = nullptr;  // made when first shown
    QMenu* mnuElement = nullptr;
    QAction* mnuCopyInstr = nullptr;
    QAction* mnuSaveAllInstr = nullptr;
    QAction* mnuSavePreset = nullptr;
    QAction* mnuShowInFolder = nullptr;
    QAction* mnuConvertSamples = nullptr;  // checked: exports convert to 44.1 kHz
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpBar0 = nullptr;
    QAction* mnuHelpAbout = nullptr;

public Q_SLOTS:
    void mnuFileOpen_Click();
    // Opens path as File > Open does once a file is chosen: from the command
    // line, a drop or File > Recent Files.
    void OpenFile(const QString& path);
    void mnuFileExit_Click();
    // The View items flip their own check mark; these follow it.
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuInfoSF_Click();
    // View > Bank Overview: every instrument in one table, filled off this thread.
    void mnuBankView_Click();
    void mnuCopyInstr_Click();
    // Exports instrument (1-based) once the command has checked the selection.
    void ExportInstrument(int instrument);
    void mnuSaveAllInstr_Click();
    // Saves the instruments (1-based) into a chosen folder as Save All does.
    void SaveInstruments(const QList<int>& instruments);
    // Element > Save Preset as EX5/7 Wave: the selected preset, or a zone's.
    void mnuSavePreset_Click();
    void ExportPreset(int preset);
    void mnuShowInFolder_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    // Runs the handler of the button's key ("Open", "Exit", "InfoSF", "Copy").
    void tbToolBar_ButtonClick(QAction* button);
    void TreeView1_Click();
    // keyCode is the platform-neutral virtual key code of the released key.
    void Treeview1_KeyUp(int keyCode, Qt::KeyboardModifiers shift);

Q_SIGNALS:
    // Every change of the status text, as it happens.
    void StatusTextChanged(const QString& text);
    // A file has loaded and replaced the one before.
    void FileLoaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    void Form_Load();
    void Form_Unload();
    // The save dialog, proposing the file name of proposedPath in the
    // folder last saved to; empty when cancelled.
    std::optional<QString> AskExportFileName(const std::string& proposedPath);
    // Runs write with the progress bar and the status texts; a failure is
    // shown in a message box.
    void WriteWaveFile(const QString& path, const std::function<void(const ExportProgress&)>& write);

    void BuildMenus();
    void BuildToolbar();
    void BuildStatusBar();
    void BuildTreeAndList();
    void SetStatusText(const QString& text);
    void RepaintNow();
    void ShowDetails(const NodeDetails& details);
    void ClearDetails();
    void UpdateDateAndTime();
    void PlaceProgressBar();
    void ShowExportProgress(std::uint64_t written, std::uint64_t total);
    // Reads the file whole; only then does the window change. False when it
    // failed and all stays as it was.
    bool LoadChosenFile(const QString& path);
    void ShowLoadFailure(const QString& message);
    void FillBankView();
    // Help could not open the manual: says why and where the manual is.
    void ShowManualPlace(const QString& reason);
    QTreeWidgetItem* SelectedNode() const;
    void SelectNode(const QString& key);
    // Commands that need a file are off without one; no error box for them.
    void UpdateCommands();
    void SavedTo(const QString& path, bool isFolder);

    SoundFontModel& model_;
    TreeWidgetBrowseTree browseTree_;
    QTimer* clock_ = nullptr;
    std::uint64_t progressScale_ = 1;
    QString lastOpenFileName_;
    QString lastSaveFolder_;  // for Show in folder
    QElapsedTimer typeAhead_;  // since the last character typed in the tree
};

}  // namespace zelvo
