// An independent look at a SoundFont's chunks, by their sizes alone, to
// check the reader's results on real files against.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <string>

namespace zelvo::testing {

struct ChunkInfo {
    std::uint64_t dataOffset = 0;  // 0-based offset of the chunk's data
    std::uint32_t size = 0;
    std::string data;  // read for INFO and hydra chunks only
};

struct RiffLayout {
    std::map<std::string, ChunkInfo> chunks;  // sub-chunks of INFO, sdta and pdta by id
    std::uint64_t CountOf(const std::string& id, std::uint32_t recordSize) const {
        return chunks.at(id).size / recordSize - 1;  // less the terminal record
    }
};

inline std::uint32_t LittleEndian32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

inline RiffLayout WalkRiff(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    RiffLayout layout;
    char head[12];
    in.read(head, 12);
    std::uint64_t listAt = 12;
    for (int list = 0; list < 3 && in; ++list) {
        char listHead[12];
        in.seekg(static_cast<std::streamoff>(listAt));
        in.read(listHead, 12);
        const std::uint32_t listSize = LittleEndian32(listHead + 4);
        const std::string type(listHead + 8, 4);
        std::uint64_t at = listAt + 12;
        const std::uint64_t end = listAt + 8 + listSize;
        while (at + 8 <= end) {
            char chunkHead[8];
            in.seekg(static_cast<std::streamoff>(at));
            in.read(chunkHead, 8);
            ChunkInfo chunk{at + 8, LittleEndian32(chunkHead + 4), {}};
            if (type != "sdta") {
                chunk.data.resize(chunk.size);
                in.read(chunk.data.data(), chunk.size);
            }
            layout.chunks[std::string(chunkHead, 4)] = chunk;
            at += 8 + chunk.size + chunk.size % 2;
        }
        listAt = end + listSize % 2;
    }
    return layout;
}

}  // namespace zelvo::testing
