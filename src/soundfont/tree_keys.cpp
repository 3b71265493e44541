// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/tree_keys.h"

#include <charconv>

namespace zelvo {

std::string NodeKey(std::string_view prefix, int number) {
    return std::string(prefix) + std::to_string(number);
}

ParsedKey ParseKey(std::string_view key) {
    constexpr std::size_t kPrefixSize = 5;
    ParsedKey parsed;
    parsed.prefix = std::string(key.substr(0, kPrefixSize));
    if (key.size() <= kPrefixSize) return parsed;
    const std::string_view digits = key.substr(kPrefixSize);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc{} && end == digits.data() + digits.size() && value >= 0) {
        parsed.number = value;
    }
    return parsed;
}

}  // namespace zelvo
