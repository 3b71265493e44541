// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/names.h"

namespace zelvo {

std::optional<std::string> NoteName(long key) {
    if (key < 0) return std::nullopt;
    return std::string(NoteNames[static_cast<std::size_t>(key % 12)]) + std::to_string(key / 12 - 2);
}

std::optional<std::string_view> GenName(int gen) {
    if (gen < 0 || gen >= static_cast<int>(GenNames.size())) return std::nullopt;
    return GenNames[static_cast<std::size_t>(gen)];
}

}  // namespace zelvo
