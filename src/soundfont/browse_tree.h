// SPDX-License-Identifier: GPL-3.0-or-later
// The browse tree as the reader sees it: nodes named by unique keys. The
// desktop program puts a tree widget behind it, the CLI and the tests an
// in-memory tree.
#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// Image indices of the tree's image list (1-based).
inline constexpr int kImageFile = 6;
inline constexpr int kImagePreset = 20;
inline constexpr int kImageInstrument = 21;
inline constexpr int kImageSample = 22;

class BrowseTree {
public:
    virtual ~BrowseTree() = default;
    virtual void Clear() = 0;
    // Appends a node as the last child of parentKey (top level when empty).
    // Texts are 8-bit characters, one per file byte, already cut at their NUL.
    virtual void AddNode(std::string_view parentKey, std::string_view key, std::string_view text,
                         int image) = 0;
    virtual void SetNodeText(std::string_view key, std::string_view text) = 0;
    virtual void Collapse(std::string_view key) = 0;
    virtual void MakeVisible(std::string_view key) = 0;
    virtual void Repaint() = 0;
};

}  // namespace zelvo
