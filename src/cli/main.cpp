// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>
#include <new>

#include "cli/cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        return zelvo::cli::RunCli(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        // A load that runs out says so itself; this is for the rest.
        std::cerr << "zelvo-cli: not enough memory\n";
        return zelvo::cli::kExitFailure;
    }
}
