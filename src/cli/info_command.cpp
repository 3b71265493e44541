// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/info_texts.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "soundfont/memory_tree.h"

namespace zelvo::cli {

int RunInfo(const Args& args, Output& out, Output& err) {
    ExpectArguments(args, 1, 1);
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(args[0], model, tree, err)) return kExitFailure;
    // Comments may hold lines and columns of their own; nothing else reaches the terminal.
    for (const std::string& line : InfoTexts(model)) out << MultiLineText{line} << kNewLine;
    return kExitOk;
}

}  // namespace zelvo::cli
