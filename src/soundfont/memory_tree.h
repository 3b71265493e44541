// SPDX-License-Identifier: GPL-3.0-or-later
// A browse tree held in memory: the CLI prints it, tests and benchmarks
// inspect it.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "soundfont/browse_tree.h"

namespace zelvo {

class MemoryTree : public BrowseTree {
public:
    struct Node {
        std::string key;
        std::string text;
        int image = 0;
        int parent = -1;  // index in nodes(), -1 at the top level
        std::vector<int> children;
        bool expanded = false;
    };

    void Clear() override;
    void AddNode(std::string_view parentKey, std::string_view key, std::string_view text,
                 int image) override;
    void SetNodeText(std::string_view key, std::string_view text) override;
    void Collapse(std::string_view key) override;
    void MakeVisible(std::string_view key) override;
    void Repaint() override { ++repaints_; }

    // Builds the same nodes in tree, expanded alike, the first top node made visible.
    void Replay(BrowseTree& tree) const;

    const std::vector<Node>& nodes() const { return nodes_; }
    const Node* Find(std::string_view key) const;
    int repaints() const { return repaints_; }
    // Visits nodes depth-first in tree order with their depth (0 at the top).
    template <typename Visit>
    void Walk(Visit visit) const {
        for (const int top : tops_) WalkFrom(top, 0, visit);
    }

private:
    template <typename Visit>
    void WalkFrom(int index, int depth, Visit& visit) const {
        visit(nodes_[static_cast<std::size_t>(index)], depth);
        for (const int child : nodes_[static_cast<std::size_t>(index)].children) {
            WalkFrom(child, depth + 1, visit);
        }
    }
    Node& At(std::string_view key);

    std::vector<Node> nodes_;
    std::vector<int> tops_;
    std::unordered_map<std::string, int> index_;
    int repaints_ = 0;
};

}  // namespace zelvo
