// SPDX-License-Identifier: GPL-3.0-or-later
// Export of every instrument with zones, or every preset, into one folder,
// as "zelvo-cli export --all" or "--all-presets" and Element > Save All
// Instruments run it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/export_error.h"
#include "soundfont/model.h"

namespace zelvo {

struct ExportManyStep {
    int done = 0;   // instruments finished, written or refused
    int total = 0;  // instruments with zones
    std::string instrument{};  // UTF-8 name of the one in work
    std::uint64_t bytesWritten = 0, bytesTotal = 0;  // of its sample data
};
// Reports progress; returning false cancels the run. The instrument in work
// is then left unwritten, and the files already written stay.
using ExportManyProgress = std::function<bool(const ExportManyStep&)>;

struct ExportRefusal {
    std::string instrument;  // UTF-8 name
    std::string reason;
};

struct ExportManySummary {
    std::string folder;
    int total = 0;
    std::vector<std::string> written;  // paths, in instrument order
    std::vector<ExportRefusal> refused;
    bool cancelled = false;

    int NotReached() const;
    // "Saved 3 of 4 instruments to /waves." and, after a cancel, how many were left.
    std::string Headline() const;
};

// Writes every instrument with zones of the model, loaded from soundFontPath,
// into folder (which must exist). An instrument the file cannot hold is
// refused and the others go on. Each sample is decoded and converted once,
// on options.jobs threads; the files and messages do not depend on them. A
// list of instruments (1-based) writes only those of them that have zones.
ExportManySummary ExportManyInstruments(const SoundFontModel& model,
                                        const std::string& soundFontPath,
                                        const std::string& folder,
                                        const ExportManyProgress& progress = {},
                                        const ExportOptions& options = {},
                                        const std::vector<int>& only = {});

// Writes every preset, named "BBB-PPP Name.s1m" (PresetFileStem); only
// the threads and stop token of options apply.
ExportManySummary ExportManyPresets(const SoundFontModel& model, const std::string& soundFontPath,
                                    const std::string& folder, const ExportManyProgress& progress = {},
                                    const ExportOptions& options = {});

}  // namespace zelvo
