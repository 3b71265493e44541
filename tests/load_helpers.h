// Loading SoundFonts in tests: built bytes and whole files.
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
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

}  // namespace zelvo::testing
