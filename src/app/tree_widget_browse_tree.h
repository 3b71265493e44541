// SPDX-License-Identifier: GPL-3.0-or-later
// The browse tree of the main window: the reader's tree operations on
// TreeView1, each node an item that carries its key.
#pragma once

#include <QElapsedTimer>
#include <QString>
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
    // Expands the node's parents; the scroll to it waits for the next paint.
    void MakeVisible(std::string_view key) override;
    // Paints at most every kRepaintInterval ms: painting after every preset
    // would take most of a big bank's load.
    void Repaint() override;
    // Scrolls to the last node made visible and paints now, whenever the last
    // paint was; for the end of a load.
    void Flush();

    static constexpr int kRepaintInterval = 30;

    // Hides the presets, instruments and samples whose names do not contain
    // text (in any case), with their zones; an empty text shows them all.
    void Filter(const QString& text);

    // The item of a key; null when the tree has no such node.
    QTreeWidgetItem* Find(std::string_view key) const;
    static std::optional<std::string> KeyOf(const QTreeWidgetItem* item);

private:
    QTreeWidget& tree_;
    const ImageList& images_;
    std::unordered_map<std::string, QTreeWidgetItem*> items_;
    QTreeWidgetItem* pendingScroll_ = nullptr;
    QElapsedTimer sinceRepaint_;
};

}  // namespace zelvo
