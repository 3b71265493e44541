// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"
#include "cli/commands.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace zelvo::cli {

int RunTree(const Args& args, Output& out, Output& err) {
    ExpectArguments(args, 1, 1);
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(args[0], model, tree, err)) return kExitFailure;
    tree.Walk([&](const MemoryTree::Node& node, int depth) {
        out << std::string(2 * static_cast<std::size_t>(depth), ' ') << node.key << kTab
            << DisplayText(node.text) << kNewLine;
    });
    out << CountText(model) << kNewLine;
    return kExitOk;
}

}  // namespace zelvo::cli
