// SPDX-License-Identifier: GPL-3.0-or-later
// What every export step may throw, and the options and progress report
// that every export takes.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <stop_token>
#include <string>

namespace zelvo {

// Why an export did not produce its file. A refusal is decided before
// anything is written; a failure happens while reading or writing; a
// cancelled export was asked to stop. what() is the message shown to the user.
class ExportError : public std::runtime_error {
public:
    enum class Kind { Refused, Failed, Cancelled };
    ExportError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Bytes of sample data written so far, of total.
using ExportProgress = std::function<void(std::uint64_t written, std::uint64_t total)>;

struct ExportOptions {
    // Samples at other rates become 44,100 Hz and pitch corrections join the
    // fine tune; false writes the points and tuning as stored.
    bool convertSamples = true;
    // Asked to stop: reading sample points throws ExportError(Cancelled).
    std::stop_token stop = {};
    // Threads that decode and convert the samples of a run of exports
    // ahead of the writer: 0 uses every core, 1 none besides the writer.
    int jobs = 0;
    // What a run of exports keeps of converted points for the instruments
    // still to come.
    std::uint64_t cacheBytes = std::uint64_t{512} * 1024 * 1024;
};

}  // namespace zelvo
