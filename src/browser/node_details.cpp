// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/node_details.h"

#include <cstdint>

#include "browser/gen_value_text.h"
#include "browser/names.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

std::vector<DetailColumn> PresetColumns() {
    return {{"Bank", 900, Alignment::Right},
            {"Preset", 900, Alignment::Right},
            {"PBAG", 900, Alignment::Right}};
}

std::vector<DetailColumn> GeneratorColumns() {
    return {{"Gen Nr", 900, Alignment::Right},
            {"Generator", 2200, Alignment::Left},
            {"Amount", 1800, Alignment::Right}};
}

std::vector<DetailColumn> SampleColumns() {
    return {{"Type", 900, Alignment::Right},       {"Size", 900, Alignment::Right},
            {"Start loop", 900, Alignment::Right}, {"End loop", 900, Alignment::Right},
            {"Rate Hz", 900, Alignment::Right},    {" Root Key", 900, Alignment::Right}};
}

bool InRange(std::optional<int> n, int count) {
    return n && *n >= 1 && *n <= count;
}

NodeDetails PresetDetails(std::optional<int> preset, const SoundFontModel& m) {
    NodeDetails details{PresetColumns(), {}};
    if (!InRange(preset, m.PresetCount)) return details;
    const sfPresetHeader& h = m.PresetHeaders[static_cast<std::size_t>(*preset)];
    details.rows.push_back(
        {{std::to_string(h.wBank), std::to_string(h.wPreset), std::to_string(h.wPresetBagNdx)}});
    return details;
}

// Generators are held in zone order from slot 1, so a zone's first one is
// its wGenNdx counted from the first zone's, whatever number the file starts at.
NodeDetails GeneratorDetails(std::optional<int> zone, int zoneCount,
                             const std::vector<sfPresetBag>& bags,
                             const std::vector<sfGenList>& gens, const SoundFontModel& m) {
    NodeDetails details{GeneratorColumns(), {}};
    if (!InRange(zone, zoneCount) || static_cast<std::size_t>(*zone) >= bags.size()) {
        return details;
    }
    const sfPresetBag& bag = bags[static_cast<std::size_t>(*zone)];
    const long first = static_cast<long>(bag.wGenNdx) - bags[1].wGenNdx + 1;
    for (int k = 1; k <= bag.genCount; ++k) {
        const long slot = first + k - 1;
        if (slot < 1 || static_cast<std::size_t>(slot) >= gens.size()) continue;
        const sfGenList& g = gens[static_cast<std::size_t>(slot)];
        const std::optional<std::string_view> name = GenName(g.sfGenOper);
        const std::optional<std::string> value = GenValueText(m, g);
        details.rows.push_back(
            {{std::to_string(k), std::string(name.value_or("")), DisplayText(value.value_or(""))}});
    }
    return details;
}

NodeDetails SampleDetails(std::optional<int> sample, const SoundFontModel& m) {
    NodeDetails details{SampleColumns(), {}};
    if (!InRange(sample, m.SampleCount)) return details;
    const sfSample& s = m.SampleHeaders[static_cast<std::size_t>(*sample)];
    const std::int64_t size = s.IsCompressed() ? s.decodedLength
                                               : static_cast<std::int64_t>(s.dwEnd) - s.dwStart;
    if (size <= 0) return details;
    details.rows.push_back({{SampleTypeWord(s.sfSampleType), std::to_string(size),
                             std::to_string(s.dwStartloop), std::to_string(s.dwEndloop),
                             std::to_string(s.dwSampleRate), std::to_string(s.byOriginalPitch)}});
    return details;
}

}  // namespace

std::string SampleTypeWord(std::uint16_t sampleType) {
    if ((sampleType & kSampleTypeCompressed) && !(sampleType & kSampleTypeRom)) {
        const std::string word = SampleTypeWord(sampleType & ~kSampleTypeCompressed);
        return word.empty() ? "" : word + " (Ogg Vorbis)";
    }
    switch (sampleType) {
        case 1: return "mono";
        case 2: return "right";
        case 4: return "left";
        case 8: return "link";
        default: break;
    }
    if (sampleType >= 0x8001 && sampleType <= 0x8008) return "ROM";
    return "";
}

NodeDetails BuildNodeDetails(std::optional<std::string_view> key, const SoundFontModel& m) {
    if (!key) return {};
    const ParsedKey parsed = ParseKey(*key);
    if (parsed.prefix == kPresetsKey) return PresetDetails(parsed.number, m);
    if (parsed.prefix == kPresetZonePrefix) {
        return GeneratorDetails(parsed.number, m.PresetZoneCount, m.PresetBags, m.PresetGens, m);
    }
    if (parsed.prefix == kInstZonePrefix) {
        return GeneratorDetails(parsed.number, m.InstZoneCount, m.InstBags, m.InstGens, m);
    }
    if (parsed.prefix == kSamplesKey) return SampleDetails(parsed.number, m);
    return {};
}

}  // namespace zelvo
