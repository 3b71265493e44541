// One function per zelvo-cli command; args excludes the command name.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "soundfont/browse_tree.h"
#include "soundfont/model.h"

namespace zelvo::cli {

using Args = std::vector<std::string>;

inline constexpr std::string_view kAllOption = "--all";

int RunTree(const Args& args, std::ostream& out, std::ostream& err);
int RunInfo(const Args& args, std::ostream& out, std::ostream& err);
int RunExport(const Args& args, std::ostream& out, std::ostream& err);
int RunDetails(const Args& args, std::ostream& out, std::ostream& err);
int RunInspect(const Args& args, std::ostream& out, std::ostream& err);

// Loads path as the Open command does; reports a failure on err and returns
// false.
bool LoadForCli(const std::string& path, SoundFontModel& model, BrowseTree& tree,
                std::ostream& err);

}  // namespace zelvo::cli
