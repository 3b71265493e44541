#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>

#include "browser/text_encoding.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "export/export_texts.h"
#include "export/write_stuff.h"
#include "soundfont/memory_tree.h"
#include "soundfont/tree_keys.h"

namespace zelvo::cli {

std::optional<int> ParseInstrumentNumber(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return std::numeric_limits<int>::max();
    return value;
}

namespace {

constexpr std::string_view kAllOption = "--all";

std::string InstrumentNodeText(const MemoryTree& tree, int instrument) {
    const MemoryTree::Node* node = tree.Find(NodeKey(kInstrumentsKey, instrument));
    return node ? node->text : std::string();
}

// A node text as a file name: the characters that file systems or shells
// reject, and control characters (C1 included), become '_'.
std::string SafeFileName(const std::string& nodeText) {
    static constexpr std::string_view kRejected = "\\/:*?\"<>|";
    std::string name = nodeText;
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool control = byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
        if (control || kRejected.find(c) != std::string_view::npos) c = '_';
    }
    return Latin1ToUtf8(name);
}

// name, or name (2), name (3)... whichever is not taken yet.
std::string UniqueName(const std::string& name, const std::set<std::string>& taken) {
    std::string candidate = name;
    for (int n = 2; taken.contains(candidate); ++n)
        candidate = name + " (" + std::to_string(n) + ")";
    return candidate;
}

bool ExportOne(const SoundFontModel& model, int instrument, const std::string& nodeText,
               const std::string& soundFontPath, const std::string& outputPath,
               const ExportOptions& options, std::ostream& out, std::ostream& err) {
    try {
        ExportInstrumentToWave(model, instrument, nodeText, soundFontPath, outputPath, {}, options);
    } catch (const ExportError& e) {
        err << "zelvo-cli: " << e.what() << '\n';
        return false;
    }
    out << SavedText(outputPath) << '\n';
    return true;
}

int ExportInstrument(const std::string& path, const std::string& numberText,
                     const std::optional<std::string>& outputPath, const ExportOptions& options,
                     std::ostream& out, std::ostream& err) {
    const std::optional<int> instrument = ParseInstrumentNumber(numberText);
    if (!instrument) {
        err << "zelvo-cli: the instrument number must be a whole number, not \"" << numberText
            << "\"\n";
        return kExitUsage;
    }
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    const std::string nodeText = InstrumentNodeText(tree, *instrument);
    const std::string target = outputPath.value_or(ProposedExportPath(model, nodeText));
    return ExportOne(model, *instrument, nodeText, path, target, options, out, err) ? kExitOk
                                                                                   : kExitFailure;
}

// Every instrument with zones; one that cannot be exported does not stop the others.
int ExportAll(const std::string& path, const std::string& folder, const ExportOptions& options,
              std::ostream& out, std::ostream& err) {
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(path, model, tree, err)) return kExitFailure;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        err << "zelvo-cli: cannot create " << folder << ": " << error.message() << '\n';
        return kExitFailure;
    }
    int status = kExitOk;
    std::set<std::string> taken;
    for (int i = 1; i <= model.InstCount; ++i) {
        if (model.InstZoneTable[i].zoneCount == 0) continue;
        const std::string nodeText = InstrumentNodeText(tree, i);
        const std::string name = UniqueName(SafeFileName(nodeText), taken);
        const std::string target =
            (std::filesystem::path(folder) / (name + kWaveFileExtension)).string();
        if (ExportOne(model, i, nodeText, path, target, options, out, err)) {
            taken.insert(name);
        } else {
            status = kExitFailure;
        }
    }
    return status;
}

}  // namespace

int RunExport(const Args& given, std::ostream& out, std::ostream& err) {
    Args args = given;
    ExportOptions options;
    const auto asStored = std::find(args.begin(), args.end(), kAsStoredOption);
    if (asStored != args.end()) {
        options.convertSamples = false;
        args.erase(asStored);
    }
    if (args.size() == 3 && args[1] == kAllOption) {
        return ExportAll(args[0], args[2], options, out, err);
    }
    if (args.size() == 2) return ExportInstrument(args[0], args[1], std::nullopt, options, out, err);
    if (args.size() == 3) return ExportInstrument(args[0], args[1], args[2], options, out, err);
    return kExitUsage;
}

}  // namespace zelvo::cli
