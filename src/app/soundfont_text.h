// SPDX-License-Identifier: GPL-3.0-or-later
// SoundFont texts as the widgets show them.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "browser/text_encoding.h"

namespace zelvo {

// UTF-8 when the bytes are valid UTF-8, Latin-1 otherwise.
inline QString FromSoundFontText(std::string_view text) {
    const std::string utf8 = SoundFontTextToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace zelvo
