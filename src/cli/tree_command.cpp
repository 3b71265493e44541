#include "browser/text_encoding.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace zelvo::cli {

int RunTree(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return kExitUsage;
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(args[0], model, tree, err)) return kExitFailure;
    tree.Walk([&](const MemoryTree::Node& node, int depth) {
        out << std::string(2 * static_cast<std::size_t>(depth), ' ') << node.key << '\t'
            << EscapedText(DisplayText(node.text)) << '\n';
    });
    out << CountText(model) << '\n';
    return kExitOk;
}

}  // namespace zelvo::cli
