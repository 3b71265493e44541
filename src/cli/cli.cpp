#include "cli/cli.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

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
    "               save instrument N as an EX5/7 wave, samples at 44.1 kHz\n"
    "               (--as-stored: as stored); OUT defaults to the\n"
    "               instrument's name + .s1m in FILE's folder\n"
    "  export FILE --all DIR [--as-stored]\n"
    "               save every instrument with zones into DIR\n"
    "  report FILE [N] [--json] [--as-stored]\n"
    "               what the export does to instrument N, or per instrument:\n"
    "               name, zones, samples, bytes, warnings, ok/changed/refused\n"
    "  details FILE KEY\n"
    "               print the detail list of tree node KEY: column titles, then\n"
    "               one line per row, TAB-separated\n"
    "  inspect FILE.s1m\n"
    "               check an EX5/7 wave file and print its key map and sample\n"
    "               headers, TAB-separated\n";

using Command = std::function<int(const Args&, Output&, Output&)>;

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"tree", RunTree},
        {"info", RunInfo},
        {"export", RunExport},
        {"details", RunDetails},
        {"inspect", RunInspect},
        {"report", RunReport},
    };
    return commands;
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// "export FILE --all DIR" has its option in one place; --as-stored (export,
// report) and --json (report) may follow FILE anywhere. Anything else that
// looks like an option is a mistake, never a file name.
bool HasMisplacedOption(const std::string& command, const Args& given) {
    Args args = given;
    const bool takesAsStored = command == "export" || command == "report";
    if (takesAsStored && args.size() > 1 && args[0] != kAsStoredOption) {
        TakeOption(args, kAsStoredOption);
        if (command == "report") TakeOption(args, kJsonOption);
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool allInPlace =
            command == "export" && i == 1 && args.size() == 3 && args[i] == kAllOption;
        if (IsOption(args[i]) && !allInPlace) return true;
    }
    return false;
}

// Output that did not reach its file, on a full disk for one, is a failure
// like any other. The system's reason is known when the last flush fails;
// an earlier failure's may have been overwritten since.
bool OutputWritten(std::ostream& out, Output& err) {
    int error = 0;
    if (out) {
        errno = 0;
        out.flush();
        error = errno;
    }
    if (out) return true;
    err << "zelvo-cli: cannot write the output";
    if (error != 0) err << ": " << std::strerror(error);
    err << kNewLine;
    return false;
}

// The command's status; usage errors print the usage.
int RunCommand(const std::vector<std::string>& args, Output& out, Output& err) {
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help" || args[0] == "help")) {
        out << MultiLineText{kUsage};
        return kExitOk;
    }
    if (!args.empty() && args[0] == "--version") {
        out << "zelvo-cli " << ZELVO_VERSION << kNewLine;
        return kExitOk;
    }
    const auto command = args.empty() ? Commands().end() : Commands().find(args[0]);
    const Args commandArgs(args.begin() + (args.empty() ? 0 : 1), args.end());
    const int status = command == Commands().end() || HasMisplacedOption(args[0], commandArgs)
                           ? kExitUsage
                           : command->second(commandArgs, out, err);
    if (status == kExitUsage) err << MultiLineText{kUsage};
    return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Output output(out), errors(err);
    const int status = RunCommand(args, output, errors);
    return !OutputWritten(out, errors) && status == kExitOk ? kExitFailure : status;
}

}  // namespace zelvo::cli
