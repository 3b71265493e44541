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
    nlohmann::json json = {{"instrument", r.instrument},
                           {"name", Shown(r.name)},
                           {"convert", r.convert},
                           {"zones", r.zones},
                           {"samples", r.samples},
                           {"status", r.Status()},
                           {"warnings", r.Warnings()},
                           {"refusal", r.refusal ? nlohmann::json(*r.refusal) : nlohmann::json()}};
    if (r.refusal) return json;
    std::vector<std::uint64_t> memories;
    for (const WaveMemory& m : r.output.FittingWaveMemories()) memories.push_back(m.bytes / kMegabyte);
    json["output"] = {{"bytes", r.output.bytes},
                      {"megabytes", r.output.Megabytes()},
                      {"fits_wave_memories_mb", memories},
                      {"fits_floppy", r.output.FitsFloppy()}};
    for (const SampleReport& s : r.sampleReports) {
        json["sample_reports"].push_back(
            {{"number", s.number}, {"name", Shown(s.name)}, {"codec", s.codec},
             {"from_rate", s.fromRate}, {"to_rate", s.toRate}, {"points", s.points},
             {"out_points", s.outPoints}, {"loop_points", s.loopPoints},
             {"out_loop_points", s.outLoopPoints}, {"loop_tune_cents", s.loopTuneCents},
             {"loop_pitch_error_cents", s.loopPitchErrorCents},
             {"pitch_correction_cents", s.pitchCorrectionCents},
             {"gain_db", s.gainDb}, {"clamps", ClampsJson(s.clamps)}});
    }
    for (const ZoneReport& z : r.zoneReports) {
        nlohmann::json zone = {{"zone", z.zone}, {"global", z.global},
                               {"dropped_generators", z.droppedGenerators},
                               {"modulators", z.modulators}};
        if (!z.global) {
            zone.update({{"sample", z.sampleNumber}, {"clamps", ClampsJson(z.clamps)},
                         {"root_key", z.rootKey}, {"root_key_source", z.rootKeySource},
                         {"sample_modes", z.sampleModes}, {"loop_flag", z.loopFlag}});
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
    out << "Sample " << s.number << " \"" << Shown(s.name) << "\": " << s.codec << ", "
        << s.fromRate << " Hz -> " << s.toRate << " Hz, " << s.points << " -> " << s.outPoints
        << " points, loop " << s.loopPoints << " -> " << s.outLoopPoints << " points, loop tune "
        << Fixed(s.loopTuneCents) << " cents, loop pitch error " << Fixed(s.loopPitchErrorCents)
        << " cents, pitch correction " << s.pitchCorrectionCents << " cents, gain "
        << Fixed(s.gainDb) << " dB" << kNewLine;
    if (!s.clamps.empty()) out << "  clamped: " << ClampsText(s.clamps) << kNewLine;
}

void PrintZone(Output& out, const ZoneReport& z) {
    out << "Zone " << z.zone << ": ";
    if (z.global) {
        out << "global";
    } else {
        char flag[8];
        std::snprintf(flag, sizeof flag, "0x%02X", z.loopFlag);
        out << "sample " << z.sampleNumber << ", root key " << z.rootKey << " from "
            << z.rootKeySource << ", loop mode " << z.sampleModes << " (loop flag " << flag << ")";
        if (!z.clamps.empty()) out << ", clamped: " << ClampsText(z.clamps);
    }
    out << ", " << z.modulators << " modulators";
    if (!z.droppedGenerators.empty()) out << "; not in the wave: " << Joined(z.droppedGenerators);
    out << kNewLine;
}

void PrintReport(Output& out, const InstrumentReport& r) {
    out << "Instrument " << r.instrument << " \"" << Shown(r.name) << "\": " << r.zones
        << " zones, " << r.samples << " samples, " << r.Warnings() << " warnings, " << r.Status()
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
    for (const ZoneReport& z : r.zoneReports) PrintZone(out, z);
    for (const PresetLevelReport& p : r.presetGenerators) {
        out << "Preset \"" << Shown(p.preset) << "\" (bank " << p.bank << ", program " << p.program
            << ") adds: " << Joined(p.generators) << kNewLine;
    }
    for (const StereoPairReport& p : r.stereoPairs) {
        out << "Stereo pair \"" << Shown(p.left) << "\" and \"" << Shown(p.right)
            << "\": written as two mono samples" << kNewLine;
    }
}

}  // namespace

int RunReport(const Args& given, Output& out, Output& err) {
    Args args = given;
    const bool json = TakeOption(args, kJsonOption).has_value();
    const ExportOptions options{.convertSamples = !TakeOption(args, kAsStoredOption)};
    if (args.empty() || args.size() > 2) return kExitUsage;
    std::optional<InstrumentNumber> number;
    if (args.size() == 2) {
        number = ParseInstrumentNumber(args[1]);
        if (!number) {
            err << "zelvo-cli: the instrument number must be a whole number, not \"" << args[1]
                << "\"" << kNewLine;
            return kExitUsage;
        }
    }
    SoundFontModel model;
    MemoryTree tree;
    if (!LoadForCli(args[0], model, tree, err)) return kExitFailure;
    if (number && !number->fits) {
        err << "zelvo-cli: " << NoInstrumentText(args[1]) << kNewLine;
        return kExitFailure;
    }
    try {
        if (number) {
            const InstrumentReport report =
                ReportInstrumentExport(model, number->value, args[0], options);
            if (json) {
                out.Json(ReportJson(report));
            } else {
                PrintReport(out, report);
            }
            return kExitOk;
        }
        nlohmann::json all = nlohmann::json::array();
        for (int i = 1; i <= model.InstCount; ++i) {
            const InstrumentReport r = ReportInstrumentExport(model, i, args[0], options);
            if (json) {
                all.push_back({{"instrument", i}, {"name", Shown(r.name)}, {"zones", r.zones},
                               {"samples", r.samples}, {"output_bytes", r.output.bytes},
                               {"warnings", r.Warnings()}, {"status", r.Status()}});
            } else {
                out << i << kTab << Shown(r.name) << kTab << r.zones << kTab << r.samples << kTab
                    << r.output.bytes << kTab << r.Warnings() << kTab << r.Status() << kNewLine;
            }
        }
        if (json) out.Json(all);
    } catch (const ExportError& e) {
        err << "zelvo-cli: " << e.what() << kNewLine;
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace zelvo::cli
