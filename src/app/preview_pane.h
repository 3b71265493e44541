// SPDX-License-Identifier: GPL-3.0-or-later
// The preview pane below the detail list: for the tree's selected node, an
// instrument's or a preset's key map, zone or layer table and conversion
// report; a sample's or zone's waveform, loop and seam. It plays samples
// and keys through an AuditionPlayer. Reading and converting points and
// measuring the report run off the user-interface thread; a new selection
// stops them and drops what they would have shown.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <string>

#include <QAudioDevice>
#include <QString>
#include <QThreadPool>
#include <QWidget>

#include "browser/audition.h"
#include "browser/sample_view.h"
#include "export/conversion_report.h"
#include "export/export_plan.h"
#include "soundfont/model.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QListWidget;
class QTreeWidget;

namespace zelvo {

class AuditionPlayer;
class ConversionReportWidget;
class KeyMapWidget;
class SeamWidget;
class WaveformWidget;

inline constexpr const char* kOpenHint = "Open a SoundFont file (Ctrl+O)";
inline constexpr const char* kLoadingText = "Loading...";

class PreviewPane : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPane(const SoundFontModel& model, QWidget* parent = nullptr);
    ~PreviewPane() override;

    // Shows the view of a tree node; none, or no file, shows a hint.
    void ShowNode(const std::optional<std::string>& key);
    // Whether zones and samples are drawn and played converted to 44.1 kHz
    // (Element > Convert samples); the next ShowNode follows it.
    void SetConvertSamples(bool convert) { convert_ = convert; }
    // Stops the work in progress and waits for its end, so that the model
    // can change; nothing of it is shown.
    void StopWork();
    // Work for the shown node has not yet shown its result.
    bool Busy() const { return pending_ != 0; }
    // Plays what is selected, or stops what plays.
    void TogglePlay();
    // Plays through device from now on; a null device turns playing off.
    void UseAudioOutput(const QAudioDevice& device);
    AuditionPlayer& Player() { return *player_; }

    QLabel* lblTitle = nullptr;
    QLabel* lblFacts = nullptr;
    QPushButton* cmdPlay = nullptr;
    QStackedWidget* pages = nullptr;
    QLabel* lblHint = nullptr;
    KeyMapWidget* keyMap = nullptr;  // an instrument's or a preset's
    QStackedWidget* tables = nullptr;
    QTreeWidget* zoneTable = nullptr;
    QTreeWidget* presetLayers = nullptr;
    ConversionReportWidget* conversionReport = nullptr;
    QListWidget* reportNotes = nullptr;
    WaveformWidget* waveform = nullptr;
    SeamWidget* seam = nullptr;

Q_SIGNALS:
    // A node picked in the pane, to be selected in the tree: a zone of the
    // key map or zone table, an instrument of the preset's layers.
    void NodeChosen(const QString& key);
    // The last work started for the shown node has shown its result.
    void WorkDone();

private:
    // What the Play button plays: a sound at a key, with a voice.
    struct Playable {
        std::shared_ptr<const SampleSound> sound;
        AuditionVoice voice;
        int key = 60;
    };
    // What work off the thread hands back to run on it.
    using UiStep = std::function<void()>;

    QWidget* BuildMapPage();
    QWidget* BuildSamplePage();
    void StartSelection();
    void ShowHint(const QString& hint);
    void ShowInstrument(int instrument);
    void ShowPreset(int preset);
    void ShowReport(const InstrumentReport& report);
    void ShowReportFailure(const QString& failure);
    void ShowNotes(const std::vector<ReportNote>& notes);
    void MeasureReport(std::function<InstrumentReport(std::stop_token)> measure);
    void ShowSample(int sampleNdx);
    void ShowZone(int bag);
    void ShowLoading(const SampleFacts& facts);
    void ShowSound(std::shared_ptr<const SampleSound> sound, const AuditionVoice& voice, int key,
                   int sampleNdx);
    void ShowSoundFailure(const QString& failure);
    void LoadPlannedSound(int sampleNumber, std::function<void()> then);
    void PlayKey(int key);
    void UpdatePlayButton();
    void ChooseLayer();
    // Runs work on the pane's threads with the selection's stop token; its
    // step, or failed with the message of what it threw, runs on this
    // thread unless the selection has changed or the work was stopped.
    void RunOffThread(std::function<UiStep(std::stop_token)> work,
                      std::function<void(const QString&)> failed);
    std::string SoundFontPath() const;

    const SoundFontModel& model_;
    std::unique_ptr<AuditionPlayer> player_;
    bool convert_ = true;
    // The selection: counted, so that a result for an older one is dropped.
    std::uint64_t selection_ = 0;
    std::stop_source stop_;
    int pending_ = 0;
    std::optional<WavePlan> plan_;  // of the instrument or preset whose keys play
    std::map<int, std::shared_ptr<const SampleSound>> sounds_;  // by plan sample number
    std::set<int> loading_;
    std::optional<int> heldKey_;
    std::optional<Playable> playable_;
    SampleFacts facts_;  // of the sample or zone shown
    QThreadPool pool_;  // last: its threads end before the rest goes
};

}  // namespace zelvo
