// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/ogg_length.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zelvo {
namespace {

// The page header up to its segment count ("OggS", version, flags, granule
// position, serial number, page sequence, checksum, segment count); the
// segment table of that many lacing values follows, then the body.
constexpr std::size_t kPageHeaderBytes = 27;
constexpr std::size_t kSegmentCountAt = 26;

// Sums of the window's first n bytes, so that each candidate's body size
// costs the same whatever its segment count.
std::vector<std::uint32_t> PrefixSums(std::string_view window) {
    std::vector<std::uint32_t> sums(window.size() + 1, 0);
    for (std::size_t i = 0; i < window.size(); ++i) {
        sums[i + 1] = sums[i] + static_cast<std::uint8_t>(window[i]);
    }
    return sums;
}

// The size that the header at `at` claims for its page, from its segment
// table alone (no checksum); 0 when the header and table do not fit.
std::size_t ClaimedPageSize(std::string_view window, const std::vector<std::uint32_t>& sums,
                            std::size_t at) {
    if (window.size() - at < kPageHeaderBytes) return 0;
    const std::size_t table = at + kPageHeaderBytes;
    const std::size_t segments = static_cast<std::uint8_t>(window[at + kSegmentCountAt]);
    if (window.size() - table < segments) return 0;
    return kPageHeaderBytes + segments + (sums[table + segments] - sums[table]);
}

// The start of the page to check as the stream's last, or npos when no
// chain of headers reaches the window's end. Packet data may hold "OggS",
// even whole pages that end where the stream ends, inside the real last page
// or in an earlier one reaching over it. Real pages chain, each header's size
// leading to the next, from the first real header in the window to the end,
// and packet data lies inside them; so the page kept is the last of the
// earliest chain that ends exactly at the window's end. Each "OggS" costs its
// header and a lookup, never a checksum.
std::size_t LastPageStart(std::string_view window) {
    const std::vector<std::uint32_t> sums = PrefixSums(window);
    struct Chain {
        std::size_t at, lastPage;
    };
    std::vector<Chain> chains;  // those that reach the end, latest first
    std::size_t kept = std::string_view::npos;
    for (std::size_t at = window.rfind("OggS"); at != std::string_view::npos;
         at = at == 0 ? std::string_view::npos : window.rfind("OggS", at - 1)) {
        const std::size_t size = ClaimedPageSize(window, sums, at);
        if (size == 0 || size > window.size() - at) continue;
        const std::size_t next = at + size;
        std::size_t lastPage = at;
        if (next != window.size()) {
            const auto found = std::lower_bound(chains.begin(), chains.end(), next,
                                                [](const Chain& c, std::size_t n) { return c.at > n; });
            if (found == chains.end() || found->at != next) continue;
            lastPage = found->lastPage;
        }
        chains.push_back({at, lastPage});
        kept = lastPage;
    }
    return kept;
}

// libogg's sync state, cleared when it goes.
class OggSync {
public:
    OggSync() { ogg_sync_init(&state_); }
    ~OggSync() { ogg_sync_clear(&state_); }
    OggSync(const OggSync&) = delete;
    OggSync& operator=(const OggSync&) = delete;
    ogg_sync_state* get() { return &state_; }

private:
    ogg_sync_state state_{};
};

// The granule position of page, when libogg takes all of it as one page
// that passes its checksum, is marked as the end of the stream and has a
// granule position without its sign bit (-1 says no packet ends there).
std::optional<std::uint64_t> CheckedLastPageLength(std::string_view page) {
    OggSync sync;
    const auto size = static_cast<long>(page.size());
    char* buffer = ogg_sync_buffer(sync.get(), size);
    if (buffer == nullptr) return std::nullopt;
    std::memcpy(buffer, page.data(), page.size());
    ogg_sync_wrote(sync.get(), size);
    ogg_page checked{};
    if (ogg_sync_pageseek(sync.get(), &checked) != size) return std::nullopt;
    const ogg_int64_t granule = ogg_page_granulepos(&checked);
    if (ogg_page_version(&checked) != 0 || !ogg_page_eos(&checked) || granule < 0) return std::nullopt;
    return static_cast<std::uint64_t>(granule);
}

}  // namespace

std::optional<std::uint64_t> OggStreamLength(std::string_view tail) {
    if (tail.size() > kOggTailBytes) tail = tail.substr(tail.size() - kOggTailBytes);
    const std::size_t at = LastPageStart(tail);
    if (at == std::string_view::npos) return std::nullopt;
    return CheckedLastPageLength(tail.substr(at));
}

std::optional<std::uint64_t> ReadOggStreamLength(std::istream& file, std::uint64_t start,
                                                 std::uint64_t end) {
    if (end <= start) return std::nullopt;
    // The last page is nearly always a few KiB: read that much first, and the
    // most a page can take only when no page ends there.
    for (const std::uint64_t wanted : {std::uint64_t{8192}, std::uint64_t{kOggTailBytes}}) {
        const std::uint64_t size = std::min<std::uint64_t>(end - start, wanted);
        std::string tail(static_cast<std::size_t>(size), '\0');
        const std::istream::pos_type kept = file.tellg();
        file.clear();
        file.seekg(static_cast<std::streamoff>(end - size));
        file.read(tail.data(), static_cast<std::streamsize>(size));
        const bool read = file.gcount() == static_cast<std::streamsize>(size);
        file.clear();
        file.seekg(kept);
        if (!read) return std::nullopt;
        const std::size_t at = LastPageStart(tail);
        if (at != std::string_view::npos) return CheckedLastPageLength(std::string_view(tail).substr(at));
        if (size == end - start) break;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ReadCompressedSampleLength(std::istream& file,
                                                        const SoundFontModel& model,
                                                        const sfSample& sample) {
    // dwStart and dwEnd of a compressed sample are byte offsets of its stream.
    if (sample.dwEnd > model.SmplSize || model.SampleDataPos == 0) return std::nullopt;
    const std::uint64_t data = model.SampleDataPos - 1;
    return ReadOggStreamLength(file, data + sample.dwStart, data + sample.dwEnd);
}

void ReadDecodedLengths(std::istream& file, SoundFontModel& model) {
    for (int s = 1; s <= model.SampleCount; ++s) {
        sfSample& sample = model.SampleHeaders.at(static_cast<std::size_t>(s));
        if (!sample.IsCompressed()) continue;
        const std::uint64_t length = ReadCompressedSampleLength(file, model, sample).value_or(0);
        sample.decodedLength = length > UINT32_MAX ? 0 : static_cast<std::uint32_t>(length);
    }
}

}  // namespace zelvo
