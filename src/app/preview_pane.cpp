#include "app/preview_pane.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/audition_player.h"
#include "app/conversion_report_widget.h"
#include "app/key_map_widget.h"
#include "app/seam_widget.h"
#include "app/waveform_widget.h"
#include "browser/instrument_view.h"
#include "browser/preset_view.h"
#include "browser/text_encoding.h"
#include "export/conversion_report.h"
#include "export/output_size.h"
#include "export/sample_source.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

enum Page { kHintPage, kInstrumentPage, kSamplePage, kPresetPage };

const QString kSeparator = QStringLiteral("   \u00B7   ");

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QString Name(const std::string& field) {
    return Text(SoundFontTextToUtf8(DisplayText(field)));
}

QTreeWidget* MakeTable(const QStringList& titles) {
    auto* table = new QTreeWidget;
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setAlternatingRowColors(true);
    table->setAllColumnsShowFocus(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setHeaderLabels(titles);
    table->header()->setStretchLastSection(true);
    table->header()->setSectionsMovable(false);
    return table;
}

void FitColumns(QTreeWidget* table) {
    for (int c = 0; c < table->columnCount(); ++c) table->resizeColumnToContents(c);
}

AuditionVoice VoiceOf(const InstZone& zone, int rootKey) {
    return {.rootKey = rootKey,
            .tuneCents = zone.coarseTune * 100.0 + zone.fineTune,
            .loops = LoopsWhileHeld(zone.sampleModes)};
}

}  // namespace

PreviewPane::PreviewPane(const SoundFontModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("previewPane"));
    LoadSample = [this](int sampleNdx) {
        return ReadConvertedSampleSound(model_, sampleNdx, model_.FileFolder + model_.FileName);
    };
    lblTitle = new QLabel;
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.1);
    lblTitle->setFont(bold);
    lblTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFacts = new QLabel;
    lblFacts->setObjectName(QStringLiteral("lblFacts"));
    lblFacts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long facts are cut at the pane's edge rather than widen the window.
    lblFacts->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdPlay = new QPushButton(QStringLiteral("Play"));
    cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
    cmdPlay->setMinimumWidth(88);
    connect(cmdPlay, &QPushButton::clicked, this, &PreviewPane::TogglePlay);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(lblTitle);
    titles->addWidget(lblFacts);
    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addLayout(titles, 1);
    header->addWidget(cmdPlay, 0, Qt::AlignVCenter);

    lblHint = new QLabel;
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setAlignment(Qt::AlignCenter);
    QFont hint = lblHint->font();
    hint.setPointSizeF(hint.pointSizeF() * 1.25);
    lblHint->setFont(hint);
    lblHint->setForegroundRole(QPalette::PlaceholderText);
    pages = new QStackedWidget;
    pages->addWidget(lblHint);
    pages->addWidget(BuildInstrumentPage());
    pages->addWidget(BuildSamplePage());
    pages->addWidget(BuildPresetPage());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(6);
    layout->addLayout(header);
    layout->addWidget(pages, 1);

    UseAudioOutput(AuditionPlayer::DefaultOutput());
    ShowNode(std::nullopt);
}

PreviewPane::~PreviewPane() = default;

QWidget* PreviewPane::BuildInstrumentPage() {
    keyMap = new KeyMapWidget;
    connect(keyMap, &KeyMapWidget::ZoneClicked, this, [this](std::size_t i) {
        Q_EMIT NodeChosen(Text(NodeKey(kInstZonePrefix, keyMap->Zones().at(i).bag)));
    });
    connect(keyMap, &KeyMapWidget::KeyPressed, this, &PreviewPane::PlayKey);
    connect(keyMap, &KeyMapWidget::KeyReleased, this, [this] { player_->Stop(); });
    QStringList titles;
    for (const char* title : kZoneTableTitles) titles << QString::fromLatin1(title);
    zoneTable = MakeTable(titles);
    zoneTable->setObjectName(QStringLiteral("zoneTable"));
    connect(zoneTable, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        Q_EMIT NodeChosen(item->data(0, Qt::UserRole).toString());
    });
    conversionReport = new ConversionReportWidget;
    reportNotes = new QListWidget;
    reportNotes->setObjectName(QStringLiteral("reportNotes"));
    reportNotes->setWordWrap(true);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* upper = new QHBoxLayout;
    upper->addWidget(keyMap, 1);
    upper->addWidget(conversionReport);
    layout->addLayout(upper, 1);
    layout->addWidget(zoneTable, 1);
    layout->addWidget(reportNotes);
    return page;
}

QWidget* PreviewPane::BuildSamplePage() {
    waveform = new WaveformWidget;
    seam = new SeamWidget;
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(waveform, 3);
    layout->addWidget(seam, 1);
    return page;
}

QWidget* PreviewPane::BuildPresetPage() {
    layerMap = new KeyMapWidget;
    layerMap->setObjectName(QStringLiteral("layerMap"));
    presetLayers = MakeTable({QStringLiteral("Instrument"), QStringLiteral("Keys"),
                              QStringLiteral("Velocity")});
    presetLayers->setObjectName(QStringLiteral("presetLayers"));
    // itemActivated: a double click, or Return on the current row.
    connect(presetLayers, &QTreeWidget::itemActivated, this, &PreviewPane::ChooseLayer);
    connect(layerMap, &KeyMapWidget::ZoneClicked, this, [this](std::size_t i) {
        presetLayers->setCurrentItem(presetLayers->topLevelItem(static_cast<int>(i)));
        ChooseLayer();
    });
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(layerMap, 3);
    layout->addWidget(presetLayers, 2);
    return page;
}

void PreviewPane::UseAudioOutput(const QAudioDevice& device) {
    if (player_) player_->Stop();
    player_ = std::make_unique<AuditionPlayer>(device);
    connect(player_.get(), &AuditionPlayer::Stopped, this, &PreviewPane::UpdatePlayButton);
    UpdatePlayButton();
}

void PreviewPane::ShowNode(const std::optional<std::string>& key) {
    player_->Stop();
    playable_.reset();
    instrument_ = 0;
    lblFacts->clear();
    const ParsedKey parsed = ParseKey(key.value_or(""));
    if (model_.FileName.empty()) {
        ShowHint(QString::fromLatin1(kOpenHint));
    } else if (parsed.prefix == kInstrumentsKey && parsed.number) {
        ShowInstrument(*parsed.number);
    } else if (parsed.prefix == kSamplesKey && parsed.number) {
        ShowSample(*parsed.number);
    } else if (parsed.prefix == kInstZonePrefix && parsed.number) {
        ShowZone(*parsed.number);
    } else if (parsed.prefix == kPresetsKey && parsed.number) {
        ShowPreset(*parsed.number);
    } else if (parsed.prefix == kPresetZonePrefix && parsed.number) {
        const std::optional<int> preset = PresetOfZone(model_, *parsed.number);
        if (preset) ShowPreset(*preset);
        for (int r = 0; preset && r < presetLayers->topLevelItemCount(); ++r) {
            QTreeWidgetItem* row = presetLayers->topLevelItem(r);
            if (row->data(0, Qt::UserRole + 1).toInt() == *parsed.number) presetLayers->setCurrentItem(row);
        }
        if (!preset) ShowHint({});
    } else {
        ShowHint(QStringLiteral("Select a preset, an instrument or a sample to see it here"));
    }
    UpdatePlayButton();
}

void PreviewPane::ShowHint(const QString& hint) {
    lblTitle->clear();
    lblHint->setText(hint);
    pages->setCurrentIndex(kHintPage);
}

void PreviewPane::ShowInstrument(int instrument) {
    if (instrument < 1 || instrument > model_.InstCount) return ShowHint({});
    instrument_ = instrument;
    lblTitle->setText(QStringLiteral("Instrument %1: %2")
                          .arg(instrument)
                          .arg(Name(model_.InstHeaders[static_cast<std::size_t>(instrument)].achInstName)));
    std::vector<KeyMapZone> zones = BuildKeyMap(model_, instrument);
    lblFacts->setText(zones.size() == 1 ? QStringLiteral("1 zone")
                                        : QStringLiteral("%1 zones").arg(zones.size()));
    keyMap->SetZones(std::move(zones), QStringLiteral("Sample"));
    zoneTable->clear();
    QList<QTreeWidgetItem*> items;
    for (const ZoneTableRow& row : BuildZoneTable(model_, instrument)) {
        auto* item = new QTreeWidgetItem(QStringList{Text(row.sample), Text(row.keys), Text(row.velocities),
                                                     Text(row.root), Text(row.tune), Text(row.pan),
                                                     Text(row.loop), Text(row.rate), Text(row.length),
                                                     Text(row.side)});
        for (const int c : {2, 4, 5, 7, 8}) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, Qt::UserRole, Text(NodeKey(kInstZonePrefix, row.bag)));
        items.append(item);
    }
    zoneTable->addTopLevelItems(items);
    FitColumns(zoneTable);
    ShowReport(instrument);
    pages->setCurrentIndex(kInstrumentPage);
}

// The size against the wave memories, then what the export changes,
// warnings first with a warning sign: both from one report.
void PreviewPane::ShowReport(int instrument) {
    reportNotes->clear();
    std::vector<ReportNote> notes;
    OutputSizeReport size;
    try {
        // Without the resampling that only counts clipped points: selecting stays quick.
        const InstrumentReport report =
            ReportInstrumentExport(model_, instrument, model_.FileFolder + model_.FileName, {}, false);
        size = {report.output, report.refusal};
        notes = ReportNotes(report);
    } catch (const ExportError& e) {
        size.refusal = e.what();
        notes.push_back({true, e.what()});
    }
    conversionReport->SetReport(size);
    if (notes.empty()) notes.push_back({false, "Converts as it is: nothing changed, nothing left out."});
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const ReportNote& n : notes) {
        auto* item = new QListWidgetItem(QString::fromStdString(n.text), reportNotes);
        if (n.warning) item->setIcon(warning);
    }
    reportNotes->setMaximumHeight(reportNotes->sizeHintForRow(0) * 6 + 2 * reportNotes->frameWidth());
}

void PreviewPane::ShowSample(int sampleNdx) {
    const std::optional<SampleFacts> facts = SampleFactsOf(model_, sampleNdx);
    if (!facts) return ShowHint({});
    lblTitle->setText(QStringLiteral("Sample %1: %2").arg(sampleNdx).arg(Text(facts->name)));
    // A sample alone has no loop mode: it plays once at its own pitch.
    const sfSample& s = model_.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
    const int root = s.byOriginalPitch <= 127 ? s.byOriginalPitch : 60;
    playable_ = Playable{sampleNdx, {.rootKey = root, .tuneCents = 0, .loops = false}, root};
    ShowSound(sampleNdx, *facts);
}

void PreviewPane::ShowZone(int bag) {
    const std::optional<ZoneRef> ref = InstrumentZoneOf(model_, bag);
    const std::optional<SampleFacts> facts = ZoneFactsOf(model_, bag);
    if (!ref || !facts) {
        return ShowHint(QStringLiteral("A global zone: its values apply to the instrument's other zones"));
    }
    const InstZone& zone = model_.InstZoneTable[static_cast<std::size_t>(ref->instrument)].zone(ref->zone);
    const std::string instrument =
        DisplayText(model_.InstHeaders[static_cast<std::size_t>(ref->instrument)].achInstName);
    lblTitle->setText(QStringLiteral("Zone %1 of %2: %3")
                          .arg(ref->zone)
                          .arg(Text(SoundFontTextToUtf8(instrument)), Text(facts->name)));
    for (const KeyMapZone& k : BuildKeyMap(model_, ref->instrument)) {
        if (k.zone == ref->zone) playable_ = Playable{k.sampleNdx, VoiceOf(zone, k.rootKey), k.rootKey};
    }
    ShowSound(zone.sampleNdx, *facts);
}

void PreviewPane::ShowSound(int sampleNdx, const SampleFacts& facts) {
    QStringList parts{Text(facts.length), Text(facts.rate), QStringLiteral("root ") + Text(facts.root),
                      Text(facts.loop)};
    if (!facts.keys.empty()) {
        parts << QStringLiteral("keys ") + Text(facts.keys)
              << QStringLiteral("velocity ") + Text(facts.velocities);
    }
    lblFacts->setText(parts.join(kSeparator));
    QString failure;
    const std::shared_ptr<const SampleSound> sound = Sound(sampleNdx, &failure);
    if (sound) {
        waveform->SetSound(sound);
        seam->SetSeam(BuildSeam(*sound));
    } else {
        waveform->SetMessage(failure);
        seam->SetSeam(std::nullopt);
        playable_.reset();
    }
    pages->setCurrentIndex(kSamplePage);
}

void PreviewPane::ShowPreset(int preset) {
    if (preset < 1 || preset > model_.PresetCount) return ShowHint({});
    const sfPresetHeader& h = model_.PresetHeaders[static_cast<std::size_t>(preset)];
    lblTitle->setText(QStringLiteral("Preset %1: %2").arg(preset).arg(Name(h.achPresetName)));
    std::vector<KeyMapZone> rects;
    presetLayers->clear();
    QList<QTreeWidgetItem*> items;
    for (const PresetLayer& layer : BuildPresetLayers(model_, preset)) {
        rects.push_back({.zone = static_cast<int>(rects.size()) + 1,
                         .bag = layer.bag,
                         .keyLo = std::min(layer.keyLo, layer.keyHi),
                         .keyHi = std::min(std::max(layer.keyLo, layer.keyHi), 127),
                         .velLo = std::clamp(std::min(layer.velLo, layer.velHi), 1, 127),
                         .velHi = std::clamp(std::max(layer.velLo, layer.velHi), 1, 127),
                         .rootKey = -1,
                         .sampleNdx = 0,
                         .sampleName = layer.instrumentName});
        auto* item = new QTreeWidgetItem(
            QStringList{Text(layer.instrumentName), Text(KeyRangeText(layer.keyLo, layer.keyHi)),
                        QStringLiteral("%1 - %2").arg(layer.velLo).arg(layer.velHi)});
        item->setData(0, Qt::UserRole, Text(NodeKey(kInstrumentsKey, layer.instrument)));
        item->setData(0, Qt::UserRole + 1, layer.bag);
        item->setToolTip(0, QStringLiteral("Double-click or press Return to select the instrument"));
        items.append(item);
    }
    lblFacts->setText(QStringLiteral("bank %1, program %2").arg(h.wBank).arg(h.wPreset) + kSeparator +
                      (items.size() == 1 ? QStringLiteral("1 layer")
                                         : QStringLiteral("%1 layers").arg(items.size())));
    layerMap->SetZones(std::move(rects), QStringLiteral("Instrument"));
    presetLayers->addTopLevelItems(items);
    FitColumns(presetLayers);
    pages->setCurrentIndex(kPresetPage);
}

void PreviewPane::ChooseLayer() {
    if (const QTreeWidgetItem* item = presetLayers->currentItem())
        Q_EMIT NodeChosen(item->data(0, Qt::UserRole).toString());
}

std::shared_ptr<const SampleSound> PreviewPane::Sound(int sampleNdx, QString* failure) {
    const std::string file = model_.FileFolder + model_.FileName;
    if (cachedSound_ && cachedSample_ == sampleNdx && cachedFile_ == file) return cachedSound_;
    try {
        cachedSound_ = std::make_shared<const SampleSound>(LoadSample(sampleNdx));
    } catch (const std::exception& e) {
        cachedSound_.reset();
        if (failure) *failure = QString::fromStdString(e.what());
        return nullptr;
    }
    cachedSample_ = sampleNdx;
    cachedFile_ = file;
    return cachedSound_;
}

void PreviewPane::PlayKey(int key) {
    const std::vector<KeyMapZone>& zones = keyMap->Zones();
    const std::optional<std::size_t> i = ZoneForKey(zones, key);
    if (!i || instrument_ == 0) return;
    const KeyMapZone& k = zones[*i];
    const InstZone& zone = model_.InstZoneTable[static_cast<std::size_t>(instrument_)].zone(k.zone);
    Play({k.sampleNdx, VoiceOf(zone, k.rootKey), key});
}

void PreviewPane::Play(const Playable& what) {
    if (!player_->Available()) return;
    if (const std::shared_ptr<const SampleSound> sound = Sound(what.sampleNdx)) {
        player_->Play(sound, what.voice, what.key);
    }
    UpdatePlayButton();
}

void PreviewPane::TogglePlay() {
    if (player_->Playing()) {
        player_->Stop();
    } else if (playable_ && cmdPlay->isEnabled()) {
        Play(*playable_);
    }
}

void PreviewPane::UpdatePlayButton() {
    const bool playing = player_->Playing();
    cmdPlay->setVisible(pages->currentIndex() != kHintPage);
    cmdPlay->setText(playing ? QStringLiteral("Stop") : QStringLiteral("Play"));
    if (!player_->Available()) {
        cmdPlay->setEnabled(false);
        cmdPlay->setToolTip(player_->UnavailableReason());
    } else if (playing || playable_) {
        cmdPlay->setEnabled(true);
        cmdPlay->setToolTip(QStringLiteral("Play the sample as the wave file holds it (Space in the tree)"));
    } else {
        cmdPlay->setEnabled(false);
        cmdPlay->setToolTip(instrument_ ? QStringLiteral("Press a key of the key map to play it")
                                        : QStringLiteral("Select a sample or an instrument zone to play it"));
    }
}

}  // namespace zelvo
