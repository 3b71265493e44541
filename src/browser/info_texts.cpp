// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/info_texts.h"

namespace zelvo {

std::array<std::string, kInfoLineCount> InfoTexts(const SoundFontModel& m) {
    if (m.FileName.empty()) return {"No SoundFont file"};
    return {
        DisplayText("Filename: " + m.FileName),
        DisplayText("SoundFont File Version " + m.InfoVersion),
        DisplayText("Sound Engine: " + m.InfoSoundEngine),
        DisplayText("ROM wavetable: " + m.InfoRomName),
        DisplayText("ROM Revision " + m.InfoRomVersion),
        DisplayText("Bank Name: " + m.InfoBankName),
        DisplayText("Created: " + m.InfoCreationDate),
        DisplayText("Engineer: " + m.InfoEngineers),
        DisplayText("Intended for: " + m.InfoProduct),
        DisplayText("Copyright: " + m.InfoCopyright),
        DisplayText("Created with: " + m.InfoTools),
        DisplayText("Comments: " + m.InfoComments),
    };
}

}  // namespace zelvo
