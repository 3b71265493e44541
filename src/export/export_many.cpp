#include "export/export_many.h"

#include <filesystem>
#include <string_view>

#include "browser/text_encoding.h"
#include "export/export_texts.h"
#include "export/write_stuff.h"

namespace zelvo {
namespace {

// Thrown out of an export's progress report to stop it; the output file is
// then removed before anything is renamed into place.
struct Cancelled {};

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

std::string Plural(int n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

std::string ExportManyFileName(const std::string& nodeText, const std::set<std::string>& taken) {
    const std::string name = SafeFileName(nodeText);
    std::string candidate = name;
    for (int n = 2; taken.contains(candidate); ++n)
        candidate = name + " (" + std::to_string(n) + ")";
    return candidate;
}

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
    std::set<std::string> taken;
    ExportManyStep step{.total = summary.total};
    const auto report = [&] {
        if (progress && !progress(step)) throw Cancelled{};
    };
    try {
        for (const int i : instruments) {
            const std::string nodeText =
                DisplayText(model.InstHeaders[static_cast<std::size_t>(i)].achInstName);
            step.instrument = Latin1ToUtf8(nodeText);
            step.bytesWritten = step.bytesTotal = 0;
            report();
            const std::string name = ExportManyFileName(nodeText, taken);
            const std::string target =
                (std::filesystem::path(folder) / (name + kWaveFileExtension)).string();
            try {
                ExportInstrumentToWave(model, i, nodeText, soundFontPath, target,
                                       [&](std::uint64_t written, std::uint64_t total) {
                                           step.bytesWritten = written;
                                           step.bytesTotal = total;
                                           report();
                                       });
                taken.insert(name);
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
