// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/memory_tree.h"

#include <stdexcept>

namespace zelvo {

void MemoryTree::Clear() {
    nodes_.clear();
    tops_.clear();
    index_.clear();
}

void MemoryTree::AddNode(std::string_view parentKey, std::string_view key, std::string_view text,
                         int image) {
    const int self = static_cast<int>(nodes_.size());
    if (!index_.emplace(std::string(key), self).second) {
        throw std::logic_error("duplicate tree key " + std::string(key));
    }
    Node node{std::string(key), std::string(text), image, -1, {}, false};
    if (parentKey.empty()) {
        tops_.push_back(self);
    } else {
        const int parent = index_.at(std::string(parentKey));
        node.parent = parent;
        nodes_[static_cast<std::size_t>(parent)].children.push_back(self);
    }
    nodes_.push_back(std::move(node));
}

MemoryTree::Node& MemoryTree::At(std::string_view key) {
    return nodes_[static_cast<std::size_t>(index_.at(std::string(key)))];
}

const MemoryTree::Node* MemoryTree::Find(std::string_view key) const {
    const auto found = index_.find(std::string(key));
    return found == index_.end() ? nullptr : &nodes_[static_cast<std::size_t>(found->second)];
}

void MemoryTree::SetNodeText(std::string_view key, std::string_view text) { At(key).text = text; }

void MemoryTree::Collapse(std::string_view key) { At(key).expanded = false; }

void MemoryTree::Replay(BrowseTree& tree) const {
    tree.Clear();
    Walk([&](const Node& node, int) {
        const std::string_view parent =
            node.parent < 0 ? std::string_view() : nodes_[static_cast<std::size_t>(node.parent)].key;
        tree.AddNode(parent, node.key, node.text, node.image);
    });
    for (const Node& node : nodes_) {
        if (node.expanded && !node.children.empty()) {
            tree.MakeVisible(nodes_[static_cast<std::size_t>(node.children.front())].key);
        }
    }
    if (!tops_.empty()) tree.MakeVisible(nodes_[static_cast<std::size_t>(tops_.front())].key);
}

void MemoryTree::MakeVisible(std::string_view key) {
    for (int p = At(key).parent; p >= 0; p = nodes_[static_cast<std::size_t>(p)].parent) {
        nodes_[static_cast<std::size_t>(p)].expanded = true;
    }
}

}  // namespace zelvo
