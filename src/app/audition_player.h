// SPDX-License-Identifier: GPL-3.0-or-later
// Plays an audition through the desktop's audio output: the generator's
// points pulled by a QAudioSink, on the user-interface thread's event loop.
#pragma once

#include <memory>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QString>

#include "browser/audition.h"

class QAudioSink;

namespace zelvo {

class AuditionSource;

class AuditionPlayer : public QObject {
    Q_OBJECT

public:
    // Plays on device; a null device leaves the player unavailable.
    explicit AuditionPlayer(const QAudioDevice& device, QObject* parent = nullptr);
    ~AuditionPlayer() override;

    // The desktop's default output, looked up once; a missing sound server
    // shows on the Play button, not on stderr.
    static QAudioDevice DefaultOutput();

    bool Available() const { return unavailable_.isEmpty(); }
    // Why nothing can be played, for the Play button's tooltip.
    const QString& UnavailableReason() const { return unavailable_; }

    void Play(std::shared_ptr<const SampleSound> sound, const AuditionVoice& voice, int key);
    void Stop();
    bool Playing() const;

Q_SIGNALS:
    // A sound ended by itself or by Stop.
    void Stopped();

private:
    void OnStateChanged();

    QAudioDevice device_;
    QAudioFormat format_;
    QString unavailable_;
    // The sink reads the source: it goes first.
    std::unique_ptr<AuditionSource> source_;
    std::unique_ptr<QAudioSink> sink_;
};

}  // namespace zelvo
