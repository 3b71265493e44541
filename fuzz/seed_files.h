// SPDX-License-Identifier: GPL-3.0-or-later
// Seed files for the fuzz targets, made from built and real SoundFonts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sf2_builder.h"
#include "sparse_file.h"

namespace zelvo::fuzzing {

using zelvo::testing::AppendLe;
using zelvo::testing::FindChunk;
using zelvo::testing::PutLe;

inline std::string Le32Text(std::uint32_t value) {
    std::string out;
    AppendLe(out, value, 4);
    return out;
}

struct SampleData {
    std::size_t at = 0;  // offset of the smpl chunk's data
    std::uint32_t size = 0;
};

// The smpl chunk of a built file.
inline SampleData BuiltSampleData(const std::string& file) {
    const std::size_t at = FindChunk(file, "smpl") + 8;
    return {at, Le32At(file, at - 4)};
}

// The file with its sample data cut away and an empty "smpl" chunk; the
// sdta list and the RIFF chunk shrink with it, so the file stays well formed.
// The pad byte after odd-sized data goes too, where the list holds one.
inline std::string WithoutSampleData(std::string file, SampleData smpl) {
    const std::size_t listSizeField = smpl.at - 16;  // "LIST", its size, "sdta", "smpl", its size
    const std::uint64_t listEnd = listSizeField + 4 + Le32At(file, listSizeField);
    const bool padded = smpl.size % 2 != 0 && smpl.at + smpl.size < listEnd;
    const std::uint32_t cut = smpl.size + (padded ? 1 : 0);
    file.erase(smpl.at, cut);
    PutLe(file, smpl.at - 4, 0, 4);
    for (const std::size_t sizeField : {listSizeField, std::size_t{4}}) {
        PutLe(file, sizeField, Le32At(file, sizeField) - cut, 4);
    }
    return file;
}

// The file with its sample data as a hole of the same length: it loads as
// the whole file does, from a file as large, with only its header chunks written.
// Holes are whole 2-byte units, so an odd last byte stays written.
inline std::string SampleDataAsHole(const std::string& file, SampleData smpl) {
    const std::uint32_t hole = smpl.size - smpl.size % 2;
    return EncodeSparseInput(hole, smpl.at, file.substr(0, smpl.at) + file.substr(smpl.at + hole));
}

struct ChunkKind {
    const char* id;
    const char* list;
    std::uint32_t recordSize;  // 2 for INFO texts and sample data
};

// The chunks of a built file, each grown by a hole of about 1 GiB that is a
// whole number of its records.
constexpr ChunkKind kGrownChunks[] = {
    {"ifil", "INFO", 2}, {"INAM", "INFO", 2},  {"ICMT", "INFO", 2},  {"smpl", "sdta", 2},
    {"phdr", "pdta", 38}, {"pbag", "pdta", 4}, {"pmod", "pdta", 10}, {"pgen", "pdta", 4},
    {"inst", "pdta", 22}, {"ibag", "pdta", 4}, {"imod", "pdta", 10}, {"igen", "pdta", 4},
    {"shdr", "pdta", 46}};

// The file with chunk id grown by a hole at the end of its data, its list and
// the RIFF chunk grown with it: sizes that agree, of data the file does not hold.
inline std::string ChunkGrownByHole(std::string file, const ChunkKind& chunk) {
    const std::uint32_t hole = (1u << 30) / chunk.recordSize * chunk.recordSize;
    const std::size_t at = FindChunk(file, chunk.id);
    const std::size_t holeAt = at + 8 + Le32At(file, at + 4);
    for (const std::size_t sizeField : {at + 4, FindChunk(file, chunk.list) - 4, std::size_t{4}}) {
        PutLe(file, sizeField, Le32At(file, sizeField) + hole, 4);
    }
    return EncodeSparseInput(hole, holeAt, file);
}

}  // namespace zelvo::fuzzing
