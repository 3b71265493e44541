// SPDX-License-Identifier: GPL-3.0-or-later
// The in-memory image of one SoundFont 2 file: its hydra records as read,
// a few derived fields and the per-instrument zone table the export works from.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelvo {

// Every array is used from index 1 so that entry n is the n-th record of its
// chunk and tree keys index it directly; index 0 is never written. Names are
// kept as their full 20-byte fields, NUL padding included.

struct sfPresetHeader {
    std::string achPresetName;
    std::uint16_t wPreset = 0;
    std::uint16_t wBank = 0;
    std::uint16_t wPresetBagNdx = 0;
    int zoneCount = 0;     // next header's wPresetBagNdx minus this one's
    int firstZoneNdx = 0;  // index in PresetBags of the first zone
};

struct sfPresetBag {
    std::uint16_t wGenNdx = 0;
    int genCount = 0;
    std::uint16_t wModNdx = 0;
    int modCount = 0;
    int ownerNdx = 0;  // preset (or instrument) the zone belongs to
};
using sfInstBag = sfPresetBag;

struct sfModList {
    std::uint16_t sfModSrcOper = 0;
    std::uint16_t sfModDestOper = 0;
    std::uint16_t modAmount = 0;  // raw 16-bit value: -1 is held as 65535
    std::uint16_t sfModAmtSrcOper = 0;
    std::uint16_t sfModTransOper = 0;
    int zoneNdx = 0;
};
using sfInstModList = sfModList;

// What an instrument or sampleID generator names, once the load has resolved
// it: the record's index, or kMissingRecord when the file has no such record.
inline constexpr int kMissingRecord = -1;

struct sfGenList {
    std::uint16_t sfGenOper = 0;
    std::uint16_t genAmount = 0;  // raw 16-bit value
    int zoneNdx = 0;
    int linkNdx = 0;  // instrument and sampleID generators only
};
using sfInstGenList = sfGenList;

struct sfInst {
    std::string achInstName;
    std::uint16_t wInstBagNdx = 0;
    int zoneCount = 0;
    int firstZoneNdx = 0;
};

// Sample types as the SoundFont standard numbers them.
inline constexpr std::uint16_t kSampleTypeRom = 0x8000;
inline constexpr std::uint16_t kSampleTypeCompressed = 0x0010;

struct sfSample {
    std::string achSampleName;
    std::uint32_t dwStart = 0;
    std::uint32_t dwEnd = 0;
    std::uint32_t dwStartloop = 0;
    std::uint32_t dwEndloop = 0;
    std::uint32_t dwSampleRate = 0;
    std::uint8_t byOriginalPitch = 0;
    std::uint8_t chPitchCorrection = 0;  // as read, not sign-extended
    std::uint16_t wSampleLink = 0;
    std::uint16_t sfSampleType = 0;
    // A compressed sample's length in points once decoded, from its stream's
    // last granule position; 0 when unknown. Its dwStart and dwEnd are byte
    // offsets of the stream, its loop points count from its first point.
    std::uint32_t decodedLength = 0;

    bool IsCompressed() const {
        return (sfSampleType & kSampleTypeCompressed) != 0 && (sfSampleType & kSampleTypeRom) == 0;
    }
};

// How far a zone moves its sample's start, end and loop points, in points:
// each a fine generator plus 32,768 times a coarse one.
struct SampleOffsets {
    int start = 0, end = 0, loopStart = 0, loopEnd = 0;
    int startCoarse = 0, endCoarse = 0, loopStartCoarse = 0, loopEndCoarse = 0;

    std::int64_t Start() const { return start + std::int64_t{32768} * startCoarse; }
    std::int64_t End() const { return end + std::int64_t{32768} * endCoarse; }
    std::int64_t LoopStart() const { return loopStart + std::int64_t{32768} * loopStartCoarse; }
    std::int64_t LoopEnd() const { return loopEnd + std::int64_t{32768} * loopEndCoarse; }
    bool operator==(const SampleOffsets&) const = default;
};

// What the export needs of one instrument zone, after the instrument's global
// zone and the defaults have filled in the generators the zone lacks.
struct InstZone {
    int sampleNdx = 0;  // index in SampleHeaders, 0 for none, kMissingRecord past the end
    std::uint16_t sampleId = 0;  // the generator's raw amount
    int keyLo = 0;
    int keyHi = 127;
    int velLo = 1;
    int velHi = 127;
    int coarseTune = 0;
    int fineTune = 0;
    int rootKey = -1;  // -1: the sample's own pitch
    int sampleModes = 0;
    int pan = 0;
    int scaleTuning = 100;  // cents per key
    int keynum = -1;        // the key every key of the zone plays as; -1: its own
    SampleOffsets offsets;
    bool isGlobal = false;
};

struct InstZoneInfo {
    int zoneCount = 0;
    std::vector<InstZone> zones;  // zones[1..zoneCount]

    const InstZone& zone(int z) const { return zones.at(static_cast<std::size_t>(z)); }
};

struct SoundFontModel {
    std::vector<sfPresetHeader> PresetHeaders;  // 1..PresetCount + 1 ("EOP")
    std::vector<sfPresetBag> PresetBags;        // 1..PresetZoneCount + 1
    std::vector<sfModList> PresetMods;
    std::vector<sfGenList> PresetGens;
    std::vector<sfInst> InstHeaders;  // 1..InstCount + 1 ("EOI")
    std::vector<sfInstBag> InstBags;  // 1..InstZoneCount + 1
    std::vector<sfInstModList> InstMods;
    std::vector<sfInstGenList> InstGens;
    std::vector<sfSample> SampleHeaders;       // 1..SampleCount + 1 (last read)
    std::vector<InstZoneInfo> InstZoneTable;  // 1..InstCount
    // By instrument: the preset zones (PresetBags indices) that play it.
    std::vector<std::vector<int>> InstPresetZones;

    int PresetCount = 0;
    int PresetZoneCount = 0;
    int InstCount = 0;
    int InstZoneCount = 0;
    int SampleCount = 0;

    std::string InfoVersion;
    std::string InfoSoundEngine;
    std::string InfoRomName;
    std::string InfoRomVersion;
    std::string InfoBankName;
    std::string InfoCreationDate;
    std::string InfoEngineers;
    std::string InfoProduct;
    std::string InfoCopyright;
    std::string InfoComments;
    std::string InfoTools;

    std::uint32_t SmplSize = 0;       // bytes of "smpl" data
    std::uint64_t SampleDataPos = 0;  // 1-based file position of its first byte

    std::string FileName;    // bare name of the open file, empty when none
    std::string FileFolder;  // the chosen path up to and including its last separator
};

// A name or text as shown: up to its first NUL.
std::string DisplayText(const std::string& text);

// The generators of zone `bag` (an index in PresetBags or InstBags, with
// gens the matching generator array), in file order.
std::span<const sfGenList> ZoneGenerators(const std::vector<sfPresetBag>& bags,
                                          const std::vector<sfGenList>& gens, int bag);

// The first preset with this bank and program number, if any (1-based).
std::optional<int> FindPreset(const SoundFontModel& model, int bank, int program);

// The instrument's name as the model holds it, cut at its first NUL; empty
// for a number that names no instrument.
std::string InstrumentName(const SoundFontModel& model, int instrument);

}  // namespace zelvo
