// SPDX-License-Identifier: GPL-3.0-or-later
// Keys of the browse tree: a five-character prefix, then for numbered nodes
// the 1-based record or zone number in decimal. Keys are the only link from a
// node back to the model.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

inline constexpr std::string_view kRootKey = "node1";
inline constexpr std::string_view kPresetsKey = "nodeP";
inline constexpr std::string_view kInstrumentsKey = "nodeI";
inline constexpr std::string_view kSamplesKey = "nodeS";
inline constexpr std::string_view kPresetZonePrefix = "PGene";
inline constexpr std::string_view kInstZonePrefix = "IGene";

std::string NodeKey(std::string_view prefix, int number);

struct ParsedKey {
    std::string prefix;         // the first five characters (the whole key when shorter)
    std::optional<int> number;  // the decimal number after them, when there is one
};

ParsedKey ParseKey(std::string_view key);

}  // namespace zelvo
