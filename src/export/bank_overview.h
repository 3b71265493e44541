// SPDX-License-Identifier: GPL-3.0-or-later
// The whole bank at a glance: one row per instrument, made from the same
// report as "zelvo-cli report" without reading any sample point.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "export/conversion_report.h"
#include "soundfont/model.h"

namespace zelvo {

struct BankRow {
    int instrument = 0;  // 1-based
    std::string name;    // UTF-8, cut at its NUL
    int zones = 0;
    int samples = 0;
    std::uint64_t bytes = 0;        // of the converted wave file; 0 when refused
    std::string memory;             // the smallest wave memory it fits: "9 MB", "none"
    std::uint64_t memoryBytes = 0;  // that memory's size, for sorting; past every one for "none"
    bool floppy = false;
    int warnings = 0;
    std::string verdict;  // "ok", "changed" or "refused"
};

BankRow BankRowOf(const InstrumentReport& report);

// Rows for instruments 1..InstCount in order. progress hears (done, total)
// after each row. A stop request ends the work early with the rows made so far.
std::vector<BankRow> BuildBankRows(const SoundFontModel& model, const std::string& soundFontPath,
                                   const ExportOptions& options = {},
                                   const std::function<void(int, int)>& progress = {});

}  // namespace zelvo
