// Loading SoundFonts in tests: built bytes, whole files and prefixes of them.
#pragma once

#include <fstream>
#include <istream>
#include <iterator>
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

}  // namespace zelvo::testing
