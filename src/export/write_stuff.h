// Export of one instrument as an EX5/7 wave file (.s1m).
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "soundfont/model.h"

namespace zelvo {

// Why an export did not produce its file. A refusal is decided before
// anything is written; a failure happens while reading or writing. what()
// is the message shown to the user.
class ExportError : public std::runtime_error {
public:
    enum class Kind { Refused, Failed };
    ExportError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Bytes of sample data written so far, of total.
using ExportProgress = std::function<void(std::uint64_t written, std::uint64_t total)>;

// Writes instrument `instrument` (1-based) of the loaded model to outputPath,
// reading sample points from soundFontPath. nodeText is the instrument's tree
// node text (its name cut at the first NUL). The file is written beside the
// target and renamed over it only when complete. Throws ExportError.
void ExportInstrumentToWave(const SoundFontModel& model, int instrument, const std::string& nodeText,
                            const std::string& soundFontPath, const std::string& outputPath,
                            const ExportProgress& progress = {});

}  // namespace zelvo
