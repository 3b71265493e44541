// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"

#include <algorithm>
#include <climits>
#include <new>
#include <system_error>

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/frm_about.h"
#include "app/frm_bank.h"
#include "app/frm_export_summary.h"
#include "app/soundfont_text.h"
#include "app/frm_info.h"
#include "app/other.h"
#include "app/preview_pane.h"
#include "app/recent_files.h"
#include "app/save_places.h"
#include "app/soundfont_drop.h"
#include "browser/preset_view.h"
#include "export/export_texts.h"
#include "export/write_stuff.h"
#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

// Design geometry in twips, within a client area of 10965 x 6855.
constexpr int kClientWidth = 10965;
constexpr int kClientHeight = 6855;
constexpr int kToolbarHeight = 360;
constexpr int kStatusBarHeight = 270;
constexpr int kTreeLeft = 120;
constexpr int kTreeTop = 600;
constexpr int kTreeWidth = 4815;
constexpr int kTreeHeight = 5775;
constexpr int kListLeft = 4920;
constexpr int kListWidth = 5895;
constexpr int kProgressLeft = 5760;
constexpr int kProgressWidth = 2295;
constexpr int kProgressHeight = 255;
constexpr int kDateTimeMinWidth = 2540;
// The preview pane needs more room than the design size gives.
constexpr QSize kPreviewWindowSize(1200, 800);

const QString kReady = QStringLiteral("Ready");
const char* const kSelectPresetMessage = "Select preset";
const char* const kNoPresetSelectedTitle = "No Preset Selected";

// File and folder names are kept as the file system spells them.
QString FromFileSystem(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}
std::string ToFileSystem(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

// The virtual key codes the tree's key handler is written against.
int VirtualKeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        case Qt::Key_Select: return 41;
        default: break;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 65 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 48 + (qtKey - Qt::Key_0);
    return 0;
}

bool RebuildsDetails(int keyCode) {
    return keyCode == 33 || keyCode == 34 || (keyCode >= 36 && keyCode <= 41) ||
           (keyCode >= 65 && keyCode <= 90);
}

Qt::Alignment CellAlignment(Alignment alignment) {
    return (alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

std::optional<QString> OpenWithDesktop(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return path + QStringLiteral(": ") +
               QString::fromStdString(
                   std::make_error_code(std::errc::no_such_file_or_directory).message());
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        return QStringLiteral("No program of this desktop can open %1").arg(path);
    }
    return std::nullopt;
}

// Runs opener (xdg-open) on path; its status tells whether a program took
// the file, which Qt's own way does not wait for.
void OpenWatched(QObject* owner, const QString& opener, const QString& path,
                 const std::function<void(const QString&)>& failed) {
    if (!QFileInfo::exists(path)) {
        failed(*OpenWithDesktop(path));
        return;
    }
    auto* process = new QProcess(owner);
    const QString reason = QStringLiteral("No program of this desktop can open %1").arg(path);
    QObject::connect(process, &QProcess::finished, owner, [process, reason, failed](int status, QProcess::ExitStatus how) {
        process->deleteLater();
        if (status != 0 || how != QProcess::NormalExit) failed(reason);
    });
    QObject::connect(process, &QProcess::errorOccurred, owner, [process, reason, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        process->deleteLater();
        failed(reason);
    });
    process->start(opener, {path});
}

}  // namespace

frmMain::frmMain(SoundFontModel& model, QWidget* parent)
    : QMainWindow(parent),
      TreeView1(new QTreeWidget(this)),
      imlToolbarIcons(ImageList::ToolbarIcons()),
      model_(model),
      browseTree_(*TreeView1, imlToolbarIcons) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(AppIcon());

    AskOpenFileName = [this](const FileDialogRequest& r) {
        return QFileDialog::getOpenFileName(this, r.title, r.fileName, r.filter);
    };
    AskSaveFileName = [this](const FileDialogRequest& r) {
        return QFileDialog::getSaveFileName(this, r.title, r.fileName, r.filter);
    };
    ShowMessage = [this](const MessageBoxRequest& r) {
        QMessageBox box(r.icon, r.title, r.text, QMessageBox::Ok, this);
        box.exec();
    };
    DesktopOpener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    OpenHelpFile = [this](const QString& path) {
        if (DesktopOpener.isEmpty()) return OpenWithDesktop(path);
        OpenWatched(this, DesktopOpener, path, [this](const QString& reason) { ShowManualPlace(reason); });
        return std::optional<QString>();
    };
    OpenFolder = OpenWithDesktop;
    AskFolder = [this](const FileDialogRequest& r) {
        return QFileDialog::getExistingDirectory(this, r.title, r.fileName);
    };
    ShowExportSummary = [this](const ExportManySummary& summary) {
        frmExportSummary box(summary, this);
        connect(&box, &frmExportSummary::ShowFolderRequested, this, &frmMain::mnuShowInFolder_Click);
        box.exec();
    };
    EndProgram = [](int status) { QCoreApplication::exit(status); };
    HelpFile = ManualFile();
    new SoundFontDrop(*this, [this](const QString& path) { OpenFile(path); });

    BuildMenus();
    BuildToolbar();
    BuildTreeAndList();
    BuildStatusBar();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::BuildMenus() {
    const auto item = [this](QMenu* menu, const char* caption, auto handler, int image = 0) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        if (image != 0) action->setIcon(imlToolbarIcons.Image(image));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    mnufile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileOpen = item(mnufile, "&Open...", &frmMain::mnuFileOpen_Click, kImageOpen);
    mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileRecent = new RecentFilesMenu(this);
    mnufile->addMenu(mnuFileRecent);
    mnuFileRecent->Fill();
    connect(mnufile, &QMenu::aboutToShow, mnuFileRecent, &RecentFilesMenu::Fill);
    connect(mnuFileRecent, &RecentFilesMenu::FileChosen, this, &frmMain::OpenFile);
    mnuFileBar5 = mnufile->addSeparator();
    mnuFileExit = item(mnufile, "E&xit", &frmMain::mnuFileExit_Click, kImageExit);

    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuViewToolbar = item(mnuView, "&Toolbar", &frmMain::mnuViewToolbar_Click);
    mnuViewToolbar->setCheckable(true);
    mnuViewToolbar->setChecked(true);
    mnuViewStatusBar = item(mnuView, "Status &Bar", &frmMain::mnuViewStatusBar_Click);
    mnuViewStatusBar->setCheckable(true);
    mnuViewStatusBar->setChecked(true);
    mnufilebar6 = mnuView->addSeparator();
    mnuInfoSF = item(mnuView, "&SoundFont File Info", &frmMain::mnuInfoSF_Click, kImageInfo);
    mnuBankView = item(mnuView, "&Bank Overview", &frmMain::mnuBankView_Click);
    mnuBankView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));

    mnuElement = menuBar()->addMenu(QStringLiteral("&Element"));
    mnuCopyInstr = item(mnuElement, "Save &Instrument as EX5/7 Wave", &frmMain::mnuCopyInstr_Click,
                        kImageSaveWave);
    mnuCopyInstr->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuSavePreset = item(mnuElement, "Save &Preset as EX5/7 Wave", &frmMain::mnuSavePreset_Click,
                         kImageSaveWave);
    mnuSavePreset->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    mnuSaveAllInstr = item(mnuElement, "Save &All Instruments as EX5/7 Waves...",
                           &frmMain::mnuSaveAllInstr_Click);
    mnuSaveAllInstr->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    mnuElement->addSeparator();
    mnuShowInFolder = item(mnuElement, "Show in folder", &frmMain::mnuShowInFolder_Click, kImageOpen);
    mnuShowInFolder->setEnabled(false);
    mnuConvertSamples = mnuElement->addAction(QStringLiteral("Convert samples to 44.1 kHz"));
    mnuConvertSamples->setCheckable(true);
    const QString convertKey = QStringLiteral("Settings/ConvertSamples");
    const QString app = QString::fromLatin1(kAppTitle);
    mnuConvertSamples->setChecked(QSettings(app, app).value(convertKey, true).toBool());
    connect(mnuConvertSamples, &QAction::toggled, this,
            [app, convertKey](bool on) { QSettings(app, app).setValue(convertKey, on); });

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpContents = item(mnuHelp, "&Contents", &frmMain::mnuHelpContents_Click, kImageHelp);
    mnuHelpBar0 = mnuHelp->addSeparator();
    mnuHelpAbout = item(mnuHelp, "&About ", &frmMain::mnuHelpAbout_Click, kImageAbout);
}

void frmMain::BuildToolbar() {
    tbToolBar = addToolBar(QStringLiteral("Toolbar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(16, 16));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const auto button = [this](const char* key, const char* tooltip, int image) {
        QAction* action =
            tbToolBar->addAction(imlToolbarIcons.Image(image), QString::fromLatin1(tooltip));
        action->setData(QString::fromLatin1(key));
        action->setToolTip(QString::fromLatin1(tooltip));
    };
    button("Open", "Open SoundFont File", kImageOpen);
    button("InfoSF", "SoundFont File Info", kImageInfo);
    button("Copy", "Save Instrument as EX5/7 Wave", kImageSaveWave);
    tbToolBar->addSeparator();
    button("Exit", "Exit Program", kImageExit);
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmMain::tbToolBar_ButtonClick);
}

void frmMain::BuildTreeAndList() {
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setUniformRowHeights(true);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->installEventFilter(this);
    connect(TreeView1, &QTreeWidget::itemClicked, this, &frmMain::TreeView1_Click);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAlternatingRowColors(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    ClearDetails();

    txtTreeFilter = new QLineEdit;
    txtTreeFilter->setObjectName(QStringLiteral("txtTreeFilter"));
    txtTreeFilter->setPlaceholderText(QStringLiteral("Filter by name"));
    txtTreeFilter->setClearButtonEnabled(true);
    connect(txtTreeFilter, &QLineEdit::textChanged, this, [this](const QString& text) { browseTree_.Filter(text); });
    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(txtTreeFilter);
    leftLayout->addWidget(TreeView1);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(left);
    // The preview pane below the detail list, sized by the user.
    Preview = new PreviewPane(model_);
    auto* right = new QSplitter(Qt::Vertical);
    right->setChildrenCollapsible(false);
    right->addWidget(ListView1);
    right->addWidget(Preview);
    right->setStretchFactor(1, 1);
    right->setSizes({140, 560});
    splitter->addWidget(right);
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this,
            [this] { Preview->ShowNode(TreeWidgetBrowseTree::KeyOf(SelectedNode())); });
    connect(Preview, &PreviewPane::NodeChosen, this, &frmMain::SelectNode);
    Preview->SetConvertSamples(mnuConvertSamples->isChecked());
    connect(mnuConvertSamples, &QAction::toggled, this, [this](bool on) {
        Preview->SetConvertSamples(on);
        Preview->ShowNode(TreeWidgetBrowseTree::KeyOf(SelectedNode()));
    });
    connect(TreeView1, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const std::optional<std::string> key = TreeWidgetBrowseTree::KeyOf(item);
        if (const auto linked = LinkedNodeKey(model_, key.value_or(""))) SelectNode(QString::fromStdString(*linked));
    });
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    const int gap = TwipsToPixels(kListLeft - kTreeLeft - kTreeWidth);
    splitter->setHandleWidth(std::max(gap, 4));
    splitter->setSizes({TwipsToPixels(kTreeWidth) - 2, TwipsToPixels(kListWidth) - 2});

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    const int listRight = kClientWidth - kListLeft - kListWidth;
    const int treeBottom = kClientHeight - kStatusBarHeight - kTreeTop - kTreeHeight;
    layout->setContentsMargins(TwipsToPixels(kTreeLeft), TwipsToPixels(kTreeTop - kToolbarHeight),
                               TwipsToPixels(listRight), TwipsToPixels(treeBottom));
    layout->addWidget(splitter);
    setCentralWidget(central);
}

void frmMain::BuildStatusBar() {
    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    for (QLabel*& panel : sbPanels) {
        panel = new QLabel(sbStatusBar);
        panel->setContentsMargins(4, 0, 4, 0);
    }
    sbStatusBar->addWidget(sbPanels[0], 1);
    for (QLabel* panel : {sbPanels[1], sbPanels[2]}) {
        panel->setMinimumWidth(TwipsToPixels(kDateTimeMinWidth));
        panel->setAlignment(Qt::AlignCenter);
        sbStatusBar->addPermanentWidget(panel);
    }
    clock_ = new QTimer(this);
    connect(clock_, &QTimer::timeout, this, &frmMain::UpdateDateAndTime);
    clock_->start(1000);
    UpdateDateAndTime();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
}

void frmMain::Form_Load() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize design(TwipsToPixels(kClientWidth),
                       TwipsToPixels(kClientHeight) + menuBar()->sizeHint().height());
    resize(design.expandedTo(kPreviewWindowSize).boundedTo(screen.size() * 0.95));
    move(screen.x() + (screen.width() - width()) / 2,
         screen.y() + (screen.height() - height()) / 2);
    model_.FileName.clear();
    ProgressBar1->hide();
    PlaceProgressBar();
    SetStatusText(kReady);
    UpdateCommands();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible()) window->close();
    }
    if (isMinimized()) return;
    const QRect frame = frameGeometry();
    QSettings settings(QString::fromLatin1(kAppTitle), QString::fromLatin1(kAppTitle));
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QStringLiteral("MainLeft"), SingleText(PixelsToTwips(frame.x())));
    settings.setValue(QStringLiteral("MainTop"), SingleText(PixelsToTwips(frame.y())));
    settings.setValue(QStringLiteral("MainWidth"), SingleText(PixelsToTwips(frame.width())));
    settings.setValue(QStringLiteral("MainHeight"), SingleText(PixelsToTwips(frame.height())));
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    PlaceProgressBar();
}

QMenu* frmMain::createPopupMenu() {
    // The View menu alone shows and hides the toolbar, so its check mark
    // always tells the truth.
    return nullptr;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView1 && event->type() == QEvent::KeyPress) {
        // Space plays, unless it goes on with a name being typed ("Sine Wave A1").
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool typing = typeAhead_.isValid() && typeAhead_.elapsed() < QApplication::keyboardInputInterval();
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && !typing) {
            Preview->TogglePlay();
            return true;
        }
        if (!key->text().isEmpty() && key->text().front().isPrint()) typeAhead_.start();
    }
    if (watched == TreeView1 && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        Treeview1_KeyUp(VirtualKeyCode(key->key()), key->modifiers());
    }
    return QMainWindow::eventFilter(watched, event);
}

QString frmMain::StatusText() const {
    return sbPanels[0]->text();
}

void frmMain::SetStatusText(const QString& text) {
    sbPanels[0]->setText(text);
    Q_EMIT StatusTextChanged(text);
}

// A dialog that has just closed leaves its area to be exposed; taking in the
// window system's pending events, but no user input, lets the repaint cover it.
void frmMain::RepaintNow() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void frmMain::UpdateDateAndTime() {
    const QLocale locale;
    sbPanels[1]->setText(locale.toString(QDate::currentDate(), QLocale::ShortFormat));
    sbPanels[2]->setText(locale.toString(QTime::currentTime(), QLocale::ShortFormat));
}

void frmMain::PlaceProgressBar() {
    const int barHeight = TwipsToPixels(kProgressHeight);
    const int top = sbStatusBar->isVisibleTo(this)
                        ? sbStatusBar->geometry().center().y() - barHeight / 2
                        : height() - barHeight;
    ProgressBar1->setGeometry(TwipsToPixels(kProgressLeft), top, TwipsToPixels(kProgressWidth),
                              barHeight);
    ProgressBar1->raise();
}

// --- File > Open ---

void frmMain::mnuFileOpen_Click() {
    SetStatusText(QStringLiteral("Open SoundFont File"));
    ClearDetails();
    const QString path =
        AskOpenFileName({QStringLiteral("Open SoundFont File"),
                         QStringLiteral("SoundFont Files (*.sf2 *.sf3)"), lastOpenFileName_});
    if (path.isEmpty()) {
        SetStatusText(kReady);
        return;
    }
    OpenFile(path);
}

void frmMain::OpenFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    lastOpenFileName_ = absolute;
    if (LoadChosenFile(absolute)) RememberRecentFile(absolute);
}

bool frmMain::LoadChosenFile(const QString& path) {
    BusyPointer busy;
    SetStatusText(QStringLiteral("Processing..."));
    RepaintNow();
    // Read beside the bank shown, which stays until the new one has loaded.
    SoundFontModel loaded;
    MemoryTree tree;
    try {
        OpenSoundFont(loaded, ToFileSystem(path), tree);
    } catch (const ChunkIdError&) {
        busy.Release();
        ShowMessage({QString::fromLatin1(kChunkIdMessage), QString::fromLatin1(kAppTitle)});
        EndProgram(1);
        return false;
    } catch (const SoundFontError& e) {
        busy.Release();
        ShowLoadFailure(QString::fromStdString(DescribeError(e)));
        return false;
    } catch (const FileAccessError& e) {
        busy.Release();
        ShowLoadFailure(QStringLiteral("cannot open ") + QFile::decodeName(e.what()));
        return false;
    } catch (const std::bad_alloc&) {
        busy.Release();
        ShowLoadFailure(QStringLiteral("not enough memory to load ") + path);
        return false;
    }
    Preview->StopWork();  // its threads read the model that is replaced
    ClearDetails();
    model_ = std::move(loaded);
    tree.Replay(browseTree_);
    browseTree_.Filter(txtTreeFilter->text());
    browseTree_.Flush();
    SetStatusText(FromSoundFontText(LoadedText(model_)));
    setWindowTitle(QString::fromLatin1(kAppTitle) + QStringLiteral(" - ") +
                   FromFileSystem(model_.FileName));
    RepaintNow();
    busy.Release();
    SetStatusText(FromSoundFontText(CountText(model_)));
    UpdateCommands();
    RepaintNow();
    Q_EMIT FileLoaded();
    return true;
}

// The bank, the tree, its selection and the preview stay as they were.
void frmMain::ShowLoadFailure(const QString& message) {
    SetStatusText(model_.FileName.empty() ? kReady : FromSoundFontText(CountText(model_)));
    if (SelectedNode()) TreeView1_Click();
    ShowMessage({message, QString::fromLatin1(kAppTitle), QMessageBox::Critical});
}

// --- The tree and the detail list ---

QTreeWidgetItem* frmMain::SelectedNode() const {
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void frmMain::TreeView1_Click() {
    ClearDetails();
    const std::optional<std::string> key = TreeWidgetBrowseTree::KeyOf(SelectedNode());
    ShowDetails(BuildNodeDetails(key, model_));
}

void frmMain::Treeview1_KeyUp(int keyCode, Qt::KeyboardModifiers) {
    if (RebuildsDetails(keyCode)) TreeView1_Click();
}

void frmMain::ClearDetails() {
    ListView1->clear();
    ListView1->setColumnCount(0);
}

void frmMain::ShowDetails(const NodeDetails& details) {
    const int columns = static_cast<int>(details.columns.size());
    ListView1->setColumnCount(columns);
    QTreeWidgetItem* header = ListView1->headerItem();
    for (int c = 0; c < columns; ++c) {
        const DetailColumn& column = details.columns[static_cast<std::size_t>(c)];
        header->setText(c, FromSoundFontText(column.title));
        header->setTextAlignment(c, CellAlignment(column.alignment));
    }
    for (const DetailRow& row : details.rows) {
        auto item = std::make_unique<QTreeWidgetItem>();
        const int cells = std::min(columns, static_cast<int>(row.cells.size()));
        for (int c = 0; c < cells; ++c) {
            item->setText(c, FromSoundFontText(row.cells[static_cast<std::size_t>(c)]));
            item->setTextAlignment(
                c, CellAlignment(details.columns[static_cast<std::size_t>(c)].alignment));
        }
        ListView1->addTopLevelItem(item.release());
    }
    // The designed widths, but never narrower than a title or a cell: fonts
    // differ from one desktop to the next and texts must not be cut.
    for (int c = 0; c < columns; ++c) {
        ListView1->resizeColumnToContents(c);
        const int designed = TwipsToPixels(details.columns[static_cast<std::size_t>(c)].width);
        ListView1->setColumnWidth(c, std::max(designed, ListView1->columnWidth(c)));
    }
}

// --- Element > Save Instrument as EX5/7 Wave ---

void frmMain::mnuCopyInstr_Click() {
    const QString error = QString::fromLatin1(kErrorTitle);
    if (model_.FileName.empty()) {
        ShowMessage({QString::fromLatin1(kNoSoundFontMessage), error, QMessageBox::Critical});
        return;
    }
    QTreeWidgetItem* node = SelectedNode();
    // A zone saves the instrument it belongs to.
    if (node && node->parent() && ParseKey(TreeWidgetBrowseTree::KeyOf(node).value_or("")).prefix == kInstZonePrefix) {
        node = node->parent();
    }
    const ParsedKey parsed = ParseKey(TreeWidgetBrowseTree::KeyOf(node).value_or(""));
    if (parsed.prefix != kInstrumentsKey || !parsed.number) {
        ShowMessage({QString::fromLatin1(kSelectInstrumentMessage),
                     QString::fromLatin1(kNoInstrumentSelectedTitle), QMessageBox::Warning});
        return;
    }
    if (node->childCount() == 0) {
        ShowMessage({QString::fromLatin1(kNoSamplesMessage), error, QMessageBox::Critical});
        return;
    }
    ExportInstrument(*parsed.number);
}

void frmMain::ExportInstrument(int instrument) {
    const QTreeWidgetItem* node = browseTree_.Find(NodeKey(kInstrumentsKey, instrument));
    if (!node || node->childCount() == 0) {
        ShowMessage({QString::fromLatin1(kNoSamplesFoundMessage), QString::fromLatin1(kErrorTitle),
                     QMessageBox::Critical});
        return;
    }
    const std::optional<QString> path = AskExportFileName(ProposedExportPath(model_, instrument));
    if (!path) return;
    const ExportOptions options{.convertSamples = mnuConvertSamples->isChecked()};
    WriteWaveFile(*path, [&](const ExportProgress& progress) {
        ExportInstrumentToWave(model_, instrument, model_.FileFolder + model_.FileName, ToFileSystem(*path),
                               progress, options);
    });
}

std::optional<QString> frmMain::AskExportFileName(const std::string& proposedPath) {
    // The file name of the one rule, in the folder last saved to.
    const QString proposed =
        LastSaveFolder() + QLatin1Char('/') + QFileInfo(FromFileSystem(proposedPath)).fileName();
    const QString chosen = AskSaveFileName({QString::fromLatin1(kSaveDialogTitle),
                                            QString::fromLatin1(kSaveDialogFilter), proposed});
    if (chosen.isEmpty()) return std::nullopt;
    SetStatusText(QString::fromStdString(SavingText(chosen.toStdString())));
    RepaintNow();
    return chosen;
}

void frmMain::WriteWaveFile(const QString& path, const std::function<void(const ExportProgress&)>& write) {
    BusyPointer busy;
    try {
        write([this](std::uint64_t written, std::uint64_t total) { ShowExportProgress(written, total); });
    } catch (const std::exception& e) {
        ProgressBar1->hide();
        busy.Release();
        SetStatusText(kReady);
        ShowMessage({QString::fromStdString(e.what()), QString::fromLatin1(kErrorTitle),
                     QMessageBox::Critical});
        return;
    }
    ProgressBar1->hide();
    SetStatusText(QString::fromStdString(SavedText(path.toStdString())));
    SavedTo(path, false);
}

// The bar counts bytes; files past the range of its int are shown in steps.
void frmMain::ShowExportProgress(std::uint64_t written, std::uint64_t total) {
    const std::uint64_t maximum = total + 1;
    progressScale_ = maximum / INT_MAX + 1;
    const int steps = static_cast<int>(maximum / progressScale_);
    if (ProgressBar1->maximum() != steps) ProgressBar1->setRange(0, steps);
    if (ProgressBar1->isHidden()) {
        ProgressBar1->show();
        ProgressBar1->repaint();
    }
    // setValue repaints at once when the bar's drawing changes.
    ProgressBar1->setValue(static_cast<int>(std::min(written, total) / progressScale_));
}

// --- Element > Save Preset as EX5/7 Wave ---

void frmMain::mnuSavePreset_Click() {
    if (model_.FileName.empty()) {
        ShowMessage({QString::fromLatin1(kNoSoundFontMessage), QString::fromLatin1(kErrorTitle),
                     QMessageBox::Critical});
        return;
    }
    const ParsedKey parsed = ParseKey(TreeWidgetBrowseTree::KeyOf(SelectedNode()).value_or(""));
    std::optional<int> preset;
    if (parsed.prefix == kPresetsKey && parsed.number) preset = parsed.number;
    if (parsed.prefix == kPresetZonePrefix && parsed.number) preset = PresetOfZone(model_, *parsed.number);
    if (!preset || *preset < 1 || *preset > model_.PresetCount) {
        ShowMessage({QString::fromLatin1(kSelectPresetMessage), QString::fromLatin1(kNoPresetSelectedTitle),
                     QMessageBox::Warning});
        return;
    }
    ExportPreset(*preset);
}

void frmMain::ExportPreset(int preset) {
    const std::optional<QString> path = AskExportFileName(ProposedPresetExportPath(model_, preset));
    if (!path) return;
    WriteWaveFile(*path, [&](const ExportProgress& progress) {
        ExportPresetToWave(model_, preset, model_.FileFolder + model_.FileName, ToFileSystem(*path), progress);
    });
}

// --- Element > Save All Instruments as EX5/7 Waves... ---

void frmMain::mnuSaveAllInstr_Click() {
    SaveInstruments({});
}

void frmMain::SaveInstruments(const QList<int>& instruments) {
    if (model_.FileName.empty()) return;
    const QString folder = AskFolder({QStringLiteral("Save All Instruments as EX5/7 Waves"), {}, LastSaveFolder()});
    if (folder.isEmpty()) return;
    SetStatusText(QString::fromStdString(SavingText(folder.toStdString())));
    const ExportManySummary summary =
        ExportManyWithProgress(this, model_, model_.FileFolder + model_.FileName, ToFileSystem(folder),
                               {.convertSamples = mnuConvertSamples->isChecked()},
                               std::vector<int>(instruments.begin(), instruments.end()));
    SetStatusText(QString::fromStdString(summary.Headline()));
    if (!summary.written.empty()) SavedTo(folder, true);
    ShowExportSummary(summary);
}

void frmMain::SavedTo(const QString& path, bool isFolder) {
    RememberSaveFolder(path, isFolder);
    lastSaveFolder_ = isFolder ? path : QFileInfo(path).absolutePath();
    mnuShowInFolder->setEnabled(true);
}

void frmMain::mnuShowInFolder_Click() {
    if (lastSaveFolder_.isEmpty()) return;
    if (const std::optional<QString> reason = OpenFolder(lastSaveFolder_)) {
        ShowMessage({*reason, QString::fromLatin1(kAppTitle), QMessageBox::Warning});
    }
}

void frmMain::UpdateCommands() {
    const bool loaded = !model_.FileName.empty();
    mnuCopyInstr->setEnabled(loaded);
    mnuSaveAllInstr->setEnabled(loaded);
    mnuSavePreset->setEnabled(loaded);
    for (QAction* button : tbToolBar->actions()) {
        if (button->data().toString() == QLatin1String("Copy")) button->setEnabled(loaded);
    }
    Preview->ShowNode(TreeWidgetBrowseTree::KeyOf(SelectedNode()));
}

void frmMain::SelectNode(const QString& key) {
    QTreeWidgetItem* item = browseTree_.Find(key.toStdString());
    if (!item) return;
    TreeView1->setCurrentItem(item);
    TreeView1->scrollToItem(item);
    TreeView1_Click();
}

// --- View, Help, Exit and the toolbar ---

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::mnuViewToolbar_Click() {
    tbToolBar->setVisible(mnuViewToolbar->isChecked());
}

void frmMain::mnuViewStatusBar_Click() {
    sbStatusBar->setVisible(mnuViewStatusBar->isChecked());
    PlaceProgressBar();
}

void frmMain::mnuInfoSF_Click() {
    frmInfo info(model_, this);
    info.exec();
}

void frmMain::mnuBankView_Click() {
    if (!BankView) {
        BankView = new frmBank(this);
        connect(BankView, &frmBank::InstrumentChosen, this,
                [this](int instrument) { SelectNode(QString::fromStdString(NodeKey(kInstrumentsKey, instrument))); });
        connect(BankView, &frmBank::SaveRequested, this, &frmMain::SaveInstruments);
        connect(this, &frmMain::FileLoaded, this, &frmMain::FillBankView);
        connect(mnuConvertSamples, &QAction::toggled, this, &frmMain::FillBankView);
        FillBankView();
    }
    BankView->show();
    BankView->raise();
    BankView->activateWindow();
}

// A copy of the model, so that the rows' work never meets the next load.
void frmMain::FillBankView() {
    BankView->Fill(std::make_shared<const SoundFontModel>(model_), model_.FileFolder + model_.FileName,
                   mnuConvertSamples->isChecked());
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout about(this);
    about.exec();
}

void frmMain::mnuHelpContents_Click() {
    if (HelpFile.isEmpty()) {
        ShowMessage(
            {QStringLiteral(
                 "Unable to display Help Contents. There is no Help associated with this project."),
             windowTitle(), QMessageBox::Information});
        return;
    }
    if (const std::optional<QString> reason = OpenHelpFile(HelpFile)) ShowManualPlace(*reason);
}

void frmMain::ShowManualPlace(const QString& reason) {
    ShowMessage({reason + QStringLiteral("\n\nThe manual is the file %1; open it in a web browser.").arg(HelpFile),
                 QString::fromLatin1(kAppTitle), QMessageBox::Information});
}

void frmMain::tbToolBar_ButtonClick(QAction* button) {
    const QString key = button ? button->data().toString() : QString();
    if (key == QLatin1String("Open")) {
        mnuFileOpen_Click();
    } else if (key == QLatin1String("Exit")) {
        mnuFileExit_Click();
    } else if (key == QLatin1String("InfoSF")) {
        mnuInfoSF_Click();
    } else if (key == QLatin1String("Copy")) {
        mnuCopyInstr_Click();
    }
}

}  // namespace zelvo
