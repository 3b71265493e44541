// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/preview_pane.h"

#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "app/audition_player.h"
#include "app/conversion_report_widget.h"
#include "app/key_map_widget.h"
#include "app/planned_audition.h"
#include "app/seam_widget.h"
#include "app/waveform_widget.h"
#include "browser/instrument_view.h"
#include "browser/preset_view.h"
#include "browser/text_encoding.h"
#include "export/export_error.h"
#include "export/output_size.h"
#include "export/sample_source.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

enum Page { kHintPage, kMapPage, kSamplePage };

const QString kSeparator = QStringLiteral("   \u00B7   ");

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QString Name(const std::string& field) {
    return Text(SoundFontTextToUtf8(DisplayText(field)));
}

QString Count(std::size_t n, const char* one, const char* many) {
    return n == 1 ? QString::fromLatin1(one) : QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(many));
}

// The facts in one line that wraps between them, never inside one.
QString FactsLine(const SampleFacts& facts) {
    QStringList parts{Text(facts.length), Text(facts.rate), QStringLiteral("root ") + Text(facts.root),
                      Text(facts.loop)};
    if (!facts.keys.empty()) {
        parts << QStringLiteral("keys ") + Text(facts.keys)
              << QStringLiteral("velocity ") + Text(facts.velocities);
    }
    // No-break spaces and hyphens: a line may not break after the "-" of a range.
    for (QString& part : parts) part.replace(QLatin1Char(' '), QChar(0x00A0)).replace(QLatin1Char('-'), QChar(0x2011));
    return parts.join(kSeparator);
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

}  // namespace

PreviewPane::PreviewPane(const SoundFontModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("previewPane"));
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
    // Long facts wrap at the pane's edge rather than widen the window.
    lblFacts->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblFacts->setWordWrap(true);
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
    pages->addWidget(BuildMapPage());
    pages->addWidget(BuildSamplePage());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(6);
    layout->addLayout(header);
    layout->addWidget(pages, 1);

    UseAudioOutput(AuditionPlayer::DefaultOutput());
    ShowNode(std::nullopt);
}

PreviewPane::~PreviewPane() {
    StopWork();
}

// The key map with the report beside it, the zone or layer table below, the
// report's notes at the foot: for an instrument and for a preset.
QWidget* PreviewPane::BuildMapPage() {
    keyMap = new KeyMapWidget;
    connect(keyMap, &KeyMapWidget::ZoneClicked, this, [this](std::size_t i) {
        Q_EMIT NodeChosen(Text(NodeKey(kInstZonePrefix, keyMap->Zones().at(i).bag)));
    });
    connect(keyMap, &KeyMapWidget::KeyPressed, this, &PreviewPane::PlayKey);
    connect(keyMap, &KeyMapWidget::KeyReleased, this, [this] {
        heldKey_.reset();
        player_->Stop();
    });
    QStringList titles;
    for (const char* title : kZoneTableTitles) titles << QString::fromLatin1(title);
    zoneTable = MakeTable(titles);
    zoneTable->setObjectName(QStringLiteral("zoneTable"));
    connect(zoneTable, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        Q_EMIT NodeChosen(item->data(0, Qt::UserRole).toString());
    });
    presetLayers = MakeTable({QStringLiteral("Instrument"), QStringLiteral("Keys"),
                              QStringLiteral("Velocity")});
    presetLayers->setObjectName(QStringLiteral("presetLayers"));
    // itemActivated: a double click, or Return on the current row.
    connect(presetLayers, &QTreeWidget::itemActivated, this, &PreviewPane::ChooseLayer);
    tables = new QStackedWidget;
    tables->addWidget(zoneTable);
    tables->addWidget(presetLayers);
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
    layout->addWidget(tables, 1);
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

void PreviewPane::UseAudioOutput(const QAudioDevice& device) {
    if (player_) player_->Stop();
    player_ = std::make_unique<AuditionPlayer>(device);
    connect(player_.get(), &AuditionPlayer::Stopped, this, &PreviewPane::UpdatePlayButton);
    UpdatePlayButton();
}

std::string PreviewPane::SoundFontPath() const {
    return model_.FileFolder + model_.FileName;
}

void PreviewPane::RunOffThread(std::function<UiStep(std::stop_token)> work,
                               std::function<void(const QString&)> failed) {
    struct Outcome {
        UiStep step;
        QString failure;
    };
    const std::uint64_t selection = selection_;
    ++pending_;
    auto* watcher = new QFutureWatcher<Outcome>(this);
    connect(watcher, &QFutureWatcher<Outcome>::finished, this, [this, watcher, selection, failed] {
        watcher->deleteLater();
        if (selection != selection_) return;
        --pending_;
        const Outcome outcome = watcher->result();
        if (outcome.step) {
            outcome.step();
        } else if (!outcome.failure.isEmpty()) {
            failed(outcome.failure);
        }
        UpdatePlayButton();
        if (pending_ == 0) Q_EMIT WorkDone();
    });
    watcher->setFuture(QtConcurrent::run(&pool_, [work = std::move(work), stop = stop_.get_token()] {
        try {
            return Outcome{work(stop), {}};
        } catch (const ExportError& e) {
            if (e.kind() == ExportError::Kind::Cancelled) return Outcome{};
            return Outcome{{}, QString::fromStdString(e.what())};
        } catch (const std::exception& e) {
            return Outcome{{}, QString::fromStdString(e.what())};
        }
    }));
}

void PreviewPane::StopWork() {
    stop_.request_stop();
    ++selection_;
    pending_ = 0;
    loading_.clear();
    pool_.waitForDone();
}

void PreviewPane::StartSelection() {
    stop_.request_stop();
    stop_ = std::stop_source();
    ++selection_;
    pending_ = 0;
    loading_.clear();
    sounds_.clear();
    heldKey_.reset();
    plan_.reset();
    playable_.reset();
    player_->Stop();
}

void PreviewPane::ShowNode(const std::optional<std::string>& key) {
    StartSelection();
    lblFacts->clear();
    lblFacts->setToolTip({});
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
    lblTitle->setText(QStringLiteral("Instrument %1: %2")
                          .arg(instrument)
                          .arg(Name(model_.InstHeaders[static_cast<std::size_t>(instrument)].achInstName)));
    std::vector<KeyMapZone> zones = BuildKeyMap(model_, instrument);
    lblFacts->setText(Count(zones.size(), "1 zone", "zones"));
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
    tables->setCurrentWidget(zoneTable);
    pages->setCurrentIndex(kMapPage);

    const ExportOptions options{.convertSamples = convert_};
    try {
        plan_ = PlanWaveFile(model_, instrument, options);
    } catch (const ExportError&) {
        // The report says why; no key plays.
    }
    const std::string path = SoundFontPath();
    // The plan alone at once; the gains, which need every resampled point, follow.
    try {
        ShowReport(ReportInstrumentExport(model_, instrument, path, options, false));
    } catch (const ExportError& e) {
        return ShowReportFailure(QString::fromStdString(e.what()));
    }
    if (plan_ && plan_->ResamplesPoints()) {
        MeasureReport([&model = model_, instrument, path, options](std::stop_token stop) {
            ExportOptions measuring = options;
            measuring.stop = std::move(stop);
            return ReportInstrumentExport(model, instrument, path, measuring, true);
        });
    }
}

void PreviewPane::ShowPreset(int preset) {
    if (preset < 1 || preset > model_.PresetCount) return ShowHint({});
    const sfPresetHeader& h = model_.PresetHeaders[static_cast<std::size_t>(preset)];
    lblTitle->setText(QStringLiteral("Preset %1: %2").arg(preset).arg(Name(h.achPresetName)));
    std::vector<KeyMapZone> zones = BuildPresetKeyMap(model_, preset);
    presetLayers->clear();
    QList<QTreeWidgetItem*> items;
    for (const PresetLayer& layer : BuildPresetLayers(model_, preset)) {
        auto* item = new QTreeWidgetItem(
            QStringList{Text(layer.instrumentName), Text(KeyRangeText(layer.keyLo, layer.keyHi)),
                        QStringLiteral("%1 - %2").arg(layer.velLo).arg(layer.velHi)});
        item->setData(0, Qt::UserRole, Text(NodeKey(kInstrumentsKey, layer.instrument)));
        item->setData(0, Qt::UserRole + 1, layer.bag);
        item->setToolTip(0, QStringLiteral("Double-click or press Return to select the instrument"));
        items.append(item);
    }
    lblFacts->setText(QStringLiteral("bank %1, program %2").arg(h.wBank).arg(h.wPreset) + kSeparator +
                      Count(items.size(), "1 layer", "layers") + kSeparator +
                      Count(zones.size(), "1 zone", "zones"));
    keyMap->SetZones(std::move(zones), QStringLiteral("Sample"));
    presetLayers->addTopLevelItems(items);
    FitColumns(presetLayers);
    tables->setCurrentWidget(presetLayers);
    pages->setCurrentIndex(kMapPage);

    try {
        plan_ = PlanPresetWave(model_, preset);
    } catch (const ExportError&) {
    }
    const std::string path = SoundFontPath();
    try {
        ShowReport(ReportPresetExport(model_, preset, path, false));
    } catch (const ExportError& e) {
        return ShowReportFailure(QString::fromStdString(e.what()));
    }
    if (plan_ && plan_->ResamplesPoints()) {
        MeasureReport([&model = model_, preset, path](std::stop_token stop) {
            return ReportPresetExport(model, preset, path, true, std::move(stop));
        });
    }
}

void PreviewPane::MeasureReport(std::function<InstrumentReport(std::stop_token)> measure) {
    RunOffThread(
        [this, measure = std::move(measure)](std::stop_token stop) -> UiStep {
            auto report = std::make_shared<const InstrumentReport>(measure(std::move(stop)));
            return [this, report] { ShowReport(*report); };
        },
        [this](const QString& failure) { ShowReportFailure(failure); });
}

// The size against the wave memories, then what the export changes,
// warnings first with a warning sign: both from one report.
void PreviewPane::ShowReport(const InstrumentReport& report) {
    conversionReport->SetReport({report.output, report.refusal});
    ShowNotes(ReportNotes(report));
}

void PreviewPane::ShowReportFailure(const QString& failure) {
    conversionReport->SetReport({.size = {}, .refusal = failure.toStdString()});
    ShowNotes({{true, failure.toStdString()}});
}

void PreviewPane::ShowNotes(const std::vector<ReportNote>& notes) {
    reportNotes->clear();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const ReportNote& n : notes) {
        auto* item = new QListWidgetItem(QString::fromStdString(n.text), reportNotes);
        if (n.warning) item->setIcon(warning);
    }
    if (notes.empty()) new QListWidgetItem(QStringLiteral("Converts as it is: nothing changed, nothing left out."), reportNotes);
    reportNotes->setMaximumHeight(reportNotes->sizeHintForRow(0) * 6 + 2 * reportNotes->frameWidth());
}

void PreviewPane::ShowSample(int sampleNdx) {
    const std::optional<SampleFacts> facts = SampleFactsOf(model_, sampleNdx);
    if (!facts) return ShowHint({});
    lblTitle->setText(QStringLiteral("Sample %1: %2").arg(sampleNdx).arg(Text(facts->name)));
    ShowLoading(*facts);
    // A sample alone has no loop mode: it plays once at its root, with its
    // pitch correction when converting, at the EX5/7's rate.
    const sfSample& s = model_.SampleHeaders[static_cast<std::size_t>(sampleNdx)];
    const int root = s.byOriginalPitch <= 127 ? s.byOriginalPitch : 60;
    const AuditionVoice voice{.rootKey = root,
                              .tuneCents = ZonePitchCents({}, root, PlanSampleConversion(s, convert_), root),
                              .loops = false,
                              .pointRate = kWaveSampleRate};
    RunOffThread(
        [this, &model = model_, sampleNdx, path = SoundFontPath(), convert = convert_, voice,
         root](std::stop_token stop) -> UiStep {
            auto sound = std::make_shared<const SampleSound>(
                convert ? ReadConvertedSampleSound(model, sampleNdx, path, std::move(stop))
                        : ReadSampleSound(model, sampleNdx, path, std::move(stop)));
            return [this, sound, voice, root, sampleNdx] { ShowSound(sound, voice, root, sampleNdx); };
        },
        [this](const QString& failure) { ShowSoundFailure(failure); });
}

// The zone's own wave sample, planned as the export plans its instrument.
void PreviewPane::ShowZone(int bag) {
    const std::optional<ZoneRef> ref = InstrumentZoneOf(model_, bag);
    const std::optional<SampleFacts> facts = ZoneFactsOf(model_, bag);
    if (!ref || !facts) {
        return ShowHint(QStringLiteral("A global zone: its values apply to the instrument's other zones"));
    }
    const std::string instrument =
        DisplayText(model_.InstHeaders[static_cast<std::size_t>(ref->instrument)].achInstName);
    lblTitle->setText(QStringLiteral("Zone %1 of %2: %3")
                          .arg(ref->zone)
                          .arg(Text(SoundFontTextToUtf8(instrument)), Text(facts->name)));
    ShowLoading(*facts);
    try {
        plan_ = PlanWaveFile(model_, ref->instrument, {.convertSamples = convert_});
    } catch (const ExportError& e) {
        return ShowSoundFailure(QString::fromStdString(e.what()));
    }
    const std::optional<PlannedAudition> audition = AuditionOfZone(*plan_, ref->instrument, ref->zone);
    if (!audition) return ShowSoundFailure(QStringLiteral("The wave holds no sample for this zone"));
    const int sampleNdx = plan_->samples[static_cast<std::size_t>(audition->sampleNumber - 1)].sampleNdx;
    LoadPlannedSound(audition->sampleNumber, [this, a = *audition, sampleNdx] {
        ShowSound(sounds_.at(a.sampleNumber), a.voice, a.key, sampleNdx);
    });
}

// The SoundFont's facts until the sound they describe has been read.
void PreviewPane::ShowLoading(const SampleFacts& facts) {
    facts_ = facts;
    lblFacts->setText(FactsLine(facts));
    waveform->SetMessage(QString::fromLatin1(kLoadingText));
    seam->SetSeam(std::nullopt);
    pages->setCurrentIndex(kSamplePage);
}

void PreviewPane::ShowSound(std::shared_ptr<const SampleSound> sound, const AuditionVoice& voice, int key,
                            int sampleNdx) {
    const SampleFacts shown =
        FactsOfSound(facts_, *sound, model_.SampleHeaders.at(static_cast<std::size_t>(sampleNdx)).dwSampleRate);
    // Points kept at their own rate play at the EX5/7's.
    SampleFacts played = shown;
    if (!convert_ && sound->rate != kWaveSampleRate && sound->rate != 0) {
        played.rate += QString::asprintf(", played at 44100 Hz: %+.0f ct", RateOffsetCents(sound->rate)).toStdString();
    }
    lblFacts->setText(FactsLine(played));
    lblFacts->setToolTip(shown.loopSource.empty() ? QString() : Text(shown.loopSource));
    waveform->SetSound(sound);
    seam->SetSeam(BuildSeam(*sound));
    playable_ = Playable{std::move(sound), voice, key};
}

void PreviewPane::ShowSoundFailure(const QString& failure) {
    waveform->SetMessage(failure);
    seam->SetSeam(std::nullopt);
    playable_.reset();
}

// Reads sample sampleNumber of the plan as the file will hold it, once per
// selection; then runs with it in sounds_.
void PreviewPane::LoadPlannedSound(int sampleNumber, std::function<void()> then) {
    if (sounds_.contains(sampleNumber)) return then();
    if (!plan_ || !loading_.insert(sampleNumber).second) return;
    RunOffThread(
        [this, &model = model_, path = SoundFontPath(),
         sample = plan_->samples.at(static_cast<std::size_t>(sampleNumber - 1)), sampleNumber,
         then = std::move(then)](std::stop_token stop) -> UiStep {
            auto sound = std::make_shared<const SampleSound>(ReadPlannedSound(model, path, sample, std::move(stop)));
            return [this, sound, sampleNumber, then] {
                loading_.erase(sampleNumber);
                sounds_[sampleNumber] = sound;
                then();
            };
        },
        [this, sampleNumber](const QString& failure) {
            loading_.erase(sampleNumber);
            if (pages->currentIndex() == kSamplePage) ShowSoundFailure(failure);
        });
}

// A key of the key map plays the entry it would play on the EX5/7, once its
// sample has been read, while the key is held.
void PreviewPane::PlayKey(int key) {
    heldKey_ = key;
    if (!player_->Available() || !plan_) return;
    const std::optional<PlannedAudition> audition = AuditionOfKey(*plan_, key);
    if (!audition) return;
    LoadPlannedSound(audition->sampleNumber, [this, a = *audition] {
        if (heldKey_ != a.key) return;
        player_->Play(sounds_.at(a.sampleNumber), a.voice, a.key);
        UpdatePlayButton();
    });
}

void PreviewPane::ChooseLayer() {
    if (const QTreeWidgetItem* item = presetLayers->currentItem())
        Q_EMIT NodeChosen(item->data(0, Qt::UserRole).toString());
}

void PreviewPane::TogglePlay() {
    if (player_->Playing()) {
        player_->Stop();
    } else if (playable_ && cmdPlay->isEnabled()) {
        player_->Play(playable_->sound, playable_->voice, playable_->key);
        UpdatePlayButton();
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
        cmdPlay->setToolTip(pages->currentIndex() == kMapPage
                                ? QStringLiteral("Press a key of the key map to play it")
                                : Busy() ? QStringLiteral("Loading the sound...")
                                         : QStringLiteral("Select a sample or an instrument zone to play it"));
    }
}

}  // namespace zelvo
