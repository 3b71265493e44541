#include "export/export_many.h"

#include <filesystem>

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

ExportManySummary ExportManyInstruments(const SoundFontModel& model,
                                        const std::string& soundFontPath,
                                        const std::string& folder,
                                        const ExportManyProgress& progress) {
    ExportManySummary summary;
    summary.folder = folder;
    std::vector<int> instruments;
    for (int i = 1; i <= model.InstCount; ++i) {
        if (model.InstZoneTable.at(static_cast<std::size_t>(i)).zoneCount > 0)
            instruments.push_back(i);
    }
    summary.total = static_cast<int>(instruments.size());
    UniqueNames names;
    ExportManyStep step{.total = summary.total};
    const auto report = [&] {
        if (progress && !progress(step)) throw Cancelled{};
    };
    try {
        for (const int i : instruments) {
            const std::string name = InstrumentName(model, i);
            step.instrument = Latin1ToUtf8(name);
            step.bytesWritten = step.bytesTotal = 0;
            report();
            // The file-name rule of every export, then a number for a name given before.
            const std::string stem = WaveFileStem(name, i);
            const NameChoice choice = names.Propose(stem);
            const std::string target =
                (std::filesystem::path(folder) / (choice.name + kWaveFileExtension)).string();
            try {
                ExportInstrumentToWave(model, i, soundFontPath, target,
                                       [&](std::uint64_t written, std::uint64_t total) {
                                           step.bytesWritten = written;
                                           step.bytesTotal = total;
                                           report();
                                       });
                names.Take(stem, choice);
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

}  // namespace zelvo
