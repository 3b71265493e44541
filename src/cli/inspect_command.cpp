// SPDX-License-Identifier: GPL-3.0-or-later
#include <string_view>

#include "browser/names.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "export/wave_reader.h"
#include "soundfont/errors.h"
#include "soundfont/model.h"

namespace zelvo::cli {
namespace {

// An 8-byte wave name as shown: up to its first NUL, without the spaces
// that pad it.
std::string NameText(const std::string& name) {
    std::string text = DisplayText(name);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// Keys as the detail list shows them: "C3 / 60", "C-2 - G8 / 0 - 127".
std::string KeyText(int key) {
    return *NoteName(key) + " / " + std::to_string(key);
}

std::string KeyRangeText(int low, int high) {
    return *NoteName(low) + " - " + *NoteName(high) + " / " + std::to_string(low) + " - " +
           std::to_string(high);
}

std::string RangeText(int low, int high) {
    return std::to_string(low) + " - " + std::to_string(high);
}

void PrintKeyMap(const WaveFileContents& wave, Output& out) {
    out.Row({"key map", NameText(wave.keyMapHeader.name)});
    out.Row({"entry", "keys", "velocities", "sample", "pan", "coarse tune", "fine tune"});
    int k = 0;
    for (const WaveKeyMapEntry& e : wave.keyMapEntries) {
        out << ++k << kTab << KeyRangeText(e.keyLo, e.keyHi) << kTab << RangeText(e.velLo, e.velHi)
            << kTab << WaveSampleNumber(e) << kTab << e.pan << kTab << e.coarseTune << kTab
            << e.fineTune << kNewLine;
    }
}

void PrintSampleHeaders(const WaveFileContents& wave, Output& out) {
    out.Row({"sample", "name", "loop start", "loop length", "loop", "root key", "size"});
    int c = 0;
    for (const WaveSample& s : wave.samples) {
        const WaveSampleHeader& h = s.header;
        out << ++c << kTab << NameText(h.name) << kTab << h.loopStartOffset << kTab << h.loopLength
            << kTab << (WaveLooped(h) ? "on" : "off") << kTab << KeyText(h.rootKey) << kTab
            << s.size << kNewLine;
    }
}

}  // namespace

int RunInspect(const Args& args, Output& out, Output& err) {
    ExpectArguments(args, 1, 1);
    const std::string& path = args[0];
    WaveFileContents wave;
    try {
        wave = ReadWaveFile(path);
    } catch (const WaveFileError& e) {
        PrintFileError(err, path, DescribeWaveError(e));
        return kExitFailure;
    } catch (const FileAccessError& e) {
        err << "zelvo-cli: cannot open " << e.what() << kNewLine;
        return kExitFailure;
    }
    PrintKeyMap(wave, out);
    out << kNewLine;
    PrintSampleHeaders(wave, out);
    return kExitOk;
}

}  // namespace zelvo::cli
