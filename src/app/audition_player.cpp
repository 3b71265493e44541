// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/audition_player.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QAudioSink>
#include <QIODevice>
#include <QLoggingCategory>
#include <QMediaDevices>

namespace zelvo {

// The generator as a device the sink reads: mono points spread over the
// output's channels in its sample format.
class AuditionSource : public QIODevice {
public:
    AuditionSource(AuditionGenerator generator, const QAudioFormat& format)
        : generator_(std::move(generator)), format_(format) {}

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const int frameBytes = std::max(1, format_.bytesPerFrame());
        const auto frames = static_cast<std::size_t>(maxSize / frameBytes);
        points_.resize(frames);
        const std::size_t made = generator_.Generate(points_.data(), frames);
        const int channels = std::max(1, format_.channelCount());
        char* out = data;
        for (std::size_t i = 0; i < made; ++i) {
            for (int c = 0; c < channels; ++c) out = Put(out, points_[i]);
        }
        return out - data;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    char* Put(char* out, std::int16_t point) const {
        if (format_.sampleFormat() == QAudioFormat::Float) {
            const float value = static_cast<float>(point) / 32768.0F;
            std::memcpy(out, &value, sizeof value);
            return out + sizeof value;
        }
        std::memcpy(out, &point, sizeof point);
        return out + sizeof point;
    }

    AuditionGenerator generator_;
    QAudioFormat format_;
    std::vector<std::int16_t> points_;
};

namespace {

// The sink's buffer, and the silence after a sound: three buffers, so that
// the sound has been played whole when the sink stops.
constexpr int kBufferMilliseconds = 100;
constexpr int kTailBuffers = 3;

// 16-bit points where the device takes them, else floating point.
// Qt's PulseAudio backend warns in the default category when no sound server
// runs; the Play button says so instead (UnavailableReason).
void QuietDefaultCategory(QLoggingCategory* category) {
    if (qstrcmp(category->categoryName(), "default") == 0) category->setEnabled(QtWarningMsg, false);
}

QAudioFormat OutputFormat(const QAudioDevice& device) {
    QAudioFormat format = device.preferredFormat();
    if (format.sampleRate() <= 0) format.setSampleRate(44100);
    if (format.channelCount() <= 0) format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) format.setSampleFormat(QAudioFormat::Float);
    return format;
}

}  // namespace

AuditionPlayer::AuditionPlayer(const QAudioDevice& device, QObject* parent)
    : QObject(parent), device_(device) {
    if (device_.isNull()) {
        unavailable_ = QStringLiteral("No audio output device: this desktop cannot play sound.");
        return;
    }
    format_ = OutputFormat(device_);
    if (!device_.isFormatSupported(format_)) {
        unavailable_ = QStringLiteral("The audio output %1 takes neither 16-bit nor floating-point sound.")
                           .arg(device_.description());
    }
}

// Stops without telling anyone: the owner is going away with the player.
AuditionPlayer::~AuditionPlayer() {
    if (!sink_) return;
    sink_->disconnect(this);
    sink_->stop();
}

QAudioDevice AuditionPlayer::DefaultOutput() {
    const QLoggingCategory::CategoryFilter previous = QLoggingCategory::installFilter(QuietDefaultCategory);
    QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QLoggingCategory::installFilter(previous);
    return device;
}

void AuditionPlayer::Play(std::shared_ptr<const SampleSound> sound, const AuditionVoice& voice,
                          int key) {
    Stop();
    if (!Available() || !sound || sound->points.empty()) return;
    const int bufferPoints = format_.sampleRate() * kBufferMilliseconds / 1000;
    source_ = std::make_unique<AuditionSource>(
        AuditionGenerator(std::move(sound), voice, key, static_cast<std::uint32_t>(format_.sampleRate()),
                          static_cast<std::size_t>(kTailBuffers * bufferPoints)),
        format_);
    source_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device_, format_);
    sink_->setBufferSize(format_.bytesForFrames(bufferPoints));
    connect(sink_.get(), &QAudioSink::stateChanged, this, &AuditionPlayer::OnStateChanged);
    sink_->start(source_.get());
    // A device that went away shows here; say so on the button rather than fail quietly.
    if (sink_->error() == QAudio::OpenError) {
        unavailable_ = QStringLiteral("The audio output %1 cannot be opened.").arg(device_.description());
        Stop();
    }
}

bool AuditionPlayer::Playing() const {
    return sink_ != nullptr;
}

void AuditionPlayer::Stop() {
    if (!sink_) return;
    sink_->disconnect(this);
    sink_->stop();
    // The sink may still be inside a call of its own; let it go after that.
    sink_.release()->deleteLater();
    source_.reset();
    Q_EMIT Stopped();
}

// The sound and the silence after it have run out: stopping drops only silence.
void AuditionPlayer::OnStateChanged() {
    if (sink_ && (sink_->state() == QAudio::IdleState || sink_->state() == QAudio::StoppedState)) Stop();
}

}  // namespace zelvo
