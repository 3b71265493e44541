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

inline RiffLayout WalkRiff(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string id(4, ' '), type(4, ' ');
    // Reads the id and the little-endian size of the chunk at offset at.
    const auto head = [&](std::uint64_t at) {
        unsigned char size[4];
        in.seekg(static_cast<std::streamoff>(at));
        in.read(id.data(), 4).read(reinterpret_cast<char*>(size), 4);
        return size[0] | size[1] << 8 | size[2] << 16 | static_cast<std::uint32_t>(size[3]) << 24;
    };
    RiffLayout layout;
    std::uint64_t list = 12;  // after "RIFF", its size and "sfbk"
    for (int n = 0; n < 3 && in; ++n) {
        const std::uint32_t listSize = head(list);
        in.read(type.data(), 4);
        const std::uint64_t end = list + 8 + listSize;
        for (std::uint64_t at = list + 12; at + 8 <= end;) {
            ChunkInfo chunk{at + 8, head(at), {}};
            if (type != "sdta") {
                chunk.data.resize(chunk.size);
                in.read(chunk.data.data(), chunk.size);
            }
            at += 8 + chunk.size + chunk.size % 2;
            layout.chunks[id] = std::move(chunk);
        }
        list = end + listSize % 2;
    }
    return layout;
}

}  // namespace zelvo::testing
