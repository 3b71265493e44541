#include "app/audition_player.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

namespace zelvo {

// The generator as a device the sink reads: mono points spread over the
// output's channels in its sample format. After the sound, silence for up to
// kTailSeconds, so that the sink plays what it holds before it goes idle.
class AuditionSource : public QIODevice {
public:
    static constexpr int kTailSeconds = 2;

    AuditionSource(AuditionGenerator generator, const QAudioFormat& format)
        : generator_(std::move(generator)), format_(format) {}

    bool isSequential() const override { return true; }
    bool SoundEnded() const { return generator_.Finished(); }
    // How long the sound lasts at the output's rate, once it has ended.
    qint64 SoundMicroseconds() const {
        return static_cast<qint64>(generator_.Made() * 1000000 / static_cast<std::uint64_t>(std::max(1, format_.sampleRate())));
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const int frameBytes = std::max(1, format_.bytesPerFrame());
        const auto frames = static_cast<std::size_t>(maxSize / frameBytes);
        points_.resize(frames);
        std::size_t made = generator_.Generate(points_.data(), frames);
        const auto tailLimit = static_cast<std::size_t>(kTailSeconds * format_.sampleRate());
        if (made < frames && tail_ < tailLimit) {
            const std::size_t silent = std::min(frames - made, tailLimit - tail_);
            std::fill_n(points_.begin() + static_cast<std::ptrdiff_t>(made), silent, std::int16_t{0});
            made += silent;
            tail_ += silent;
        }
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
    std::size_t tail_ = 0;  // silent points given after the sound
};

namespace {

// 16-bit points where the device takes them, else floating point.
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
    drain_.setInterval(5);
    connect(&drain_, &QTimer::timeout, this, &AuditionPlayer::StopWhenPlayed);
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
    return QMediaDevices::defaultAudioOutput();
}

void AuditionPlayer::Play(std::shared_ptr<const SampleSound> sound, const AuditionVoice& voice,
                          int key) {
    Stop();
    if (!Available() || !sound || sound->points.empty()) return;
    source_ = std::make_unique<AuditionSource>(
        AuditionGenerator(std::move(sound), voice, key,
                          static_cast<std::uint32_t>(format_.sampleRate())),
        format_);
    source_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device_, format_);
    connect(sink_.get(), &QAudioSink::stateChanged, this, &AuditionPlayer::OnStateChanged);
    sink_->start(source_.get());
    drain_.start();
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
    drain_.stop();
    if (!sink_) return;
    sink_->disconnect(this);
    sink_->stop();
    // The sink may still be inside a call of its own; let it go after that.
    sink_.release()->deleteLater();
    source_.reset();
    Q_EMIT Stopped();
}

// Stops once the output has played the whole sound: stopping a sink drops
// what it still holds.
void AuditionPlayer::StopWhenPlayed() {
    constexpr qint64 kMarginMicroseconds = 30000;
    if (sink_ && source_ && source_->SoundEnded() &&
        sink_->processedUSecs() >= source_->SoundMicroseconds() + kMarginMicroseconds) {
        Stop();
    }
}

// The silence after the sound has run out too.
void AuditionPlayer::OnStateChanged() {
    if (sink_ && (sink_->state() == QAudio::IdleState || sink_->state() == QAudio::StoppedState)) Stop();
}

}  // namespace zelvo
