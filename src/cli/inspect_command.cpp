#include <string_view>

#include "browser/names.h"
#include "browser/text_encoding.h"
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
    return EscapedText(text);
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

void PrintKeyMap(const WaveFileContents& wave, std::ostream& out) {
    out << "key map\t" << NameText(wave.keyMapHeader.name) << '\n';
    out << "entry\tkeys\tvelocities\tsample\tpan\tcoarse tune\tfine tune\n";
    int k = 0;
    for (const WaveKeyMapEntry& e : wave.keyMapEntries) {
        out << ++k << '\t' << KeyRangeText(e.keyLo, e.keyHi) << '\t' << RangeText(e.velLo, e.velHi)
            << '\t' << WaveSampleNumber(e) << '\t' << e.pan << '\t' << e.coarseTune << '\t'
            << e.fineTune << '\n';
    }
}

void PrintSampleHeaders(const WaveFileContents& wave, std::ostream& out) {
    out << "sample\tname\tloop start\tloop length\tloop\troot key\tsize\n";
    int c = 0;
    for (const WaveSample& s : wave.samples) {
        const WaveSampleHeader& h = s.header;
        out << ++c << '\t' << NameText(h.name) << '\t' << h.loopStartOffset << '\t' << h.loopLength
            << '\t' << (WaveLooped(h) ? "on" : "off") << '\t' << KeyText(h.rootKey) << '\t'
            << s.size << '\n';
    }
}

}  // namespace

int RunInspect(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return kExitUsage;
    const std::string& path = args[0];
    WaveFileContents wave;
    try {
        wave = ReadWaveFile(path);
    } catch (const WaveFileError& e) {
        err << DescribeWaveError(e) << ": " << path << '\n';
        return kExitFailure;
    } catch (const FileAccessError& e) {
        err << "zelvo-cli: cannot open " << e.what() << '\n';
        return kExitFailure;
    }
    PrintKeyMap(wave, out);
    out << '\n';
    PrintSampleHeaders(wave, out);
    return kExitOk;
}

}  // namespace zelvo::cli
