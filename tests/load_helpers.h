// Loading SoundFonts in tests: built bytes, prefixes of real files, and an
// independent walk over a real file's chunks.
#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <iterator>
#include <map>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>

#include "soundfont/byte_reader.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

namespace zelvo::testing {

struct Loaded {
    SoundFontModel model;
    MemoryTree tree;
};

// Loads bytes as a file named "test.sf2"; errors propagate.
inline Loaded LoadBytes(const std::string& bytes) {
    Loaded loaded;
    loaded.model.FileName = "test.sf2";
    std::istringstream in(bytes);
    ByteReader reader(in);
    LoadSoundFont(loaded.model, reader, loaded.tree);
    return loaded;
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string NodeText(const MemoryTree& tree, std::string_view key) {
    const MemoryTree::Node* node = tree.Find(key);
    return node ? node->text : "<missing " + std::string(key) + ">";
}

// A read-only, seekable stream over bytes owned elsewhere, so that many
// prefixes of one file can be read without copying it.
class SpanStream : private std::streambuf, public std::istream {
public:
    explicit SpanStream(std::string_view bytes) : std::istream(this) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

private:
    std::streampos seekoff(std::streamoff off, std::ios_base::seekdir dir,
                           std::ios_base::openmode) override {
        const char* from = dir == std::ios_base::beg   ? eback()
                           : dir == std::ios_base::cur ? gptr()
                                                       : egptr();
        return seekpos(from - eback() + off, std::ios_base::in);
    }
    std::streampos seekpos(std::streampos pos, std::ios_base::openmode) override {
        if (pos < 0 || pos > egptr() - eback()) return std::streamoff(-1);
        setg(eback(), eback() + pos, egptr());
        return pos;
    }
};

// An independent look at a SoundFont's chunks, by their sizes alone, to
// check the reader's results on real files against.
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
