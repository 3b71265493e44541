// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// SoundFont texts are bytes with no stated encoding: SoundFont 3 writers
// store UTF-8 ("©" as two bytes), older ones Latin-1. A text that is valid
// UTF-8 is shown as such, any other one byte per character as Latin-1.
std::string SoundFontTextToUtf8(std::string_view text);

// Whole characters only: no overlong form, surrogate, code point past
// U+10FFFF or cut sequence.
bool IsValidUtf8(std::string_view text);

// The characters of a SoundFont text, read by the same rule.
std::u32string SoundFontCharacters(std::string_view text);
std::string ToUtf8(std::u32string_view characters);

// C0, DEL and C1: characters that move a terminal's cursor or start its
// escape sequences.
bool IsControlCharacter(char32_t c);

// A SoundFont text in UTF-8 for one line of output: every control character
// other than those in kept becomes \xNN (two upper-case hex digits).
std::string EscapedText(std::string_view text, std::u32string_view kept = {});

}  // namespace zelvo
