// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/node_details.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "soundfont/memory_tree.h"

namespace zelvo::cli {
namespace {

template <typename Items, typename Text>
void PrintLine(Output& out, const Items& items, Text text) {
    std::vector<std::string> cells;
    for (const auto& item : items) cells.push_back(DisplayText(text(item)));
    out.Row(cells);
}

}  // namespace

int RunDetails(const Args& args, Output& out, Output& err) {
    ExpectArguments(args, 2, 2);
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(args[0], model, tree, err)) return kExitFailure;
    const std::string& key = args[1];
    if (tree.Find(key) == nullptr) {
        throw UsageError(args[0] + " has no tree node " + key);
    }
    const NodeDetails details = BuildNodeDetails(key, model);
    if (details.columns.empty()) return kExitOk;
    PrintLine(out, details.columns, [](const DetailColumn& c) { return c.title; });
    for (const DetailRow& row : details.rows) {
        PrintLine(out, row.cells, [](const std::string& cell) { return cell; });
    }
    return kExitOk;
}

}  // namespace zelvo::cli
