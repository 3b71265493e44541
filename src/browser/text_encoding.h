#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// SoundFont texts hold one character per byte; bytes 128..255 are Latin-1.
std::string Latin1ToUtf8(std::string_view text);

// SoundFont 3 tools write UTF-8, older tools Latin-1: a text that is valid
// UTF-8 is read as UTF-8, any other as Latin-1.
std::u32string SoundFontCharacters(std::string_view text);
std::string SoundFontTextToUtf8(std::string_view text);
std::string ToUtf8(std::u32string_view characters);

// C0, DEL and C1: characters that move a terminal's cursor or start its
// escape sequences.
bool IsControlCharacter(char32_t c);

// A SoundFont text in UTF-8 for one line of output: every control character
// other than those in kept becomes \xNN (two upper-case hex digits).
std::string EscapedText(std::string_view text, std::u32string_view kept = {});

}  // namespace zelvo
