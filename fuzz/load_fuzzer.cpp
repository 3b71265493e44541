// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes into the reader: each input loads or raises the reader's
// typed errors; anything else is a crash for libFuzzer to report.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelvo::SoundFontModel model;
    model.FileName = "fuzz.sf2";
    zelvo::MemoryTree tree;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    zelvo::ByteReader reader(in);
    try {
        zelvo::LoadSoundFont(model, reader, tree);
    } catch (const zelvo::SoundFontError&) {
        if (model.PresetCount != 0 || !tree.nodes().empty()) __builtin_trap();
    }
    return 0;
}
