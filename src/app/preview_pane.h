// The preview pane below the detail list: for the tree's selected node, an
// instrument's key map, zone table and conversion report; a sample's or
// zone's waveform, loop and seam; a preset's layers. It plays samples and
// keys through an AuditionPlayer.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QAudioDevice>
#include <QString>
#include <QWidget>

#include "browser/audition.h"
#include "browser/sample_view.h"
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

class PreviewPane : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPane(const SoundFontModel& model, QWidget* parent = nullptr);
    ~PreviewPane() override;

    // Where the pane takes a sample's points from to draw and play them; by
    // default the points the wave file receives (export/sample_source.h).
    std::function<SampleSound(int sampleNdx)> LoadSample;

    // Shows the view of a tree node; none, or no file, shows a hint.
    void ShowNode(const std::optional<std::string>& key);
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
    KeyMapWidget* keyMap = nullptr;
    QTreeWidget* zoneTable = nullptr;
    ConversionReportWidget* conversionReport = nullptr;
    QListWidget* reportNotes = nullptr;
    WaveformWidget* waveform = nullptr;
    SeamWidget* seam = nullptr;
    KeyMapWidget* layerMap = nullptr;
    QTreeWidget* presetLayers = nullptr;

Q_SIGNALS:
    // A node picked in the pane, to be selected in the tree: a zone of the
    // key map or zone table, an instrument of the preset's layers.
    void NodeChosen(const QString& key);

private:
    // What the Play button plays: a sample at a key, with a voice.
    struct Playable {
        int sampleNdx = 0;
        AuditionVoice voice;
        int key = 60;
    };

    QWidget* BuildInstrumentPage();
    QWidget* BuildSamplePage();
    QWidget* BuildPresetPage();
    void ShowHint(const QString& hint);
    void ShowInstrument(int instrument);
    void ShowReport(int instrument);
    void ShowSample(int sampleNdx);
    void ShowZone(int bag);
    void ShowPreset(int preset);
    void ShowSound(int sampleNdx, const SampleFacts& facts);
    std::shared_ptr<const SampleSound> Sound(int sampleNdx, QString* failure = nullptr);
    void PlayKey(int key);
    void Play(const Playable& what);
    void UpdatePlayButton();
    void ChooseLayer();

    const SoundFontModel& model_;
    std::unique_ptr<AuditionPlayer> player_;
    std::optional<Playable> playable_;
    int instrument_ = 0;
    // The last sample read, so that keys pressed one after another read it once.
    std::string cachedFile_;
    int cachedSample_ = 0;
    std::shared_ptr<const SampleSound> cachedSound_;
};

}  // namespace zelvo
