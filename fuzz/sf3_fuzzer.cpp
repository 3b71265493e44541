// SPDX-License-Identifier: GPL-3.0-or-later
// A fuzzed file, seeded with SoundFont 3 files, is loaded and each of its
// instruments run through the export's report, which decodes the compressed
// samples its zones play and converts them as an export would, writing
// nothing: every report completes or names its refusal (the file stays
// readable, so an ExportError is a finding); nothing crashes, hangs or
// claims memory beyond what the input holds.
#include <cstddef>
#include <cstdint>

#include "export/conversion_report.h"
#include "work_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zelvo::SoundFontModel model;
    const std::string input = zelvo::fuzzing::LoadInput(data, size, "input.sf3", model);
    if (input.empty()) return 0;
    for (int i = 1; i <= model.InstCount; ++i) {
        zelvo::ReportNotes(zelvo::ReportInstrumentExport(model, i, input));
    }
    return 0;
}
