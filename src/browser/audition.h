// SPDX-License-Identifier: GPL-3.0-or-later
// The points an audition plays for one key: the sample resampled to the
// output rate at that key's pitch, looping while its loop mode asks for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "browser/sample_view.h"

namespace zelvo {

struct AuditionVoice {
    int rootKey = 60;
    double tuneCents = 0.0;  // coarse tune x 100 + fine tune
    bool loops = false;
    // The rate its points play at, 0 for the sound's own: an EX5/7 plays
    // every wave at 44,100 Hz, whatever rate its points were stored at.
    std::uint32_t pointRate = 0;
};

// Source points per output point: rate x 2^((key - root) / 12 + cents / 1200) / outputRate,
// rate being the voice's point rate if it has one, else sampleRate.
double AuditionStep(std::uint32_t sampleRate, const AuditionVoice& voice, int key,
                    std::uint32_t outputRate);

// Reads a sample at a fixed step with linear interpolation. Inside a loop
// the point after the loop's last one is its first, so the seam plays as
// the loop joins it. After a sound that ends, tailPoints of silence: an
// output that stops drops what it still holds, so it should hold silence.
class AuditionGenerator {
public:
    AuditionGenerator(std::shared_ptr<const SampleSound> sound, const AuditionVoice& voice, int key,
                      std::uint32_t outputRate, std::size_t tailPoints = 0);

    // Writes up to count points; fewer only once the sample and the silence have ended.
    std::size_t Generate(std::int16_t* out, std::size_t count);
    bool Finished() const;

private:
    bool SoundEnded() const;
    std::int16_t PointAfter(std::size_t index) const;

    std::shared_ptr<const SampleSound> sound_;
    double step_ = 0;
    double position_ = 0;
    bool loops_ = false;
    std::size_t tail_ = 0;  // silent points still to come
};

// The first count points of an audition, or fewer when it ends first.
std::vector<std::int16_t> AuditionPoints(std::shared_ptr<const SampleSound> sound,
                                         const AuditionVoice& voice, int key,
                                         std::uint32_t outputRate, std::size_t count,
                                         std::size_t tailPoints = 0);

}  // namespace zelvo
