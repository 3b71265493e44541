// SPDX-License-Identifier: GPL-3.0-or-later
// Loading SoundFonts in tests: built bytes and whole files.
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "sf2_builder.h"
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

// A built SoundFont in a folder of its own, opened as the program opens it.
struct OpenedFile {
    explicit OpenedFile(std::string built, std::string_view name = "test.sf2")
        : bytes(std::move(built)), file(bytes, name) {
        OpenSoundFont(model, Path(), tree);
    }
    std::string Path() const { return file.path().string(); }
    std::string Out() const { return (file.folder() / "out.s1m").string(); }

    std::string bytes;
    TempFile file;
    SoundFontModel model;
    MemoryTree tree;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string NodeText(const MemoryTree& tree, std::string_view key) {
    const MemoryTree::Node* node = tree.Find(key);
    return node ? node->text : "<missing " + std::string(key) + ">";
}

}  // namespace zelvo::testing
