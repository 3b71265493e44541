// SPDX-License-Identifier: GPL-3.0-or-later
// One function per zelvo-cli command; args excludes the command name.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output.h"
#include "soundfont/browse_tree.h"
#include "soundfont/model.h"

namespace zelvo::cli {

using Args = std::vector<std::string>;

// A wrong command line; what names the fault in a line printed before the usage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Throws UsageError unless args holds from to to arguments.
void ExpectArguments(const Args& args, std::size_t from, std::size_t to);

// "zelvo-cli: FILE: message" on err: every fault names the file it is about.
void PrintFileError(Output& err, const std::string& file, std::string_view message);

inline constexpr std::string_view kAllOption = "--all";
inline constexpr std::string_view kAllPresetsOption = "--all-presets";
// Followed by BANK:PROGRAM.
inline constexpr std::string_view kPresetOption = "--preset";

int RunTree(const Args& args, Output& out, Output& err);
int RunInfo(const Args& args, Output& out, Output& err);
int RunExport(const Args& args, Output& out, Output& err);
int RunDetails(const Args& args, Output& out, Output& err);
int RunInspect(const Args& args, Output& out, Output& err);
int RunReport(const Args& args, Output& out, Output& err);
int RunCalibration(const Args& args, Output& out, Output& err);

// Writes the samples and tuning as stored, without conversion or correction.
inline constexpr std::string_view kAsStoredOption = "--as-stored";

// An instrument number as its tree key writes it: decimal digits only.
struct InstrumentNumber {
    int value = 0;
    bool fits = true;  // false: too large for any instrument, kept as typed
};
std::optional<InstrumentNumber> ParseInstrumentNumber(std::string_view text);

// Removes option from args; what it removed, if it was there.
std::optional<std::string> TakeOption(Args& args, std::string_view option);
// Removes option and the value after it from args; the value, if there.
std::optional<std::string> TakeOptionValue(Args& args, std::string_view option);

// A preset as "BANK:PROGRAM", each a whole number.
struct PresetNumber {
    int bank = 0;
    int program = 0;
};
std::optional<PresetNumber> ParsePresetNumber(std::string_view text);
// Throws UsageError unless text is BANK:PROGRAM.
void ExpectPresetNumber(const std::string& text);

// The preset that "BANK:PROGRAM" names in model; reports on err when none does.
std::optional<int> PresetForCli(const SoundFontModel& model, const std::string& file,
                                const std::string& text, Output& err);

// The instrument that text names in model, or nullopt when there is none
// (reported on err); throws UsageError when text is not a number.
std::optional<int> InstrumentForCli(const SoundFontModel& model, const std::string& file,
                                    const std::string& text, Output& err);

// The options a command takes anywhere after its FILE.
inline constexpr std::string_view kJsonOption = "--json";
// Followed by the number of threads that convert samples (export, report).
inline constexpr std::string_view kJobsOption = "--jobs";
// The whole-bank report converts every sample to count clipped points.
inline constexpr std::string_view kClippingOption = "--clipping";

// Removes "--jobs N" from args: N, or 0 when not given; throws UsageError
// when N is not a whole number from 1 to kMaxJobs.
inline constexpr int kMaxJobs = 256;
int TakeJobs(Args& args);

// Loads path as the Open command does; reports a failure on err and returns
// false.
bool LoadForCli(const std::string& path, SoundFontModel& model, BrowseTree& tree, Output& err);

}  // namespace zelvo::cli
