// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <algorithm>

#include "browser/licence.h"

namespace zelvo {
namespace {

// An answer that opens no file.
CommandLine Answer(CommandLine::Action action, std::string error = {}) {
    return {action, {}, std::move(error)};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    const auto given = [&](std::initializer_list<const char*> spellings) {
        return std::any_of(args.begin(), args.end(), [&](const std::string& arg) {
            return std::find(spellings.begin(), spellings.end(), arg) != spellings.end();
        });
    };
    if (given({"-h", "--help"})) return Answer(CommandLine::Action::Help);
    if (given({"--version"})) return Answer(CommandLine::Action::Version);

    CommandLine line;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            return Answer(CommandLine::Action::UsageError, "unknown option " + arg);
        } else if (!line.file.empty()) {
            return Answer(CommandLine::Action::UsageError, "only one FILE can be opened");
        } else if (arg.empty()) {
            return Answer(CommandLine::Action::UsageError, "FILE is empty");
        } else {
            line.file = arg;
        }
    }
    return line;
}

std::string UsageText() {
    return "usage: zelvo [FILE]\n"
           "\n"
           "Browse a SoundFont (.sf2, .sf3) and save its instruments as Yamaha EX5/EX7\n"
           "waves. FILE, when given, is opened once the window shows.\n"
           "\n"
           "  -h, --help     show this text\n"
           "  --version      show the version\n";
}

std::string VersionText() {
    return "zelvo " + std::to_string(ZELVO_VERSION_MAJOR) + "." + std::to_string(ZELVO_VERSION_MINOR) +
           "." + std::to_string(ZELVO_VERSION_PATCH) + "\n" + kCopyrightText + "\n" + kLicenceText;
}

}  // namespace zelvo
