// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a wave file: each input is read or refused with the
// reader's typed error at an offset inside it, or at its end; what is read
// stays within the file. Anything else is a crash for libFuzzer to report.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "export/wave_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    try {
        const zelvo::WaveFileContents wave = zelvo::ParseWaveFile(file);
        if (wave.keyMapEntries.size() != static_cast<std::size_t>(wave.keyMapHeader.entryCount) ||
            wave.samples.size() != static_cast<std::size_t>(wave.counts.sampleCount)) {
            __builtin_trap();
        }
        for (const zelvo::WaveKeyMapEntry& entry : wave.keyMapEntries) {
            if (zelvo::WaveSampleNumber(entry) > static_cast<int>(wave.samples.size()))
                __builtin_trap();
        }
        for (const zelvo::WaveSample& sample : wave.samples) {
            if (sample.dataOffset + sample.size > size) __builtin_trap();
        }
    } catch (const zelvo::WaveFileError& e) {
        if (e.offset() > size) __builtin_trap();
    }
    return 0;
}
