#include <new>

#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "cli/commands.h"

namespace zelvo::cli {

bool LoadForCli(const std::string& path, SoundFontModel& model, BrowseTree& tree, Output& err) {
    try {
        OpenSoundFont(model, path, tree);
        return true;
    } catch (const SoundFontError& e) {
        err << DescribeError(e) << ": " << path << kNewLine;
    } catch (const FileAccessError& e) {
        err << "zelvo-cli: cannot open " << e.what() << kNewLine;
    } catch (const std::bad_alloc&) {
        // The failed load has already given back what it held.
        err << "zelvo-cli: not enough memory to load " << path << kNewLine;
    }
    return false;
}

}  // namespace zelvo::cli
