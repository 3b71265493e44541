// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the information window, top to bottom.
#pragma once

#include <array>
#include <string>

#include "soundfont/model.h"

namespace zelvo {

inline constexpr std::size_t kInfoLineCount = 12;

// "Filename: ..." first, "Comments: ..." last; each text cut at its first
// NUL. With no file loaded: "No SoundFont file" and eleven empty texts.
std::array<std::string, kInfoLineCount> InfoTexts(const SoundFontModel& model);

}  // namespace zelvo
