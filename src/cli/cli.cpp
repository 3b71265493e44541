#include "cli/cli.h"

#include <functional>
#include <map>

#include "cli/commands.h"

namespace zelvo::cli {
namespace {

constexpr const char* kUsage =
    "usage: zelvo-cli COMMAND FILE ...\n"
    "\n"
    "  tree FILE    print the browse tree of a SoundFont 2 file\n"
    "  info FILE    print the file's information texts\n"
    "  export FILE N [OUT] [--as-stored]\n"
    "               save instrument N as an EX5/7 wave; OUT defaults to the\n"
    "               instrument's name + .s1m in FILE's folder. Samples become\n"
    "               44.1 kHz with their pitch corrections in the fine tune;\n"
    "               --as-stored writes them as the SoundFont stores them\n"
    "  export FILE --all DIR [--as-stored]\n"
    "               save every instrument with zones into DIR\n"
    "  report FILE [N] [--json] [--as-stored]\n"
    "               what the export does to instrument N; without N, one line\n"
    "               per instrument: number, name, zones, samples, output bytes,\n"
    "               warnings, and ok, changed or refused\n"
    "  details FILE KEY\n"
    "               print the detail list of tree node KEY: column titles, then\n"
    "               one line per row, TAB-separated\n"
    "  inspect FILE.s1m\n"
    "               check an EX5/7 wave file and print its key map and sample\n"
    "               headers, TAB-separated\n";

using Command = std::function<int(const Args&, std::ostream&, std::ostream&)>;

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

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help" || args[0] == "help")) {
        out << kUsage;
        return kExitOk;
    }
    const auto command = args.empty() ? Commands().end() : Commands().find(args[0]);
    if (command == Commands().end()) {
        err << kUsage;
        return kExitUsage;
    }
    const int status = command->second(Args(args.begin() + 1, args.end()), out, err);
    if (status == kExitUsage) err << kUsage;
    return status;
}

}  // namespace zelvo::cli
