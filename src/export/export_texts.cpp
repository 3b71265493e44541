#include "export/export_texts.h"

#include <algorithm>

#include "browser/text_encoding.h"

namespace zelvo {

std::string SavingText(const std::string& path) {
    return "Saving  " + path + "...";
}

std::string SavedText(const std::string& path) {
    return "File  " + path + "  was saved";
}

std::string ProposedExportPath(const SoundFontModel& model, const std::string& nodeText) {
    std::string name = Latin1ToUtf8(nodeText);
    std::replace(name.begin(), name.end(), '/', '_');
    return model.FileFolder + name + kWaveFileExtension;
}

}  // namespace zelvo
