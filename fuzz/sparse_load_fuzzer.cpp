// SPDX-License-Identifier: GPL-3.0-or-later
// Files of up to 8 GiB that hold little but a hole reading as zeros, opened
// through the real file-opening path: whatever sizes a file declares, its
// load ends quickly in memory bounded by what it really holds. libFuzzer's
// -timeout and -rss_limit_mb / -malloc_limit_mb make a slow or greedy load a
// finding; each input loads or raises the reader's typed errors.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"
#include "sparse_file.h"
#include "work_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input =
        zelvo::fuzzing::ParseSparseInput(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!input) return -1;  // too short to say where the hole goes; not kept in the corpus
    const std::string path = zelvo::fuzzing::ProcessFolder().File("sparse.sf2");
    zelvo::fuzzing::WriteSparseFile(path, *input);
    zelvo::SoundFontModel model;
    zelvo::MemoryTree tree;
    try {
        zelvo::OpenSoundFont(model, path, tree);
    } catch (const zelvo::SoundFontError&) {
        if (model.PresetCount != 0 || !tree.nodes().empty()) __builtin_trap();
    }
    ::unlink(path.c_str());
    return 0;
}
