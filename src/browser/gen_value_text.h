// SPDX-License-Identifier: GPL-3.0-or-later
// The display text of one generator amount.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "soundfont/generators.h"
#include "soundfont/model.h"

namespace zelvo {

// The text of a generator's amount; none when an instrument or sample
// reference names a record the file does not have, as the load marked it.
// Names are given as the model holds them, NUL padding included.
std::optional<std::string> GenValueText(const SoundFontModel& model, const sfGenList& gen);

}  // namespace zelvo
