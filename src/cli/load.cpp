// SPDX-License-Identifier: GPL-3.0-or-later
#include <new>

#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "cli/commands.h"

namespace zelvo::cli {

void ExpectArguments(const Args& args, std::size_t from, std::size_t to) {
    if (args.size() >= from && args.size() <= to) return;
    const std::string expected = std::to_string(from) + (to > from ? " or " + std::to_string(to) : "");
    throw UsageError("expects " + expected + (to == 1 ? " argument" : " arguments") + ", not " +
                     std::to_string(args.size()));
}

void PrintFileError(Output& err, const std::string& file, std::string_view message) {
    err << "zelvo-cli: " << file << ": " << message << kNewLine;
}

bool LoadForCli(const std::string& path, SoundFontModel& model, BrowseTree& tree, Output& err) {
    try {
        OpenSoundFont(model, path, tree);
        return true;
    } catch (const SoundFontError& e) {
        PrintFileError(err, path, DescribeError(e));
    } catch (const FileAccessError& e) {
        err << "zelvo-cli: cannot open " << e.what() << kNewLine;
    } catch (const std::bad_alloc&) {
        // The failed load has already given back what it held.
        err << "zelvo-cli: not enough memory to load " << path << kNewLine;
    }
    return false;
}

}  // namespace zelvo::cli
