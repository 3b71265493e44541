// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_many.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <set>

#include "browser/text_encoding.h"
#include "export/export_texts.h"
#include "export/sample_cache.h"
#include "export/sample_source.h"
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

// One file of a run: what to name it and what it holds.
struct ManyItem {
    std::string name;  // as the model holds it
    std::string stem;  // the file name without ".s1m"
    std::function<WavePlan()> plan;
};

// Every plan first, so that the refusals are known and each sample the run
// writes is made once, ahead of the writer; the files are then written in
// item order, whatever the thread count.
ExportManySummary ExportMany(const SoundFontModel& model, const std::string& soundFontPath,
                             const std::vector<ManyItem>& items, const std::string& folder,
                             const ExportManyProgress& progress, const ExportOptions& options) {
    std::vector<std::optional<WavePlan>> plans(items.size());
    std::vector<std::string> refusals(items.size());
    std::vector<std::vector<const PlannedSample*>> uses(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        try {
            plans[i] = items[i].plan();
            for (const PlannedSample& sample : plans[i]->samples) uses[i].push_back(&sample);
        } catch (const ExportError& e) {
            refusals[i] = e.what();
        }
    }
    SampleCache cache(model, soundFontPath, uses, options);

    ExportManySummary summary;
    summary.folder = folder;
    summary.total = static_cast<int>(items.size());
    UniqueNames names;
    ExportManyStep step{.total = summary.total};
    const auto report = [&] {
        if (progress && !progress(step)) throw Cancelled{};
    };
    // Waiting for a sample a worker converts, the progress is reported on,
    // so that a cancel is taken at once.
    const MadePoints made = [&](const PlannedSample& sample) {
        return KeepsWavePoints(model, sample) ? cache.Take(sample, report) : nullptr;
    };
    try {
        for (std::size_t i = 0; i < items.size(); ++i) {
            const ManyItem& item = items[i];
            cache.Begin(i);
            step.instrument = SoundFontTextToUtf8(item.name);
            step.bytesWritten = step.bytesTotal = 0;
            report();
            // The file-name rule of every export, then a number for a name given before.
            const NameChoice choice = names.Propose(item.stem);
            const std::string target =
                (std::filesystem::path(folder) / (choice.name + kWaveFileExtension)).string();
            try {
                if (!plans[i]) throw ExportError(ExportError::Kind::Refused, refusals[i]);
                SampleSource source(model, soundFontPath, options.stop);
                WritePlannedWave(*plans[i], source, target, [&](std::uint64_t written, std::uint64_t total) {
                    step.bytesWritten = written;
                    step.bytesTotal = total;
                    report();
                }, made);
                names.Take(item.stem, choice);
                summary.written.push_back(target);
            } catch (const ExportError& e) {
                summary.refused.push_back({step.instrument, e.what()});
            }
            cache.Finish(i);
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
        items.push_back({name, WaveFileStem(name, i), [&, i] { return PlanWaveFile(model, i, options); }});
    }
    return ExportMany(model, soundFontPath, items, folder, progress, options);
}

ExportManySummary ExportManyPresets(const SoundFontModel& model, const std::string& soundFontPath,
                                    const std::string& folder, const ExportManyProgress& progress,
                                    const ExportOptions& options) {
    std::vector<ManyItem> items;
    for (int p = 1; p <= model.PresetCount; ++p) {
        items.push_back({DisplayText(model.PresetHeaders[static_cast<std::size_t>(p)].achPresetName),
                         PresetFileStem(model, p), [&, p] { return PlanPresetWave(model, p); }});
    }
    return ExportMany(model, soundFontPath, items, folder, progress, options);
}

}  // namespace zelvo
