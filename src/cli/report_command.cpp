// SPDX-License-Identifier: GPL-3.0-or-later
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "browser/text_encoding.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "export/conversion_report.h"
#include "export/export_texts.h"
#include "soundfont/memory_tree.h"

namespace zelvo::cli {
namespace {

// Whether every converted sample of r had its gain measured.
bool ClippingChecked(const InstrumentReport& r) {
    return std::none_of(r.sampleReports.begin(), r.sampleReports.end(),
                        [](const SampleReport& s) { return s.fromRate != s.toRate && !s.converted; });
}

// The last line of a whole-bank report made from the plans alone.
constexpr const char* kClippingNotChecked = "clipping not checked (--clipping converts every sample to check it)";

std::string Shown(const std::string& text) {
    return SoundFontTextToUtf8(DisplayText(text));
}

std::string Fixed(double value, const char* format = "%+.2f") {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string ClampsText(const std::vector<ValueClamp>& clamps) {
    std::vector<std::string> items;
    for (const ValueClamp& c : clamps) {
        items.push_back(c.field + " " + std::to_string(c.from) + " -> " + std::to_string(c.to));
    }
    return Joined(items);
}

nlohmann::json ClampsJson(const std::vector<ValueClamp>& clamps) {
    nlohmann::json list = nlohmann::json::array();
    for (const ValueClamp& c : clamps) list.push_back({{"field", c.field}, {"from", c.from}, {"to", c.to}});
    return list;
}

nlohmann::json ReportJson(const InstrumentReport& r) {
    nlohmann::json json = {{"name", Shown(r.name)},
                           {"convert", r.convert},
                           {"zones", r.zones},
                           {"samples", r.samples},
                           {"entries", r.entries},
                           {"status", r.Status()},
                           {"warnings", r.Warnings()},
                           {"refusal", r.refusal ? nlohmann::json(*r.refusal) : nlohmann::json()}};
    json[r.preset ? "preset" : "instrument"] = r.preset ? r.preset : r.instrument;
    if (r.refusal) return json;
    std::vector<std::uint64_t> memories;
    for (const WaveMemory& m : r.output.FittingWaveMemories()) memories.push_back(m.bytes / kMegabyte);
    json["output"] = {{"bytes", r.output.bytes},
                      {"megabytes", r.output.Megabytes()},
                      {"fits_wave_memories_mb", memories},
                      {"fits_floppy", r.output.FitsFloppy()},
                      {"repeated_sample_bytes", r.repeatedSampleBytes}};
    for (const SampleReport& s : r.sampleReports) {
        json["sample_reports"].push_back(
            {{"number", s.number}, {"name", Shown(s.name)}, {"wave_name", Shown(s.waveName)},
             {"codec", s.codec}, {"from_rate", s.fromRate}, {"to_rate", s.toRate},
             {"first_point", s.first}, {"points", s.points}, {"out_points", s.outPoints},
             {"looped", s.looped}, {"loop_points", s.loopPoints},
             {"out_loop_points", s.outLoopPoints}, {"loop_tune_cents", s.loopTuneCents},
             {"loop_pitch_error_cents", s.loopPitchErrorCents},
             {"pitch_correction_cents", s.pitchCorrectionCents},
             {"gain_db", s.gainDb}, {"clamps", ClampsJson(s.clamps)}});
    }
    for (const ZoneReport& z : r.zoneReports) {
        nlohmann::json zone = {{"instrument", z.instrument}, {"zone", z.zone}, {"global", z.global},
                               {"dropped_generators", z.droppedGenerators},
                               {"modulators", z.modulators}};
        if (!z.global) {
            zone.update({{"sample", z.sampleNumber}, {"entries", z.entries},
                         {"keys", {z.keyLo, z.keyHi}}, {"velocities", {z.velLo, z.velHi}},
                         {"clamps", ClampsJson(z.clamps)}, {"root_key", z.rootKey},
                         {"root_key_source", z.rootKeySource}, {"sample_modes", z.sampleModes},
                         {"loop_flag", z.loopFlag}, {"scale_tuning", z.scaleTuning},
                         {"tune_cents", z.tuneCents}, {"played_cents", z.playedCents},
                         {"key_tuned", z.keyTuned}});
        }
        json["zone_reports"].push_back(zone);
    }
    json["preset_generators"] = nlohmann::json::array();
    for (const PresetLevelReport& p : r.presetGenerators) {
        json["preset_generators"].push_back({{"preset", Shown(p.preset)}, {"bank", p.bank},
                                             {"program", p.program}, {"generators", p.generators}});
    }
    json["stereo_pairs"] = nlohmann::json::array();
    for (const StereoPairReport& p : r.stereoPairs) {
        json["stereo_pairs"].push_back({{"left", Shown(p.left)}, {"right", Shown(p.right)}});
    }
    return json;
}

void PrintSample(Output& out, const SampleReport& s) {
    out << "Sample " << s.number << " \"" << Shown(s.name) << "\" as \"" << s.waveName << "\": "
        << s.codec << ", " << s.fromRate << " Hz -> " << s.toRate << " Hz, from point " << s.first
        << ", " << s.points << " -> " << s.outPoints << " points, loop " << s.loopPoints << " -> "
        << s.outLoopPoints << " points" << (s.looped ? "" : " (not looped)") << ", loop tune "
        << Fixed(s.loopTuneCents) << " cents, loop pitch error " << Fixed(s.loopPitchErrorCents)
        << " cents, pitch correction " << s.pitchCorrectionCents << " cents, gain "
        << Fixed(s.gainDb) << " dB" << kNewLine;
    if (!s.clamps.empty()) out << "  clamped: " << ClampsText(s.clamps) << kNewLine;
}

void PrintZone(Output& out, const ZoneReport& z, bool preset) {
    out << "Zone " << z.zone;
    if (preset) out << " of instrument " << z.instrument;
    if (!z.global) {
        out << " (keys " << z.keyLo << "-" << z.keyHi << ", velocities " << z.velLo << "-" << z.velHi << ")";
    }
    out << ": ";
    if (z.global) {
        out << "global";
    } else {
        char flag[8];
        std::snprintf(flag, sizeof flag, "0x%02X", z.loopFlag);
        out << "sample " << z.sampleNumber << ", " << z.entries << (z.entries == 1 ? " entry" : " entries")
            << ", root key " << z.rootKey << " from " << z.rootKeySource << ", tune "
            << Fixed(z.tuneCents) << " cents played as " << Fixed(z.playedCents) << ", loop mode "
            << z.sampleModes << " (loop flag " << flag << ")";
        if (z.scaleTuning != 100) out << ", scale tuning " << z.scaleTuning;
        if (z.keyTuned) out << " (in tune at one key)";
        if (!z.clamps.empty()) out << ", clamped: " << ClampsText(z.clamps);
    }
    out << ", " << z.modulators << " modulators";
    if (!z.droppedGenerators.empty()) out << "; not in the wave: " << Joined(z.droppedGenerators);
    out << kNewLine;
}

void PrintReport(Output& out, const InstrumentReport& r) {
    out << (r.preset ? "Preset " : "Instrument ") << (r.preset ? r.preset : r.instrument) << " \""
        << Shown(r.name) << "\": " << r.zones << " zones, " << r.samples << " samples, "
        << r.entries << " entries, " << r.Warnings() << " warnings, " << r.Status()
        << (r.convert ? "" : " (as stored)") << kNewLine;
    if (r.refusal) {
        out << "Refused: " << *r.refusal << kNewLine;
        return;
    }
    std::vector<std::string> memories;
    for (const WaveMemory& m : r.output.FittingWaveMemories()) memories.push_back(m.name);
    out << "Output: " << r.output.bytes << " bytes (" << Fixed(r.output.Megabytes(), "%.2f")
        << " MB); fits wave memory: " << (memories.empty() ? "none" : Joined(memories))
        << "; 1.44 MB floppy: " << (r.output.FitsFloppy() ? "fits" : "does not fit") << kNewLine;
    for (const SampleReport& s : r.sampleReports) PrintSample(out, s);
    for (const ZoneReport& z : r.zoneReports) PrintZone(out, z, r.preset != 0);
    for (const PresetLevelReport& p : r.presetGenerators) {
        out << "Preset \"" << Shown(p.preset) << "\" (bank " << p.bank << ", program " << p.program
            << ") adds: " << Joined(p.generators) << (r.preset ? ", not in the wave" : "") << kNewLine;
    }
    for (const StereoPairReport& p : r.stereoPairs) {
        out << "Stereo pair \"" << Shown(p.left) << "\" and \"" << Shown(p.right)
            << "\": written as two mono samples" << kNewLine;
    }
    for (const ReportNote& n : ReportNotes(r)) {
        if (n.warning) out << "Warning: " << n.text << kNewLine;
    }
}

void PrintOne(Output& out, const InstrumentReport& report, bool json) {
    if (json) {
        out.Json(ReportJson(report));
    } else {
        PrintReport(out, report);
    }
}

// A refused report ends with status 1, as a refused export does.
int ReportStatus(const InstrumentReport& report, const std::string& file, Output& err) {
    if (!report.refusal) return kExitOk;
    PrintFileError(err, file, *report.refusal);
    return kExitFailure;
}

int ReportAll(const SoundFontModel& model, const std::string& file, const ExportOptions& options,
              bool clipping, bool json, Output& out, Output& err) {
    int status = kExitOk;
    bool unchecked = false;
    nlohmann::json all = nlohmann::json::array();
    for (const InstrumentReport& r : ReportAllInstruments(model, file, options, clipping)) {
        unchecked = unchecked || !ClippingChecked(r);
        if (json) {
            all.push_back({{"instrument", r.instrument}, {"name", Shown(r.name)}, {"zones", r.zones},
                           {"samples", r.samples}, {"output_bytes", r.output.bytes},
                           {"warnings", r.Warnings()}, {"status", r.Status()},
                           {"clipping_checked", ClippingChecked(r)}});
        } else {
            out << r.instrument << kTab << Shown(r.name) << kTab << r.zones << kTab << r.samples << kTab
                << r.output.bytes << kTab << r.Warnings() << kTab << r.Status() << kNewLine;
        }
        status = std::max(status, ReportStatus(r, file, err));
    }
    if (json) out.Json(all);
    if (!json && unchecked) out << kClippingNotChecked << kNewLine;
    return status;
}

}  // namespace

int RunReport(const Args& given, Output& out, Output& err) {
    Args args = given;
    const bool json = TakeOption(args, kJsonOption).has_value();
    const bool asStored = TakeOption(args, kAsStoredOption).has_value();
    const bool clipping = TakeOption(args, kClippingOption).has_value();
    const ExportOptions options{.convertSamples = !asStored, .jobs = TakeJobs(args)};
    const std::optional<std::string> presetText = TakeOptionValue(args, kPresetOption);
    if (presetText && asStored) throw UsageError("--as-stored does not apply to --preset");
    ExpectArguments(args, 1, presetText ? 1 : 2);
    // One instrument's report always converts; --clipping asks it of the whole bank.
    if (clipping && (args.size() != 1 || presetText)) throw UsageError("--clipping applies to the whole-bank report only");
    if (presetText) ExpectPresetNumber(*presetText);
    const std::string& file = args[0];
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(file, model, tree, err)) return kExitFailure;
    try {
        if (presetText) {
            const std::optional<int> preset = PresetForCli(model, file, *presetText, err);
            if (!preset) return kExitFailure;
            const InstrumentReport report = ReportPresetExport(model, *preset, file);
            PrintOne(out, report, json);
            return ReportStatus(report, file, err);
        }
        if (args.size() == 2) {
            const std::optional<int> number = InstrumentForCli(model, file, args[1], err);
            if (!number) return kExitFailure;
            const InstrumentReport report = ReportInstrumentExport(model, *number, file, options);
            PrintOne(out, report, json);
            return ReportStatus(report, file, err);
        }
        return ReportAll(model, file, options, clipping && !asStored, json, out, err);
    } catch (const ExportError& e) {
        PrintFileError(err, file, e.what());
        return kExitFailure;
    }
}

}  // namespace zelvo::cli
