// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/model.h"

namespace zelvo {

std::string DisplayText(const std::string& text) { return text.substr(0, text.find('\0')); }

std::span<const sfGenList> ZoneGenerators(const std::vector<sfPresetBag>& bags,
                                          const std::vector<sfGenList>& gens, int bag) {
    if (bag < 1 || static_cast<std::size_t>(bag) >= bags.size()) return {};
    // The load checked that every bag's generators follow the bag before's.
    const std::size_t first = std::size_t{1} + bags[static_cast<std::size_t>(bag)].wGenNdx - bags[1].wGenNdx;
    const std::size_t count = static_cast<std::size_t>(bags[static_cast<std::size_t>(bag)].genCount);
    if (first + count > gens.size()) return {};
    return std::span(gens).subspan(first, count);
}

std::string InstrumentName(const SoundFontModel& model, int instrument) {
    if (instrument < 1 || instrument > model.InstCount) return {};
    return DisplayText(model.InstHeaders.at(static_cast<std::size_t>(instrument)).achInstName);
}

std::optional<int> FindPreset(const SoundFontModel& model, int bank, int program) {
    for (int p = 1; p <= model.PresetCount; ++p) {
        const sfPresetHeader& h = model.PresetHeaders[static_cast<std::size_t>(p)];
        if (h.wBank == bank && h.wPreset == program) return p;
    }
    return std::nullopt;
}

}  // namespace zelvo
