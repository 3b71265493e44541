#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// SoundFont texts hold one character per byte; bytes 128..255 are Latin-1.
std::string Latin1ToUtf8(std::string_view text);

}  // namespace zelvo
