// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's command line: zelvo [FILE], --help, --version.
#pragma once

#include <string>
#include <vector>

namespace zelvo {

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    std::string file;   // the SoundFont to open after start-up; empty for none
    std::string error;  // what was wrong, for UsageError
};

// args excludes the program name. --help and --version win wherever they
// stand, so they answer before the windowing system is asked for a display.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

// The text of --version: "zelvo 0.1.83", the copyright and the licence.
std::string VersionText();

}  // namespace zelvo
