// SPDX-License-Identifier: GPL-3.0-or-later
// How large an instrument's wave file will be, against the EX5/7's wave
// memories and a floppy disk: the one size that the report, the preview and
// the CLI show.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/export_plan.h"

namespace zelvo {

struct WaveMemory {
    const char* name;
    std::uint64_t bytes;
    bool floppy = false;
};

inline constexpr std::uint64_t kMegabyte = 1024 * 1024;
// The EX5/7's wave memory sizes, and a floppy disk.
inline constexpr std::array<WaveMemory, 6> kWaveMemories = {{{"1 MB", 1 * kMegabyte},
                                                             {"9 MB", 9 * kMegabyte},
                                                             {"17 MB", 17 * kMegabyte},
                                                             {"33 MB", 33 * kMegabyte},
                                                             {"65 MB", 65 * kMegabyte},
                                                             {"Floppy 1.44 MB", 1457664, true}}};

struct OutputSize {
    std::uint64_t bytes = 0;  // of the whole .s1m file

    std::string SizeText() const;  // "1,234,567 bytes (1.2 MB)"
    double Megabytes() const { return static_cast<double>(bytes) / kMegabyte; }
    // The smallest memory the file fits in; none when it fits in none.
    std::optional<WaveMemory> SmallestFit() const;
    // The wave memories (not the floppy) it fits in, smallest first.
    std::vector<WaveMemory> FittingWaveMemories() const;
    bool FitsFloppy() const;
};

OutputSize WaveFileSize(const WavePlan& plan);

// What the preview reports about converting one instrument.
struct OutputSizeReport {
    OutputSize size;
    std::optional<std::string> refusal;  // why the export would refuse, if it would
};

OutputSizeReport BuildOutputSizeReport(const SoundFontModel& model, int instrument,
                                       const ExportOptions& options = {});

}  // namespace zelvo
