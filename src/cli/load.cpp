#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "cli/commands.h"

namespace zelvo::cli {

bool LoadForCli(const std::string& path, SoundFontModel& model, BrowseTree& tree,
                std::ostream& err) {
    try {
        OpenSoundFont(model, path, tree);
        return true;
    } catch (const SoundFontError& e) {
        err << DescribeError(e) << ": " << path << "\n";
    } catch (const FileAccessError& e) {
        err << "zelvo-cli: cannot open " << e.what() << "\n";
    }
    return false;
}

}  // namespace zelvo::cli
