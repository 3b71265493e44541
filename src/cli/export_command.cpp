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
namespace {

// An instrument number as its tree key writes it: decimal digits only.
struct InstrumentNumber {
    int value = 0;
    bool fits = true;  // false: too large for any instrument, kept as typed
};

std::optional<InstrumentNumber> ParseInstrumentNumber(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    InstrumentNumber number;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number.value);
    number.fits = error != std::errc::result_out_of_range;
    return number;
}

bool ExportOne(const SoundFontModel& model, int instrument, const std::string& soundFontPath,
               const std::string& outputPath, std::ostream& out, std::ostream& err) {
    try {
        ExportInstrumentToWave(model, instrument, soundFontPath, outputPath);
    } catch (const ExportError& e) {
        err << "zelvo-cli: " << e.what() << '\n';
        return false;
    }
    out << SavedText(outputPath) << '\n';
    return true;
}

int ExportInstrument(const std::string& path, const std::string& numberText,
                     const std::optional<std::string>& outputPath, std::ostream& out,
                     std::ostream& err) {
    const std::optional<InstrumentNumber> instrument = ParseInstrumentNumber(numberText);
    if (!instrument) {
        err << "zelvo-cli: the instrument number must be a whole number, not \"" << numberText
            << "\"\n";
        return kExitUsage;
    }
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    if (!instrument->fits) {
        err << "zelvo-cli: " << NoInstrumentText(numberText) << '\n';
        return kExitFailure;
    }
    const std::string target = outputPath.value_or(ProposedExportPath(model, instrument->value));
    return ExportOne(model, instrument->value, path, target, out, err) ? kExitOk : kExitFailure;
}

// Every instrument with zones; one that cannot be exported does not stop the others.
int ExportAll(const std::string& path, const std::string& folder, std::ostream& out,
              std::ostream& err) {
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        err << "zelvo-cli: cannot create " << folder << ": " << error.message() << '\n';
        return kExitFailure;
    }
    const ExportManySummary summary = ExportManyInstruments(model, path, folder);
    for (const std::string& written : summary.written) out << SavedText(written) << '\n';
    for (const ExportRefusal& refusal : summary.refused) err << "zelvo-cli: " << refusal.reason << '\n';
    return summary.refused.empty() ? kExitOk : kExitFailure;
}

}  // namespace

int RunExport(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 3 && args[1] == kAllOption) return ExportAll(args[0], args[2], out, err);
    if (args.size() == 2) return ExportInstrument(args[0], args[1], std::nullopt, out, err);
    if (args.size() == 3) return ExportInstrument(args[0], args[1], args[2], out, err);
    return kExitUsage;
}

}  // namespace zelvo::cli
