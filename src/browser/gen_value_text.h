// The display text of one generator amount.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "soundfont/model.h"

namespace zelvo {

// The signed reading of a raw 16-bit amount.
inline int SignedAmount(std::uint16_t amount) {
    return amount <= 32767 ? amount : amount - 65536;
}

// The text of generator gen with raw amount; none when an instrument or
// sample reference names a record the file does not have. Names are given as
// the model holds them, NUL padding included.
std::optional<std::string> GenValueText(const SoundFontModel& model, int gen, std::uint16_t amount);

}  // namespace zelvo
