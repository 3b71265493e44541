#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "cli/cli.h"
#include "cli/commands.h"
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

namespace {

bool ExportOne(const SoundFontModel& model, int instrument, const std::string& soundFontPath,
               const std::string& outputPath, const ExportOptions& options, Output& out,
               Output& err) {
    try {
        ExportInstrumentToWave(model, instrument, soundFontPath, outputPath, {}, options);
    } catch (const ExportError& e) {
        err << "zelvo-cli: " << e.what() << kNewLine;
        return false;
    }
    out << SavedText(outputPath) << kNewLine;
    return true;
}

int ExportInstrument(const std::string& path, const std::string& numberText,
                     const std::optional<std::string>& outputPath, const ExportOptions& options,
                     Output& out, Output& err) {
    const std::optional<InstrumentNumber> instrument = ParseInstrumentNumber(numberText);
    if (!instrument) {
        err << "zelvo-cli: the instrument number must be a whole number, not \"" << numberText
            << "\"" << kNewLine;
        return kExitUsage;
    }
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    if (!instrument->fits) {
        err << "zelvo-cli: " << NoInstrumentText(numberText) << kNewLine;
        return kExitFailure;
    }
    const std::string target = outputPath.value_or(ProposedExportPath(model, instrument->value));
    return ExportOne(model, instrument->value, path, target, options, out, err) ? kExitOk
                                                                                : kExitFailure;
}

// Every instrument with zones; one that cannot be exported does not stop the others.
int ExportAll(const std::string& path, const std::string& folder, const ExportOptions& options,
              Output& out, Output& err) {
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        err << "zelvo-cli: cannot create " << folder << ": " << error.message() << kNewLine;
        return kExitFailure;
    }
    const ExportManySummary summary = ExportManyInstruments(model, path, folder, {}, options);
    for (const std::string& written : summary.written) out << SavedText(written) << kNewLine;
    for (const ExportRefusal& refusal : summary.refused) {
        err << "zelvo-cli: " << refusal.reason << kNewLine;
    }
    return summary.refused.empty() ? kExitOk : kExitFailure;
}

}  // namespace

int RunExport(const Args& given, Output& out, Output& err) {
    Args args = given;
    const ExportOptions options{.convertSamples = !TakeOption(args, kAsStoredOption)};
    if (args.size() == 3 && args[1] == kAllOption) {
        return ExportAll(args[0], args[2], options, out, err);
    }
    if (args.size() == 2) return ExportInstrument(args[0], args[1], std::nullopt, options, out, err);
    if (args.size() == 3) return ExportInstrument(args[0], args[1], args[2], options, out, err);
    return kExitUsage;
}

}  // namespace zelvo::cli
