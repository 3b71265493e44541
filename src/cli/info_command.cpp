#include "browser/info_texts.h"
#include "browser/text_encoding.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "soundfont/memory_tree.h"

namespace zelvo::cli {

int RunInfo(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return kExitUsage;
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(args[0], model, tree, err)) return kExitFailure;
    // Comments may hold lines and columns of their own; nothing else reaches the terminal.
    for (const std::string& line : InfoTexts(model)) out << EscapedText(line, U"\t\r\n") << '\n';
    return kExitOk;
}

}  // namespace zelvo::cli
