// A fuzzed file is loaded and each of its instruments exported: every export
// completes or is refused with its message; nothing crashes or reads outside
// the file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "export/write_stuff.h"
#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"
#include "work_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = zelvo::fuzzing::ProcessFolder().File("input.sf2");
    const std::string output = zelvo::fuzzing::ProcessFolder().File("out.s1m");
    std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                 static_cast<std::streamsize>(size));
    zelvo::SoundFontModel model;
    zelvo::MemoryTree tree;
    try {
        zelvo::OpenSoundFont(model, input, tree);
    } catch (const zelvo::SoundFontError&) {
        return 0;
    }
    for (int i = 1; i <= model.InstCount; ++i) {
        try {
            zelvo::ExportInstrumentToWave(model, i, input, output);
            if (std::filesystem::file_size(output) < 69766) __builtin_trap();
        } catch (const zelvo::ExportError&) {
        }
    }
    return 0;
}
