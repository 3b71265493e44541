// SPDX-License-Identifier: GPL-3.0-or-later
// A fuzzed file is loaded and each of its instruments exported: every export
// completes or is refused with its message; nothing crashes or reads outside
// the file.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "export/write_stuff.h"
#include "work_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelvo::SoundFontModel model;
    const std::string input = zelvo::fuzzing::LoadInput(data, size, "input.sf2", model);
    if (input.empty()) return 0;
    const std::string output = zelvo::fuzzing::ProcessFolder().File("out.s1m");
    for (int i = 1; i <= model.InstCount; ++i) {
        try {
            zelvo::ExportInstrumentToWave(model, i, input, output);
            if (std::filesystem::file_size(output) < 69766) __builtin_trap();
        } catch (const zelvo::ExportError&) {
        }
    }
    return 0;
}
