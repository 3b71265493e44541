// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/sample_cache.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <tuple>


namespace zelvo {

WavePointsKey::WavePointsKey(const PlannedSample& s)
    : sampleNdx(s.sampleNdx), runs(s.runs), fromRate(s.conversion.fromRate), toRate(s.conversion.toRate),
      ratio(s.conversion.ratio), points(s.conversion.points), loopStart(s.conversion.loopStart),
      loopEnd(s.conversion.loopEnd), outPoints(s.conversion.outPoints),
      outLoopStart(s.conversion.outLoopStart), outLoopEnd(s.conversion.outLoopEnd),
      wholeLoop(s.conversion.wholeLoop) {}

bool KeepsWavePoints(const SoundFontModel& model, const PlannedSample& sample) {
    return sample.conversion.Resampled() ||
           model.SampleHeaders.at(static_cast<std::size_t>(sample.sampleNdx)).IsCompressed();
}

int ConversionThreads(int jobs) {
    if (jobs > 0) return jobs;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

namespace {
constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr auto kWaitingCall = std::chrono::milliseconds(50);

// libsoxr allocates and frees its buffers for every stream, and a bank has
// thousands of streams. With glibc's defaults the larger buffers are mapped
// afresh and the freed heap is given back each time, so every stream starts
// with page faults (a tenth of the time of a bank of short samples). Freed
// memory up to these bounds stays in the process for the next stream.
void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
}
}  // namespace

SampleCache::SampleCache(const SoundFontModel& model, const std::string& soundFontPath,
                         const std::vector<std::vector<const PlannedSample*>>& uses,
                         const ExportOptions& options)
    : model_(model), soundFontPath_(soundFontPath), bytes_(options.cacheBytes),
      forwardStop_(options.stop, std::function<void()>([this] { stop_.request_stop(); })),
      items_(uses.size()) {
    KeepFreedMemoryForReuse();
    for (std::size_t item = 0; item < uses.size(); ++item) {
        for (const PlannedSample* sample : uses[item]) {
            if (!KeepsWavePoints(model_, *sample)) continue;
            const auto [at, added] = index_.try_emplace(WavePointsKey(*sample), entries_.size());
            if (added) {
                Entry entry;
                entry.sample = sample;
                entry.bytes = 2 * static_cast<std::uint64_t>(sample->conversion.outPoints);
                entries_.push_back(std::move(entry));
            }
            Entry& entry = entries_[at->second];
            if (!entry.items.empty() && entry.items.back() == item) continue;
            entry.items.push_back(item);
            ++entry.users;
            items_[item].push_back(at->second);
        }
    }
    for (std::size_t e = 0; e < entries_.size(); ++e) Wait(e, 0);
    const int threads = ConversionThreads(options.jobs);
    if (threads < 2 || entries_.empty()) return;
    liveWorkers_ = threads;
    for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(stop_.get_token()); });
}

SampleCache::~SampleCache() {
    stop_.request_stop();
    changed_.notify_all();
    workers_.clear();  // joins
}

std::size_t SampleCache::Pick() const {
    if (waiting_.empty()) return kNone;
    const auto [use, e] = *waiting_.begin();
    return use == writer_ || held_ + entries_[e].bytes <= bytes_ ? e : kNone;
}

void SampleCache::Wait(std::size_t e, std::size_t from) {
    Entry& entry = entries_[e];
    entry.state = State::Waiting;
    const auto next = std::lower_bound(entry.items.begin(), entry.items.end(), from);
    if (next == entry.items.end()) return;  // no item left asks for it
    entry.nextUse = *next;
    waiting_.emplace(entry.nextUse, e);
}

void SampleCache::Hold(std::size_t e, std::shared_ptr<const WavePoints> points) {
    Entry& entry = entries_[e];
    if (entry.points) recent_.erase({entry.lastUse, e});
    entry.lastUse = ++clock_;
    entry.points = std::move(points);
    recent_.emplace(entry.lastUse, e);
}

void SampleCache::Work(std::stop_token stop) {
    std::unique_ptr<SampleSource> source;
    try {
        source = std::make_unique<SampleSource>(model_, soundFontPath_, stop);
    } catch (...) {
        const std::lock_guard lock(mutex_);
        --liveWorkers_;  // the writer meets the same fault when it makes the points itself
        changed_.notify_all();
        return;
    }
    std::unique_lock lock(mutex_);
    // Once stopped, wait returns at once, with samples still to pick: those
    // are left, not each started only to be cancelled.
    while (changed_.wait(lock, stop, [this] { return Pick() != kNone; }) && !stop.stop_requested()) {
        Make(Pick(), lock, *source);
    }
}

void SampleCache::Make(std::size_t e, std::unique_lock<std::mutex>& lock, SampleSource& source) {
    Entry& entry = entries_[e];  // entries_ never grows after construction
    waiting_.erase({entry.nextUse, e});
    entry.state = State::Making;
    held_ += entry.bytes;
    const PlannedSample& sample = *entry.sample;
    lock.unlock();
    std::shared_ptr<const WavePoints> made;
    std::exception_ptr error;
    try {
        made = std::make_shared<const WavePoints>(ReadWavePoints(source, sample));
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    entry.error = error;
    if (error || entry.users == 0) held_ -= entry.bytes;
    entry.state = entry.users == 0 ? State::Dropped : State::Made;
    if (!error && entry.users > 0) Hold(e, std::move(made));
    EvictLeastRecent();
    changed_.notify_all();
}

// Past the byte bound, the least recently used points go, except those of
// the item being written; an evicted sample is made again when needed.
void SampleCache::EvictLeastRecent() {
    const std::vector<std::size_t>& current = items_[writer_];
    for (auto at = recent_.begin(); held_ > bytes_ && at != recent_.end();) {
        const std::size_t e = at->second;
        if (std::find(current.begin(), current.end(), e) != current.end()) {
            ++at;
            continue;
        }
        at = recent_.erase(at);
        entries_[e].points.reset();
        held_ -= entries_[e].bytes;
        Wait(e, writer_);
    }
}

void SampleCache::Begin(std::size_t item) {
    const std::lock_guard lock(mutex_);
    writer_ = std::min(item, items_.empty() ? 0 : items_.size() - 1);
    changed_.notify_all();
}

std::shared_ptr<const WavePoints> SampleCache::Take(const PlannedSample& sample,
                                                    const std::function<void()>& waiting) {
    std::unique_lock lock(mutex_);
    const auto found = index_.find(WavePointsKey(sample));
    if (found == index_.end()) {
        throw std::logic_error("a sample the export did not plan was asked for");
    }
    Entry& entry = entries_[found->second];
    // A worker makes it, or is about to: it is the one needed soonest.
    auto call = std::chrono::steady_clock::now() + kWaitingCall;
    const auto workerWillMake = [&] {
        return entry.state == State::Waiting && liveWorkers_ > 0 &&
               waiting_.contains({entry.nextUse, found->second});
    };
    while (entry.state == State::Making || workerWillMake()) {
        changed_.wait_until(lock, call);
        if (std::chrono::steady_clock::now() < call) continue;
        call += kWaitingCall;
        if (!waiting) continue;
        lock.unlock();
        waiting();
        lock.lock();
    }
    if (entry.state != State::Made) {
        if (!writerSource_) writerSource_ = std::make_unique<SampleSource>(model_, soundFontPath_, stop_.get_token());
        Make(found->second, lock, *writerSource_);
    }
    if (entry.error) std::rethrow_exception(entry.error);
    if (!entry.points) throw std::logic_error("a sample was asked for after its last use");
    Hold(found->second, entry.points);
    return entry.points;
}

void SampleCache::Finish(std::size_t item) {
    const std::lock_guard lock(mutex_);
    if (item >= items_.size()) return;
    for (const std::size_t e : items_[item]) {
        Entry& entry = entries_[e];
        --entry.users;
        if (entry.state == State::Making) continue;  // its maker sees the users left
        if (entry.state == State::Waiting) waiting_.erase({entry.nextUse, e});
        if (entry.users > 0) {
            if (entry.state == State::Waiting) Wait(e, item + 1);
            continue;
        }
        if (entry.points) {
            recent_.erase({entry.lastUse, e});
            held_ -= entry.bytes;
        }
        entry.points.reset();
        entry.state = State::Dropped;
    }
    items_[item].clear();
    changed_.notify_all();
}

}  // namespace zelvo
