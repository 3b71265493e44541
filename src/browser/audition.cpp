// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/audition.h"

#include <algorithm>
#include <cmath>

namespace zelvo {

double AuditionStep(std::uint32_t sampleRate, const AuditionVoice& voice, int key,
                    std::uint32_t outputRate) {
    if (outputRate == 0) return 0;
    const double cents = (key - voice.rootKey) * 100.0 + voice.tuneCents;
    const std::uint32_t rate = voice.pointRate != 0 ? voice.pointRate : sampleRate;
    return rate * std::exp2(cents / 1200.0) / outputRate;
}

AuditionGenerator::AuditionGenerator(std::shared_ptr<const SampleSound> sound,
                                     const AuditionVoice& voice, int key,
                                     std::uint32_t outputRate, std::size_t tailPoints)
    : sound_(std::move(sound)),
      step_(sound_ ? AuditionStep(sound_->rate, voice, key, outputRate) : 0),
      loops_(voice.loops && sound_ && sound_->HasLoop()),
      tail_(tailPoints) {}

bool AuditionGenerator::SoundEnded() const {
    return !sound_ || step_ <= 0 || position_ >= static_cast<double>(sound_->points.size());
}

bool AuditionGenerator::Finished() const {
    return SoundEnded() && tail_ == 0;
}

std::int16_t AuditionGenerator::PointAfter(std::size_t index) const {
    const std::size_t next = index + 1;
    if (loops_ && next == sound_->loopEnd) return sound_->points[sound_->loopStart];
    return next < sound_->points.size() ? sound_->points[next] : std::int16_t{0};
}

std::size_t AuditionGenerator::Generate(std::int16_t* out, std::size_t count) {
    std::size_t written = 0;
    while (written < count && !SoundEnded()) {
        const auto index = static_cast<std::size_t>(position_);
        const double fraction = position_ - static_cast<double>(index);
        const double a = sound_->points[index], b = PointAfter(index);
        out[written++] = static_cast<std::int16_t>(std::lround(a + (b - a) * fraction));
        position_ += step_;
        if (loops_) {
            const double loopLength = sound_->loopEnd - sound_->loopStart;
            while (position_ >= sound_->loopEnd) position_ -= loopLength;
        }
    }
    const std::size_t silent = std::min(count - written, tail_);
    std::fill_n(out + written, silent, std::int16_t{0});
    tail_ -= silent;
    return written + silent;
}

std::vector<std::int16_t> AuditionPoints(std::shared_ptr<const SampleSound> sound,
                                         const AuditionVoice& voice, int key,
                                         std::uint32_t outputRate, std::size_t count,
                                         std::size_t tailPoints) {
    AuditionGenerator generator(std::move(sound), voice, key, outputRate, tailPoints);
    std::vector<std::int16_t> points(count);
    points.resize(generator.Generate(points.data(), count));
    return points;
}

}  // namespace zelvo
