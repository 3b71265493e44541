// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tree_widget_browse_tree.h"

#include <QFile>
#include <QTreeWidget>

#include "app/soundfont_text.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

constexpr int kKeyRole = Qt::UserRole;

// The root's text is the file's name and comes from the file system.
QString NodeText(std::string_view key, std::string_view text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return key == kRootKey ? QFile::decodeName(bytes) : FromSoundFontText(text);
}

}  // namespace

TreeWidgetBrowseTree::TreeWidgetBrowseTree(QTreeWidget& tree, const ImageList& images)
    : tree_(tree), images_(images) {}

void TreeWidgetBrowseTree::Clear() {
    items_.clear();
    pendingScroll_ = nullptr;
    tree_.clear();
}

void TreeWidgetBrowseTree::AddNode(std::string_view parentKey, std::string_view key,
                                   std::string_view text, int image) {
    auto item = std::make_unique<QTreeWidgetItem>();
    item->setText(0, NodeText(key, text));
    item->setIcon(0, images_.Image(image));
    item->setData(0, kKeyRole, QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size())));
    QTreeWidgetItem* const added = item.get();
    if (QTreeWidgetItem* parent = parentKey.empty() ? nullptr : Find(parentKey)) {
        parent->addChild(item.release());
    } else {
        tree_.addTopLevelItem(item.release());
    }
    items_[std::string(key)] = added;
}

void TreeWidgetBrowseTree::SetNodeText(std::string_view key, std::string_view text) {
    if (QTreeWidgetItem* item = Find(key)) item->setText(0, NodeText(key, text));
}

void TreeWidgetBrowseTree::Collapse(std::string_view key) {
    if (QTreeWidgetItem* item = Find(key)) item->setExpanded(false);
}

void TreeWidgetBrowseTree::MakeVisible(std::string_view key) {
    QTreeWidgetItem* item = Find(key);
    if (!item) return;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) {
        if (!p->isExpanded()) p->setExpanded(true);
    }
    pendingScroll_ = item;
}

void TreeWidgetBrowseTree::Repaint() {
    if (sinceRepaint_.isValid() && sinceRepaint_.elapsed() < kRepaintInterval) return;
    Flush();
}

void TreeWidgetBrowseTree::Flush() {
    if (pendingScroll_) tree_.scrollToItem(pendingScroll_);
    pendingScroll_ = nullptr;
    tree_.viewport()->repaint();
    sinceRepaint_.start();
}

void TreeWidgetBrowseTree::Filter(const QString& text) {
    for (const std::string_view group : {kPresetsKey, kInstrumentsKey, kSamplesKey}) {
        QTreeWidgetItem* parent = Find(group);
        for (int i = 0; parent && i < parent->childCount(); ++i) {
            QTreeWidgetItem* item = parent->child(i);
            item->setHidden(!item->text(0).contains(text, Qt::CaseInsensitive));
        }
    }
}

QTreeWidgetItem* TreeWidgetBrowseTree::Find(std::string_view key) const {
    const auto found = items_.find(std::string(key));
    return found == items_.end() ? nullptr : found->second;
}

std::optional<std::string> TreeWidgetBrowseTree::KeyOf(const QTreeWidgetItem* item) {
    if (!item) return std::nullopt;
    return item->data(0, kKeyRole).toString().toStdString();
}

}  // namespace zelvo
