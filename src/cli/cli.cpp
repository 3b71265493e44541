// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <optional>

#include "browser/licence.h"
#include "cli/commands.h"

namespace zelvo::cli {
namespace {

constexpr const char* kUsage =
    "usage: zelvo-cli COMMAND FILE ...\n"
    "       zelvo-cli --help | --version\n"
    "\n"
    "  tree FILE    print the browse tree of a SoundFont 2 file\n"
    "  info FILE    print the file's information texts\n"
    "  export FILE N [OUT] [--as-stored]\n"
    "               save instrument N as an EX5/7 wave, each zone as a\n"
    "               SoundFont player plays it, samples at 44.1 kHz\n"
    "               (--as-stored: points and tuning as stored); OUT defaults\n"
    "               to the instrument's name + .s1m in FILE's folder\n"
    "  export FILE --preset BANK:PROGRAM [OUT]\n"
    "               save a preset: every zone of every instrument it layers,\n"
    "               merged with its own; OUT defaults to \"BBB-PPP Name.s1m\"\n"
    "  export FILE --all DIR [--as-stored] [--jobs N]\n"
    "               save every instrument with zones into DIR, converting\n"
    "               each sample once on N threads (default: every core)\n"
    "  export FILE --all-presets DIR [--jobs N]\n"
    "               save every preset into DIR as \"BBB-PPP Name.s1m\"\n"
    "  report FILE [N | --preset BANK:PROGRAM] [--json] [--as-stored]\n"
    "               what the export does to instrument N or a preset, or per\n"
    "               instrument: name, zones, samples, bytes, warnings,\n"
    "               ok/changed/refused\n"
    "  report FILE --clipping [--jobs N] [--json]\n"
    "               the per-instrument report with clipped points counted,\n"
    "               converting every sample once\n"
    "  details FILE KEY\n"
    "               print the detail list of tree node KEY: column titles, then\n"
    "               one line per row, TAB-separated\n"
    "  inspect FILE.s1m\n"
    "               check an EX5/7 wave file and print its key map and sample\n"
    "               headers, TAB-separated\n"
    "  calibration OUT.s1m\n"
    "               write a wave that checks the EX5/7's tune units against a\n"
    "               tuner (see the manual)\n";

using Command = std::function<int(const Args&, Output&, Output&)>;

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"tree", RunTree},
        {"info", RunInfo},
        {"export", RunExport},
        {"details", RunDetails},
        {"inspect", RunInspect},
        {"report", RunReport},
        {"calibration", RunCalibration},
    };
    return commands;
}

// A negative number is a wrong instrument number, not an option.
bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-' && arg.find_first_not_of("0123456789", 1) != std::string::npos;
}

// "export FILE --all DIR" and "--all-presets DIR" have their option in one
// place; --as-stored (export, report), --json and --clipping (report), and
// --preset and --jobs with their values (export, report) may follow FILE
// anywhere. Anything else that looks
// like an option is a mistake, never a file name.
std::optional<std::string> MisplacedOption(const std::string& command, const Args& given) {
    Args args = given;
    const bool exportOrReport = command == "export" || command == "report";
    if (exportOrReport && args.size() > 1 && !IsOption(args[0])) {
        TakeOption(args, kAsStoredOption);
        TakeOptionValue(args, kPresetOption);
        TakeOptionValue(args, kJobsOption);
        if (command == "report") TakeOption(args, kJsonOption);
        if (command == "report") TakeOption(args, kClippingOption);
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool allInPlace = command == "export" && i == 1 && args.size() == 3 &&
                                (args[i] == kAllOption || args[i] == kAllPresetsOption);
        if (IsOption(args[i]) && !allInPlace) return args[i];
    }
    return std::nullopt;
}

// Output that did not reach its file, on a full disk for one, is a failure
// like any other, with the system's reason from the write that failed.
bool OutputWritten(Output& out, Output& err) {
    int reason = 0;
    if (out.Flush(reason)) return true;
    err << "zelvo-cli: cannot write the output";
    if (reason != 0) err << ": " << std::strerror(reason);
    err << kNewLine;
    return false;
}

// The command's status; a usage error prints its fault, then the usage.
int RunCommand(const std::vector<std::string>& args, Output& out, Output& err) {
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help" || args[0] == "help")) {
        out << MultiLineText{kUsage};
        return kExitOk;
    }
    if (!args.empty() && args[0] == "--version") {
        out << "zelvo-cli " << ZELVO_VERSION << kNewLine << kCopyrightText << kNewLine
            << MultiLineText{kLicenceText} << kNewLine;
        return kExitOk;
    }
    try {
        if (args.empty()) throw UsageError("no command given");
        const auto command = Commands().find(args[0]);
        if (command == Commands().end()) throw UsageError("unknown command '" + args[0] + "'");
        const Args commandArgs(args.begin() + 1, args.end());
        try {
            if (const auto option = MisplacedOption(args[0], commandArgs)) {
                throw UsageError("unknown or misplaced option '" + *option + "'");
            }
            return command->second(commandArgs, out, err);
        } catch (const UsageError& e) {
            throw UsageError(args[0] + ": " + e.what());
        }
    } catch (const UsageError& e) {
        err << "zelvo-cli: " << e.what() << kNewLine << MultiLineText{kUsage};
        return kExitUsage;
    }
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Output output(out), errors(err);
    const int status = RunCommand(args, output, errors);
    return !OutputWritten(output, errors) && status == kExitOk ? kExitFailure : status;
}

}  // namespace zelvo::cli
