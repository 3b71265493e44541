// SPDX-License-Identifier: GPL-3.0-or-later
// zelvo-cli: the headless companion of the desktop program, on the same core.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zelvo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// args excludes the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zelvo::cli
