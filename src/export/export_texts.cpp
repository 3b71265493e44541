// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_texts.h"

#include <cstdio>

#include "browser/text_encoding.h"

namespace zelvo {

std::string SavingText(const std::string& path) {
    return "Saving  " + path + "...";
}

std::string SavedText(const std::string& path) {
    return "File  " + path + "  was saved";
}

std::string NoInstrumentText(std::string_view number, int count) {
    const std::string text = "There is no instrument " + std::string(number) + " in this SoundFont";
    if (count < 1) return text + ", which has none.";
    return text + "; its instruments are numbered 1 to " + std::to_string(count) + ".";
}

std::string WaveFileStem(std::string_view name, int instrument) {
    static constexpr std::u32string_view kRejected = U"\\/:*?\"<>|";
    std::u32string stem = SoundFontCharacters(name);
    for (char32_t& c : stem) {
        if (IsControlCharacter(c) || kRejected.find(c) != std::u32string_view::npos) c = U'_';
    }
    // "", "." and ".." name no new file, and a name of dots and spaces alone
    // gives a hidden or invisible one.
    if (stem.find_first_not_of(U". ") == std::u32string::npos) {
        return "Instrument " + std::to_string(instrument);
    }
    return ToUtf8(stem);
}

std::string ProposedExportPath(const SoundFontModel& model, int instrument) {
    return model.FileFolder + WaveFileStem(InstrumentName(model, instrument), instrument) +
           kWaveFileExtension;
}

std::string PresetFileStem(const SoundFontModel& model, int preset) {
    const sfPresetHeader& header = model.PresetHeaders.at(static_cast<std::size_t>(preset));
    char number[16];
    std::snprintf(number, sizeof number, "%03u-%03u ", unsigned{header.wBank}, unsigned{header.wPreset});
    // The numbers keep the stem from being empty or only dots and spaces.
    return WaveFileStem(number + DisplayText(header.achPresetName), preset);
}

std::string ProposedPresetExportPath(const SoundFontModel& model, int preset) {
    return model.FileFolder + PresetFileStem(model, preset) + kWaveFileExtension;
}

}  // namespace zelvo
