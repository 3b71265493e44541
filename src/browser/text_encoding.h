#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// SoundFont texts are bytes with no stated encoding: SoundFont 3 writers
// store UTF-8 ("©" as two bytes), older ones Latin-1. A text that is valid
// UTF-8 is shown as such, any other one byte per character as Latin-1.
std::string Latin1ToUtf8(std::string_view text);

bool IsValidUtf8(std::string_view text);

}  // namespace zelvo
