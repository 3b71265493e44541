#include "soundfont/model.h"

namespace zelvo {

std::string DisplayText(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace zelvo
