// The browse tree of the main window: the reader's tree operations on
// TreeView1, each node an item that carries its key.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

#include "app/image_list.h"
#include "soundfont/browse_tree.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace zelvo {

class TreeWidgetBrowseTree final : public BrowseTree {
public:
    TreeWidgetBrowseTree(QTreeWidget& tree, const ImageList& images);

    void Clear() override;
    void AddNode(std::string_view parentKey, std::string_view key, std::string_view text,
                 int image) override;
    void SetNodeText(std::string_view key, std::string_view text) override;
    void Collapse(std::string_view key) override;
    void MakeVisible(std::string_view key) override;
    void Repaint() override;

    // The item of a key; null when the tree has no such node.
    QTreeWidgetItem* Find(std::string_view key) const;
    static std::optional<std::string> KeyOf(const QTreeWidgetItem* item);

private:
    QTreeWidget& tree_;
    const ImageList& images_;
    std::unordered_map<std::string, QTreeWidgetItem*> items_;
};

}  // namespace zelvo
