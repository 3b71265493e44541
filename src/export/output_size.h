// How large an instrument's wave file will be, against the EX5/7's wave
// memories and a floppy disk.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "soundfont/model.h"

namespace zelvo {

struct WaveMemory {
    const char* name;
    std::uint64_t bytes;
};

inline constexpr std::uint64_t kMegabyte = 1024 * 1024;
inline constexpr std::array<WaveMemory, 6> kWaveMemories = {{{"1 MB", 1 * kMegabyte},
                                                             {"9 MB", 9 * kMegabyte},
                                                             {"17 MB", 17 * kMegabyte},
                                                             {"33 MB", 33 * kMegabyte},
                                                             {"65 MB", 65 * kMegabyte},
                                                             {"Floppy 1.44 MB", 1457664}}};

// What the preview reports about converting one instrument.
struct OutputSizeReport {
    std::uint64_t bytes = 0;               // of the whole .s1m file
    std::optional<std::string> refusal;    // why the export would refuse, if it would
    std::string SizeText() const;          // "1,234,567 bytes (1.2 MB)"
    // The smallest memory the file fits in; none when it fits in none.
    std::optional<WaveMemory> SmallestFit() const;
};

// Compressed samples are decoded from soundFontPath to count their points.
OutputSizeReport BuildOutputSizeReport(const SoundFontModel& model, int instrument,
                                       const std::string& soundFontPath);

}  // namespace zelvo
