// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/reader.h"

#include <algorithm>
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

// Generators reach instruments and samples through 16-bit numbers, so a
// header chunk never needs more records than that, plus its terminal one.
constexpr std::uint64_t kMaxHeaderRecords = 65536 + 1;
// The SoundFont standard's limit for the longest INFO text (comments).
constexpr std::uint32_t kMaxInfoText = 65536;
// Far more than the dozen INFO sub-chunks the standard knows; bounds the time
// a list of empty sub-chunks can take.
constexpr int kMaxInfoSubChunks = 4096;

std::string Count(std::uint64_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// A chunk's place in the file. Its data lies in [dataStart, end()).
struct Chunk {
    std::string id;
    std::uint64_t start = 0;
    std::uint64_t dataStart = 0;
    std::uint32_t size = 0;
    std::uint64_t end() const { return dataStart + size; }
};

// Reads the id and size of the chunk that must start here and checks that it
// ends inside its parent (the list, or the RIFF chunk, named by parent).
Chunk OpenChunk(ByteReader& in, std::string_view id, std::uint64_t parentEnd,
                std::string_view parent) {
    Chunk chunk{std::string(id), in.Offset()};
    in.SetChunk(id);
    in.ExpectChunkId(id);
    chunk.size = in.ReadLong();
    chunk.dataStart = in.Offset();
    if (chunk.end() > parentEnd) {
        throw MalformedFileError("the " + chunk.id + " chunk reaches past the end of " +
                                     std::string(parent),
                                 chunk.start);
    }
    return chunk;
}

// A LIST chunk of the given form inside the RIFF chunk.
Chunk OpenList(ReadContext& cx, std::string_view form) {
    Chunk list = OpenChunk(cx.in, "LIST", cx.riffEnd, "the RIFF chunk");
    cx.in.SetChunk(std::string(form) + " list");
    cx.in.ExpectChunkId(form);
    list.id = std::string(form) + " list";
    cx.listEnd = list.end();
    return list;
}

// Writers disagree on whether an odd-sized list is followed by a pad byte:
// RIFF asks for one, MuseScore's tools leave it out. The next list tells.
void LeaveList(ReadContext& cx, const Chunk& list) {
    cx.in.Skip(list.end() - cx.in.Offset());
    if (list.size % 2 != 0 && cx.in.Remaining() > 0 && cx.in.PeekText(4) != "LIST") cx.in.Skip(1);
}

// RIFF pads every odd-sized chunk with one byte, inside its list.
void SkipPad(ByteReader& in, std::uint32_t size, std::uint64_t listEnd) {
    if (size % 2 != 0 && in.Offset() < listEnd) in.Skip(1);
}

// A hydra chunk, which the records its indices call for must fill exactly.
class HydraChunk {
public:
    HydraChunk(ReadContext& cx, std::string_view id, std::uint64_t recordSize)
        : chunk_(OpenChunk(cx.in, id, cx.listEnd, "the pdta list")), recordSize_(recordSize) {
        if (chunk_.size % recordSize_ != 0) {
            Fail("is " + Count(chunk_.size, "byte") + " long, not a whole number of " +
                 std::to_string(recordSize_) + "-byte records");
        }
    }
    std::uint64_t Records() const { return chunk_.size / recordSize_; }
    // The records that the indices in chunk `caller` call for.
    void RequireRecords(std::uint64_t called, std::string_view caller) const {
        if (Records() != called) {
            Fail("holds " + Count(Records(), "record") + " where the " + std::string(caller) +
                 " chunk calls for " + std::to_string(called));
        }
    }
    // A header chunk: its last record is the terminal one, and the count must
    // stay within what 16-bit references can reach.
    void RequireHeaderRecords() const {
        if (Records() == 0) Fail("holds no terminal record");
        if (Records() > kMaxHeaderRecords) {
            Fail("holds " + Count(Records(), "record") + ", more than 16-bit references can reach");
        }
    }
    // A record named as the terminal one before the last ends the list, so
    // the records after it are not the file's.
    void RequireLast(std::uint64_t read) const {
        if (read != Records()) {
            Fail("holds " + Count(Records() - read, "record") + " after its terminal record");
        }
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw MalformedFileError("the " + chunk_.id + " chunk " + what, chunk_.start);
    }

    Chunk chunk_;
    std::uint64_t recordSize_;
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

// Bags, then modulators, then generators: each chunk's records are called
// for by the indices of the chunk before it.
template <typename Header>
void ReadBags(ReadContext& cx, std::string_view id, std::vector<Header>& headers, int ownerCount,
              std::vector<sfPresetBag>& bags, int zoneCount, std::string_view zonePrefix,
              std::string_view ownerPrefix, int image) {
    HydraChunk chunk(cx, id, kBagSize);
    chunk.RequireRecords(static_cast<std::uint64_t>(zoneCount) + 1,
                         id == "pbag" ? "phdr" : "inst");
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

// Records of all zones, then the terminal record.
std::uint64_t RecordsCalledFor(const std::vector<sfPresetBag>& bags, int zoneCount,
                               int sfPresetBag::*count) {
    std::uint64_t total = 0;
    for (int z = 1; z <= zoneCount; ++z) total += static_cast<std::uint64_t>(bags[z].*count);
    return total + 1;
}

void ReadMods(ReadContext& cx, std::string_view id, const std::vector<sfPresetBag>& bags,
              int zoneCount, std::vector<sfModList>& mods) {
    HydraChunk chunk(cx, id, kModSize);
    const std::uint64_t records = RecordsCalledFor(bags, zoneCount, &sfPresetBag::modCount);
    chunk.RequireRecords(records, id == "pmod" ? "pbag" : "ibag");
    mods.assign(static_cast<std::size_t>(records), sfModList{});
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
    HydraChunk chunk(cx, id, kGenSize);
    const std::uint64_t records = RecordsCalledFor(bags, zoneCount, &sfPresetBag::genCount);
    chunk.RequireRecords(records, id == "pgen" ? "pbag" : "ibag");
    gens.assign(static_cast<std::size_t>(records), sfGenList{});
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

void ReadInfoSubChunk(ReadContext& cx, const Chunk& list) {
    SoundFontModel& m = cx.model;
    ByteReader& in = cx.in;
    const std::uint64_t start = in.Offset();
    if (list.end() - start < 8) {
        throw MalformedFileError("the INFO list ends inside a sub-chunk header", start);
    }
    const std::string id = in.ReadText(4);
    in.SetChunk(id);
    const std::uint32_t size = in.ReadLong();
    if (in.Offset() + size > list.end()) {
        throw MalformedFileError("the " + id + " chunk reaches past the end of the INFO list", start);
    }
    if (id == "ifil" || id == "iver") {
        if (size < 4) throw MalformedFileError("the " + id + " sub-chunk is too short", start);
        const std::uint16_t major = in.ReadWord();
        const std::uint16_t minor = in.ReadWord();
        (id == "ifil" ? m.InfoVersion : m.InfoRomVersion) = VersionText(major, minor);
        in.Skip(size - 4);
    } else if (std::string* text = InfoTextFor(m, id)) {
        const std::uint32_t kept = std::min(size, kMaxInfoText);
        *text = in.ReadText(kept);
        in.Skip(size - kept);
    } else {
        in.Skip(size);
    }
    SkipPad(in, size, list.end());
}

}  // namespace

std::string VersionText(std::uint16_t major, std::uint16_t minor) {
    const double value = major + minor / 100.0;
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.15g", value);
    return std::string(" ") + digits;
}

void ReadRiffHeader(ReadContext& cx) {
    cx.in.SetChunk("RIFF");
    cx.in.ExpectChunkId("RIFF");
    const std::uint32_t size = cx.in.ReadLong();
    cx.riffEnd = cx.in.Offset() + size;
    cx.in.ExpectChunkId("sfbk");
}

// The INFO list ends where its size says, whatever its sub-chunks are.
void ReadInfoList(ReadContext& cx) {
    const Chunk list = OpenList(cx, "INFO");
    for (int n = 1; cx.in.Offset() < list.end(); ++n) {
        if (n > kMaxInfoSubChunks) {
            throw MalformedFileError("the INFO list holds more than " +
                                         std::to_string(kMaxInfoSubChunks) + " sub-chunks",
                                     cx.in.Offset());
        }
        ReadInfoSubChunk(cx, list);
    }
    LeaveList(cx, list);
}

void ReadSampleDataList(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    const Chunk list = OpenList(cx, "sdta");
    const Chunk smpl = OpenChunk(cx.in, "smpl", list.end(), "the sdta list");
    m.SmplSize = smpl.size;
    m.SampleDataPos = cx.in.Offset() + 1;
    cx.in.Skip(m.SmplSize);
    SkipPad(cx.in, smpl.size, list.end());
    // 24-bit files add the low bytes of each point in "sm24"; Zelvo uses 16 bits.
    if (list.end() - cx.in.Offset() >= 8 && cx.in.PeekText(4) == "sm24") {
        const Chunk sm24 = OpenChunk(cx.in, "sm24", list.end(), "the sdta list");
        cx.in.Skip(sm24.size);
    }
    LeaveList(cx, list);
}

void ReadPresetHeaders(ReadContext& cx) {
    SoundFontModel& m = cx.model;
    OpenList(cx, "pdta");
    HydraChunk chunk(cx, "phdr", kPhdrSize);
    chunk.RequireHeaderRecords();

    cx.tree.AddNode("", kRootKey, m.FileName, kImageFile);
    cx.tree.AddNode(kRootKey, kPresetsKey, "Presets", kImagePreset);
    cx.tree.AddNode(kRootKey, kInstrumentsKey, "Instruments", kImageInstrument);
    cx.tree.AddNode(kRootKey, kSamplesKey, "Samples", kImageSample);

    m.PresetZoneCount = 0;
    m.PresetHeaders.assign(1, sfPresetHeader{});
    m.PresetHeaders.reserve(static_cast<std::size_t>(chunk.Records()) + 1);
    for (int i = 1;; ++i) {
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
        // The chunk's last record is its terminal one, whatever its name.
        const bool terminal =
            StartsWith(h.achPresetName, "EOP") || static_cast<std::uint64_t>(i) == chunk.Records();
        m.PresetHeaders.push_back(std::move(h));
        if (terminal) {
            chunk.RequireLast(static_cast<std::uint64_t>(i));
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
    HydraChunk chunk(cx, "inst", kInstSize);
    chunk.RequireHeaderRecords();
    m.InstZoneCount = 0;
    m.InstHeaders.assign(1, sfInst{});
    m.InstHeaders.reserve(static_cast<std::size_t>(chunk.Records()) + 1);
    for (int i = 1;; ++i) {
        sfInst h;
        h.achInstName = cx.in.ReadText(kNameSize);
        h.wInstBagNdx = cx.in.ReadWord();
        if (i > 1) {
            sfInst& previous = m.InstHeaders[i - 1];
            previous.zoneCount = ZoneCountBetween(previous.wInstBagNdx, h.wInstBagNdx,
                                                  "instrument", cx.in.Offset() - kInstSize);
            m.InstZoneCount += previous.zoneCount;
        }
        const bool terminal =
            StartsWith(h.achInstName, "EOI") || static_cast<std::uint64_t>(i) == chunk.Records();
        m.InstHeaders.push_back(std::move(h));
        if (terminal) {
            chunk.RequireLast(static_cast<std::uint64_t>(i));
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
    HydraChunk chunk(cx, "shdr", kShdrSize);
    chunk.RequireHeaderRecords();
    m.SampleHeaders.assign(1, sfSample{});
    m.SampleHeaders.reserve(static_cast<std::size_t>(chunk.Records()) + 1);
    for (int s = 1;; ++s) {
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
        const bool terminal =
            StartsWith(h.achSampleName, "EOS") || static_cast<std::uint64_t>(s) == chunk.Records();
        m.SampleHeaders.push_back(std::move(h));
        if (terminal) {
            chunk.RequireLast(static_cast<std::uint64_t>(s));
            m.SampleCount = s - 1;
            return;
        }
        cx.tree.AddNode(kSamplesKey, NodeKey(kSamplesKey, s),
                        DisplayText(m.SampleHeaders[s].achSampleName), kImageSample);
    }
}

}  // namespace zelvo
