#include "export/export_many.h"

#include <filesystem>
#include <functional>
#include <set>

#include "browser/text_encoding.h"
#include "export/export_texts.h"
#include "export/unique_names.h"
#include "export/write_stuff.h"

namespace zelvo {
namespace {

// Thrown out of an export's progress report to stop it; the output file is
// then removed before anything is renamed into place.
struct Cancelled {};

std::string Plural(int n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

int ExportManySummary::NotReached() const {
    return total - static_cast<int>(written.size() + refused.size());
}

std::string ExportManySummary::Headline() const {
    std::string text = "Saved " + std::to_string(written.size()) + " of " +
                       Plural(total, "instrument") + " to " + folder + ".";
    if (cancelled) text += " Cancelled with " + Plural(NotReached(), "instrument") + " left.";
    return text;
}

namespace {

// One file of a run: what to name it and how to write it.
struct ManyItem {
    std::string name;  // as the model holds it
    std::string stem;  // the file name without ".s1m"
    std::function<void(const std::string& target, const ExportProgress& progress)> write;
};

ExportManySummary ExportMany(const std::vector<ManyItem>& items, const std::string& folder,
                             const ExportManyProgress& progress) {
    ExportManySummary summary;
    summary.folder = folder;
    summary.total = static_cast<int>(items.size());
    UniqueNames names;
    ExportManyStep step{.total = summary.total};
    const auto report = [&] {
        if (progress && !progress(step)) throw Cancelled{};
    };
    try {
        for (const ManyItem& item : items) {
            step.instrument = SoundFontTextToUtf8(item.name);
            step.bytesWritten = step.bytesTotal = 0;
            report();
            // The file-name rule of every export, then a number for a name given before.
            const NameChoice choice = names.Propose(item.stem);
            const std::string target =
                (std::filesystem::path(folder) / (choice.name + kWaveFileExtension)).string();
            try {
                item.write(target, [&](std::uint64_t written, std::uint64_t total) {
                    step.bytesWritten = written;
                    step.bytesTotal = total;
                    report();
                });
                names.Take(item.stem, choice);
                summary.written.push_back(target);
            } catch (const ExportError& e) {
                summary.refused.push_back({step.instrument, e.what()});
            }
            ++step.done;
        }
        step.instrument.clear();
        if (progress) progress(step);  // the end: nothing left to cancel
    } catch (const Cancelled&) {
        summary.cancelled = true;
    }
    return summary;
}

}  // namespace

ExportManySummary ExportManyInstruments(const SoundFontModel& model,
                                        const std::string& soundFontPath,
                                        const std::string& folder,
                                        const ExportManyProgress& progress, const ExportOptions& options,
                                        const std::vector<int>& only) {
    const std::set<int> chosen(only.begin(), only.end());
    std::vector<ManyItem> items;
    for (int i = 1; i <= model.InstCount; ++i) {
        if (model.InstZoneTable.at(static_cast<std::size_t>(i)).zoneCount == 0) continue;
        if (!chosen.empty() && !chosen.contains(i)) continue;
        const std::string name = InstrumentName(model, i);
        items.push_back({name, WaveFileStem(name, i), [&, i](const std::string& target, const ExportProgress& p) {
                             ExportInstrumentToWave(model, i, soundFontPath, target, p, options);
                         }});
    }
    return ExportMany(items, folder, progress);
}

ExportManySummary ExportManyPresets(const SoundFontModel& model, const std::string& soundFontPath,
                                    const std::string& folder, const ExportManyProgress& progress) {
    std::vector<ManyItem> items;
    for (int p = 1; p <= model.PresetCount; ++p) {
        items.push_back({DisplayText(model.PresetHeaders[static_cast<std::size_t>(p)].achPresetName),
                         PresetFileStem(model, p), [&, p](const std::string& target, const ExportProgress& pr) {
                             ExportPresetToWave(model, p, soundFontPath, target, pr);
                         }});
    }
    return ExportMany(items, folder, progress);
}

}  // namespace zelvo
