// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "cli/cli.h"
#include "cli/commands.h"
#include "export/calibration_wave.h"
#include "export/export_many.h"
#include "export/export_texts.h"
#include "export/write_stuff.h"
#include "soundfont/memory_tree.h"

namespace zelvo::cli {

std::optional<InstrumentNumber> ParseInstrumentNumber(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    InstrumentNumber number;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number.value);
    number.fits = error != std::errc::result_out_of_range;
    return number;
}

std::optional<std::string> TakeOption(Args& args, std::string_view option) {
    const auto found = std::find(args.begin(), args.end(), option);
    if (found == args.end()) return std::nullopt;
    args.erase(found);
    return std::string(option);
}

std::optional<std::string> TakeOptionValue(Args& args, std::string_view option) {
    const auto found = std::find(args.begin(), args.end(), option);
    if (found == args.end() || found + 1 == args.end()) return std::nullopt;
    std::string value = *(found + 1);
    args.erase(found, found + 2);
    return value;
}

int TakeJobs(Args& args) {
    const std::optional<std::string> text = TakeOptionValue(args, kJobsOption);
    if (!text) return 0;
    const std::optional<InstrumentNumber> jobs = ParseInstrumentNumber(*text);
    if (jobs && jobs->fits && jobs->value >= 1 && jobs->value <= kMaxJobs) return jobs->value;
    throw UsageError("--jobs takes a number of threads from 1 to " + std::to_string(kMaxJobs) + ", not \"" +
                     *text + "\"");
}

std::optional<PresetNumber> ParsePresetNumber(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::optional<InstrumentNumber> bank = ParseInstrumentNumber(text.substr(0, colon));
    const std::optional<InstrumentNumber> program = ParseInstrumentNumber(text.substr(colon + 1));
    if (!bank || !program || !bank->fits || !program->fits) return std::nullopt;
    return PresetNumber{bank->value, program->value};
}

std::optional<int> PresetForCli(const SoundFontModel& model, const std::string& file,
                                const std::string& text, Output& err) {
    const std::optional<PresetNumber> number = ParsePresetNumber(text);
    const std::optional<int> preset = number ? FindPreset(model, number->bank, number->program) : std::nullopt;
    if (!preset) PrintFileError(err, file, "there is no preset " + text + " in this SoundFont");
    return preset;
}

std::optional<int> InstrumentForCli(const SoundFontModel& model, const std::string& file,
                                    const std::string& text, Output& err) {
    const std::optional<InstrumentNumber> number = ParseInstrumentNumber(text);
    if (!number) {
        throw UsageError("instrument must be a number from 1 to " + std::to_string(model.InstCount) +
                         ", not \"" + text + "\"");
    }
    if (number->fits && number->value >= 1 && number->value <= model.InstCount) return number->value;
    PrintFileError(err, file, NoInstrumentText(text, model.InstCount));
    return std::nullopt;
}

// A preset as BANK:PROGRAM, checked before the file is read.
void ExpectPresetNumber(const std::string& text) {
    if (!ParsePresetNumber(text)) throw UsageError("a preset is BANK:PROGRAM, not \"" + text + "\"");
}

namespace {

bool ExportOne(const SoundFontModel& model, int instrument, const std::string& soundFontPath,
               const std::string& outputPath, const ExportOptions& options, Output& out,
               Output& err) {
    try {
        ExportInstrumentToWave(model, instrument, soundFontPath, outputPath, {}, options);
    } catch (const ExportError& e) {
        PrintFileError(err, soundFontPath, e.what());
        return false;
    }
    out << SavedText(outputPath) << kNewLine;
    return true;
}

int ExportInstrument(const std::string& path, const std::string& numberText,
                     const std::optional<std::string>& outputPath, const ExportOptions& options,
                     Output& out, Output& err) {
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    const std::optional<int> instrument = InstrumentForCli(model, path, numberText, err);
    if (!instrument) return kExitFailure;
    const std::string target = outputPath.value_or(ProposedExportPath(model, *instrument));
    return ExportOne(model, *instrument, path, target, options, out, err) ? kExitOk : kExitFailure;
}

// Every instrument with zones, or every preset; one that cannot be exported
// does not stop the others.
int ExportAll(const std::string& path, const std::string& folder, bool presets,
              const ExportOptions& options, Output& out, Output& err) {
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        err << "zelvo-cli: cannot create " << folder << ": " << error.message() << kNewLine;
        return kExitFailure;
    }
    const ExportManySummary summary = presets ? ExportManyPresets(model, path, folder, {}, options)
                                              : ExportManyInstruments(model, path, folder, {}, options);
    for (const std::string& written : summary.written) out << SavedText(written) << kNewLine;
    for (const ExportRefusal& refusal : summary.refused) {
        PrintFileError(err, path, refusal.reason);
    }
    return summary.refused.empty() ? kExitOk : kExitFailure;
}

int ExportPreset(const std::string& path, const std::string& number,
                 const std::optional<std::string>& outputPath, Output& out, Output& err) {
    ExpectPresetNumber(number);
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    const std::optional<int> preset = PresetForCli(model, path, number, err);
    if (!preset) return kExitFailure;
    const std::string target = outputPath.value_or(ProposedPresetExportPath(model, *preset));
    try {
        ExportPresetToWave(model, *preset, path, target);
    } catch (const ExportError& e) {
        PrintFileError(err, path, e.what());
        return kExitFailure;
    }
    out << SavedText(target) << kNewLine;
    return kExitOk;
}

}  // namespace

int RunExport(const Args& given, Output& out, Output& err) {
    Args args = given;
    const bool asStored = TakeOption(args, kAsStoredOption).has_value();
    const ExportOptions options{.convertSamples = !asStored, .jobs = TakeJobs(args)};
    if (const std::optional<std::string> preset = TakeOptionValue(args, kPresetOption)) {
        // A preset's zones are always played as a player merges them.
        if (asStored) throw UsageError("--as-stored does not apply to --preset");
        ExpectArguments(args, 1, 2);
        return ExportPreset(args[0], *preset,
                            args.size() == 2 ? std::optional(args[1]) : std::nullopt, out, err);
    }
    if (args.size() == 3 && (args[1] == kAllOption || args[1] == kAllPresetsOption)) {
        if (args[1] == kAllPresetsOption && asStored) {
            throw UsageError("--as-stored does not apply to --all-presets");
        }
        return ExportAll(args[0], args[2], args[1] == kAllPresetsOption, options, out, err);
    }
    ExpectArguments(args, 2, 3);
    return ExportInstrument(args[0], args[1], args.size() == 3 ? std::optional(args[2]) : std::nullopt,
                            options, out, err);
}

int RunCalibration(const Args& args, Output& out, Output& err) {
    ExpectArguments(args, 1, 1);
    try {
        WriteCalibrationWave(args[0]);
    } catch (const ExportError& e) {
        err << "zelvo-cli: " << e.what() << kNewLine;
        return kExitFailure;
    }
    out << SavedText(args[0]) << kNewLine;
    return kExitOk;
}

}  // namespace zelvo::cli
