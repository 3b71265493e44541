// SPDX-License-Identifier: GPL-3.0-or-later
// The points of the samples a run of exports writes (export --all, Save
// All, a checked bank report), each decoded and converted once, on worker
// threads ahead of the writer, and kept while instruments that use them
// remain, in a cache bounded in bytes.
#pragma once

#include <compare>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "export/export_error.h"
#include "export/export_plan.h"
#include "export/sample_source.h"
#include "soundfont/model.h"

namespace zelvo {

// What makes a planned sample's points: which points of which sample, and
// how they are converted. Names and tuning bytes are not part of it, so
// every instrument that plays a sample alike shares one entry.
struct WavePointsKey {
    int sampleNdx = 0;
    std::vector<PointRun> runs;
    std::uint32_t fromRate = 0, toRate = 0;
    double ratio = 1.0;
    std::int64_t points = 0, loopStart = 0, loopEnd = 0;
    std::int64_t outPoints = 0, outLoopStart = 0, outLoopEnd = 0;
    bool wholeLoop = false;

    explicit WavePointsKey(const PlannedSample& sample);
    auto operator<=>(const WavePointsKey&) const = default;
};

// Whether a planned sample is worth keeping: converted, or decoded from a
// compressed stream. Stored points copied as they are are read directly.
bool KeepsWavePoints(const SoundFontModel& model, const PlannedSample& sample);

// The threads ExportOptions::jobs asks for.
int ConversionThreads(int jobs);

class SampleCache {
public:
    // uses[i] lists the planned samples item i writes, in the order the
    // writer asks for them; the plans must outlive the cache. Takes the
    // thread count, byte bound and stop token of options.
    SampleCache(const SoundFontModel& model, const std::string& soundFontPath,
                const std::vector<std::vector<const PlannedSample*>>& uses, const ExportOptions& options = {});
    ~SampleCache();
    SampleCache(const SampleCache&) = delete;
    SampleCache& operator=(const SampleCache&) = delete;

    // The writer is at item `item`: its samples are made now, whatever
    // the byte bound.
    void Begin(std::size_t item);
    // The points of sample, as a worker made them or made now. Rethrows
    // what making them threw (a refusal, an undecodable stream). While it
    // waits for a worker, it calls waiting every 50 ms, which may throw to
    // stop.
    std::shared_ptr<const WavePoints> Take(const PlannedSample& sample,
                                           const std::function<void()>& waiting = {});
    // Item `item` is written: its samples have one user fewer, and those
    // with none left are dropped.
    void Finish(std::size_t item);

private:
    enum class State { Waiting, Making, Made, Dropped };
    struct Entry {
        const PlannedSample* sample = nullptr;
        std::vector<std::size_t> items;  // that use it, ascending
        std::uint64_t bytes = 0;
        int users = 0;  // items still to be written
        State state = State::Waiting;
        std::shared_ptr<const WavePoints> points;
        std::exception_ptr error;
        std::size_t nextUse = 0;   // its first item not yet written, while waiting
        std::uint64_t lastUse = 0;  // while its points are held
    };

    void Work(std::stop_token stop);
    // The entry a worker makes next: of those waiting, the one needed
    // soonest, if it fits the byte bound or is needed now; kNone if none.
    std::size_t Pick() const;
    // Puts entry e among the waiting, by its first use from item `from` on.
    void Wait(std::size_t e, std::size_t from);
    void Hold(std::size_t e, std::shared_ptr<const WavePoints> points);
    // Makes entry e outside the lock; lock is held on entry and on return.
    void Make(std::size_t e, std::unique_lock<std::mutex>& lock, SampleSource& source);
    void EvictLeastRecent();

    const SoundFontModel& model_;
    std::string soundFontPath_;
    std::uint64_t bytes_;
    std::stop_source stop_;
    std::stop_callback<std::function<void()>> forwardStop_;

    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    std::map<WavePointsKey, std::size_t> index_;
    std::vector<Entry> entries_;                   // in the order first asked for
    std::vector<std::vector<std::size_t>> items_;  // each item's entries, once each
    std::set<std::pair<std::size_t, std::size_t>> waiting_;  // (next use, entry)
    std::set<std::pair<std::uint64_t, std::size_t>> recent_;  // (last use, entry)
    std::size_t writer_ = 0;  // the item being written
    int liveWorkers_ = 0;  // once none is left, the writer makes what it needs
    std::uint64_t held_ = 0;  // bytes of entries made or being made
    std::uint64_t clock_ = 0;
    std::unique_ptr<SampleSource> writerSource_;
    std::vector<std::jthread> workers_;
};

}  // namespace zelvo
