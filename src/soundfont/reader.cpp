#include "soundfont/reader.h"

#include <cstdio>
#include <string_view>

#include "soundfont/errors.h"
#include "soundfont/tree_keys.h"

namespace zelvo {
namespace {

constexpr std::size_t kNameSize = 20;
constexpr std::uint64_t kPhdrSize = 38;
constexpr std::uint64_t kInstSize = 22;
constexpr std::uint64_t kShdrSize = 46;
constexpr std::uint64_t kBagSize = 4;
constexpr std::uint64_t kModSize = 10;
constexpr std::uint64_t kGenSize = 4;

// The end of a hydra chunk, so that its records never run past it.
class ChunkBounds {
public:
    ChunkBounds(ByteReader& in, std::string_view id) : in_(in), id_(id) {
        in_.ExpectChunkId(id);
        const std::uint32_t size = in_.ReadLong();
        end_ = in_.Offset() + size;
    }
    bool Complete() const { return in_.Offset() >= end_; }
    // Throws when n more bytes would not fit inside the chunk.
    void RequireRoom(std::uint64_t n) const {
        if (in_.Offset() + n > end_) {
            throw MalformedFileError("the " + std::string(id_) + " records do not fit their chunk",
                                     in_.Offset());
        }
    }

private:
    ByteReader& in_;
    std::string_view id_;
    std::uint64_t end_ = 0;
};

bool StartsWith(const std::string& name, std::string_view prefix) {
    return name.compare(0, prefix.size(), prefix) == 0;
}

// Bag indices of consecutive headers must not run backwards.
int ZoneCountBetween(std::uint16_t first, std::uint16_t next, const char* chunk,
                     std::uint64_t offset) {
    if (next < first) {
        throw MalformedFileError(std::string("a ") + chunk + " bag index runs backwards", offset);
    }
    return next - first;
}

template <typename Header>
void ReadBags(ReadContext& cx, std::string_view id, std::vector<Header>& headers, int ownerCount,
              std::vector<sfPresetBag>& bags, int zoneCount, std::string_view zonePrefix,
              std::string_view ownerPrefix, int image) {
    ChunkBounds chunk(cx.in, id);
    chunk.RequireRoom(kBagSize * (static_cast<std::uint64_t>(zoneCount) + 1));
    bags.assign(static_cast<std::size_t>(zoneCount) + 2, sfPresetBag{});
    for (int n = 1; n <= zoneCount + 1; ++n) {
        bags[n].wGenNdx = cx.in.ReadWord();
        bags[n].wModNdx = cx.in.ReadWord();
    }
    const std::uint64_t at = cx.in.Offset();
    int k = 0;
    for (int owner = 1; owner <= ownerCount; ++owner) {
        headers[owner].firstZoneNdx = k + 1;
        for (int z = 1; z <= headers[owner].zoneCount; ++z) {
            ++k;
            cx.tree.AddNode(NodeKey(ownerPrefix, owner), NodeKey(zonePrefix, k),
                            "Gen " + std::to_string(z), image);
            bags[k].ownerNdx = owner;
        }
    }
    for (k = 1; k <= zoneCount; ++k) {
        bags[k].modCount = ZoneCountBetween(bags[k].wModNdx, bags[k + 1].wModNdx, "modulator", at);
        bags[k].genCount = ZoneCountBetween(bags[k].wGenNdx, bags[k + 1].wGenNdx, "generator", at);
    }
}

void ReadMods(ReadContext& cx, std::string_view id, const std::vector<sfPresetBag>& bags,
              int zoneCount, std::vector<sfModList>& mods) {
    ChunkBounds chunk(cx.in, id);
    std::uint64_t total = 0;
    for (int z = 1; z <= zoneCount; ++z) total += static_cast<std::uint64_t>(bags[z].modCount);
    chunk.RequireRoom(kModSize * (total + 1));
    mods.assign(static_cast<std::size_t>(total) + 1, sfModList{});
    std::size_t m = 0;
    for (int z = 1; z <= zoneCount; ++z) {
        for (int j = 1; j <= bags[z].modCount; ++j) {
            sfModList& mod = mods[++m];
            mod.sfModSrcOper = cx.in.ReadWord();
            mod.sfModDestOper = cx.in.ReadWord();
            mod.modAmount = cx.in.ReadWord();
            mod.sfModAmtSrcOper = cx.in.ReadWord();
            mod.sfModTransOper = cx.in.ReadWord();
            mod.zoneNdx = z;
        }
    }
    cx.in.Skip(kModSize);  // the terminal record
}

void ReadGens(ReadContext& cx, std::string_view id, const std::vector<sfPresetBag>& bags,
              int zoneCount, std::vector<sfGenList>& gens) {
    ChunkBounds chunk(cx.in, id);
    std::uint64_t total = 0;
    for (int z = 1; z <= zoneCount; ++z) total += static_cast<std::uint64_t>(bags[z].genCount);
    chunk.RequireRoom(kGenSize * (total + 1));
    gens.assign(static_cast<std::size_t>(total) + 1, sfGenList{});
    std::size_t g = 0;
    for (int z = 1; z <= zoneCount; ++z) {
        for (int j = 1; j <= bags[z].genCount; ++j) {
            sfGenList& gen = gens[++g];
            gen.sfGenOper = cx.in.ReadWord();
            gen.genAmount = cx.in.ReadWord();
            gen.zoneNdx = z;
        }
    }
    cx.in.Skip(kGenSize);  // the terminal record
}

std::string* InfoTextFor(SoundFontModel& m, const std::string& id) {
    if (id == "isng") return &m.InfoSoundEngine;
    if (id == "irom") return &m.InfoRomName;
    if (id == "INAM") return &m.InfoBankName;
    if (id == "IPRD") return &m.InfoProduct;
    if (id == "ICRD") return &m.InfoCreationDate;
    if (id == "IENG") return &m.InfoEngineers;
    if (id == "ICOP") return &m.InfoCopyright;
    if (id == "ICMT") return &m.InfoComments;
    if (id == "ISFT") return &m.InfoTools;
    return nullptr;
}

// RIFF pads every odd-sized chunk with one byte.
void SkipPad(ByteReader& in, std::uint32_t size) {
    if (size % 2 != 0 && !in.AtEnd()) in.Skip(1);
}

}  // namespace

std::string VersionText(std::uint16_t major, std::uint16_t minor) {
    const double value = major + minor / 100.0;
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.15g", value);
    return std::string(" ") + digits;
}

void ReadRiffHeader(ReadContext& cx) {
    cx.in.ExpectChunkId("RIFF");
    cx.in.ReadLong();
    cx.in.ExpectChunkId("sfbk");
    cx.in.ExpectChunkId("LIST");
    cx.in.ReadLong();
    cx.in.ExpectChunkId("INFO");
}

void ReadInfoList(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    for (;;) {
        const std::string id = cx.in.ReadText(4);
        if (id == "LIST") return;
        const std::uint32_t size = cx.in.ReadLong();
        if (id == "ifil" || id == "iver") {
            if (size < 4) throw MalformedFileError("the " + id + " sub-chunk is too short", cx.in.Offset());
            const std::uint16_t major = cx.in.ReadWord();
            const std::uint16_t minor = cx.in.ReadWord();
            (id == "ifil" ? m.InfoVersion : m.InfoRomVersion) = VersionText(major, minor);
            cx.in.Skip(size - 4);
        } else if (std::string* text = InfoTextFor(m, id)) {
            *text = cx.in.ReadText(size);
        } else {
            cx.in.Skip(size);
        }
        SkipPad(cx.in, size);
    }
}

void ReadSampleDataList(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    cx.in.ReadLong();
    cx.in.ExpectChunkId("sdta");
    cx.in.ExpectChunkId("smpl");
    m.SmplSize = cx.in.ReadLong();
    m.SampleDataPos = cx.in.Offset() + 1;
    cx.in.Skip(m.SmplSize);
    // 24-bit files add the low bytes of each point in "sm24"; Zelvo uses 16 bits.
    if (cx.in.PeekText(4) == "sm24") {
        cx.in.Skip(4);
        const std::uint32_t size = cx.in.ReadLong();
        cx.in.Skip(size);
        SkipPad(cx.in, size);
    }
}

void ReadPresetHeaders(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    cx.in.ExpectChunkId("LIST");
    cx.in.ReadLong();
    cx.in.ExpectChunkId("pdta");
    ChunkBounds chunk(cx.in, "phdr");

    cx.tree.AddNode("", kRootKey, m.FileName, kImageFile);
    cx.tree.AddNode(kRootKey, kPresetsKey, "Presets", kImagePreset);
    cx.tree.AddNode(kRootKey, kInstrumentsKey, "Instruments", kImageInstrument);
    cx.tree.AddNode(kRootKey, kSamplesKey, "Samples", kImageSample);

    m.PresetZoneCount = 0;
    m.PresetHeaders.assign(1, sfPresetHeader{});
    for (int i = 1;; ++i) {
        chunk.RequireRoom(kPhdrSize);
        sfPresetHeader h;
        h.achPresetName = cx.in.ReadText(kNameSize);
        h.wPreset = cx.in.ReadWord();
        h.wBank = cx.in.ReadWord();
        h.wPresetBagNdx = cx.in.ReadWord();
        cx.in.Skip(12);  // library, genre, morphology
        if (i > 1) {
            sfPresetHeader& previous = m.PresetHeaders[i - 1];
            previous.zoneCount = ZoneCountBetween(previous.wPresetBagNdx, h.wPresetBagNdx, "preset",
                                                  cx.in.Offset() - kPhdrSize);
            m.PresetZoneCount += previous.zoneCount;
        }
        const bool terminal = StartsWith(h.achPresetName, "EOP");
        m.PresetHeaders.push_back(std::move(h));
        if (terminal) {
            m.PresetCount = i - 1;
            return;
        }
        const std::string key = NodeKey(kPresetsKey, i);
        cx.tree.AddNode(kPresetsKey, key, DisplayText(m.PresetHeaders[i].achPresetName), kImagePreset);
        cx.tree.MakeVisible(key);
        cx.tree.Repaint();
    }
}

void ReadPresetBags(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    ReadBags(cx, "pbag", m.PresetHeaders, m.PresetCount, m.PresetBags, m.PresetZoneCount,
             kPresetZonePrefix, kPresetsKey, kImageInstrument);
}

void ReadPresetMods(ReadContext& cx) {
    ReadMods(cx, "pmod", cx.model.PresetBags, cx.model.PresetZoneCount, cx.model.PresetMods);
}

void ReadPresetGens(ReadContext& cx) {
    ReadGens(cx, "pgen", cx.model.PresetBags, cx.model.PresetZoneCount, cx.model.PresetGens);
}

void ReadInstHeaders(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    ChunkBounds chunk(cx.in, "inst");
    m.InstZoneCount = 0;
    m.InstHeaders.assign(1, sfInst{});
    for (int i = 1;; ++i) {
        chunk.RequireRoom(kInstSize);
        sfInst h;
        h.achInstName = cx.in.ReadText(kNameSize);
        h.wInstBagNdx = cx.in.ReadWord();
        if (i > 1) {
            sfInst& previous = m.InstHeaders[i - 1];
            previous.zoneCount = ZoneCountBetween(previous.wInstBagNdx, h.wInstBagNdx,
                                                  "instrument", cx.in.Offset() - kInstSize);
            m.InstZoneCount += previous.zoneCount;
        }
        const bool terminal = StartsWith(h.achInstName, "EOI");
        m.InstHeaders.push_back(std::move(h));
        if (terminal) {
            m.InstCount = i - 1;
            return;
        }
        cx.tree.AddNode(kInstrumentsKey, NodeKey(kInstrumentsKey, i),
                        DisplayText(m.InstHeaders[i].achInstName), kImageInstrument);
    }
}

void ReadInstBags(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    ReadBags(cx, "ibag", m.InstHeaders, m.InstCount, m.InstBags, m.InstZoneCount,
             kInstZonePrefix, kInstrumentsKey, kImageSample);
}

void ReadInstMods(ReadContext& cx) {
    ReadMods(cx, "imod", cx.model.InstBags, cx.model.InstZoneCount, cx.model.InstMods);
}

void ReadInstGens(ReadContext& cx) {
    ReadGens(cx, "igen", cx.model.InstBags, cx.model.InstZoneCount, cx.model.InstGens);
}

void ReadSampleHeaders(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    ChunkBounds chunk(cx.in, "shdr");
    m.SampleHeaders.assign(1, sfSample{});
    for (int s = 1;; ++s) {
        chunk.RequireRoom(kShdrSize);
        sfSample h;
        h.achSampleName = cx.in.ReadText(kNameSize);
        h.dwStart = cx.in.ReadLong();
        h.dwEnd = cx.in.ReadLong();
        h.dwStartloop = cx.in.ReadLong();
        h.dwEndloop = cx.in.ReadLong();
        h.dwSampleRate = cx.in.ReadLong();
        h.byOriginalPitch = cx.in.ReadByte();
        h.chPitchCorrection = cx.in.ReadByte();
        h.wSampleLink = cx.in.ReadWord();
        h.sfSampleType = cx.in.ReadWord();
        // The record read last closes the list, whether "EOS" or the end of
        // the file; a file that ends inside the chunk has been cut short.
        if (cx.in.AtEnd() && !chunk.Complete()) {
            throw MalformedFileError("the file ends early", cx.in.Offset());
        }
        const bool last = cx.in.AtEnd() || StartsWith(h.achSampleName, "EOS");
        m.SampleHeaders.push_back(std::move(h));
        if (last) {
            m.SampleCount = s - 1;
            return;
        }
        cx.tree.AddNode(kSamplesKey, NodeKey(kSamplesKey, s),
                        DisplayText(m.SampleHeaders[s].achSampleName), kImageSample);
    }
}

}  // namespace zelvo
