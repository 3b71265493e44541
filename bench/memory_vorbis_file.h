// SPDX-License-Identifier: GPL-3.0-or-later
// libvorbisfile alone over an Ogg Vorbis stream in memory: the decoding
// floor the benchmarks set Zelvo's decoding beside.
#pragma once

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace zelvo::bench {

// libvorbisfile over bytes in memory; ok() tells whether it opened.
class MemoryVorbisFile {
public:
    explicit MemoryVorbisFile(std::string_view bytes) : bytes_(bytes) {
        const ov_callbacks callbacks{Read, Seek, nullptr, Tell};
        ok_ = ov_open_callbacks(this, &file_, nullptr, 0, callbacks) == 0;
    }
    ~MemoryVorbisFile() {
        if (ok_) ov_clear(&file_);
    }
    MemoryVorbisFile(const MemoryVorbisFile&) = delete;
    MemoryVorbisFile& operator=(const MemoryVorbisFile&) = delete;
    bool ok() const { return ok_; }
    OggVorbis_File* get() { return &file_; }

private:
    static std::size_t Read(void* into, std::size_t size, std::size_t count, void* self) {
        auto& m = *static_cast<MemoryVorbisFile*>(self);
        const std::size_t n = std::min(size * count, m.bytes_.size() - m.at_) / size;
        std::memcpy(into, m.bytes_.data() + m.at_, n * size);
        m.at_ += n * size;
        return n;
    }
    static int Seek(void* self, ogg_int64_t offset, int whence) {
        auto& m = *static_cast<MemoryVorbisFile*>(self);
        const auto size = static_cast<ogg_int64_t>(m.bytes_.size());
        const ogg_int64_t to = offset + (whence == SEEK_CUR   ? static_cast<ogg_int64_t>(m.at_)
                                         : whence == SEEK_END ? size
                                                              : 0);
        if (to < 0 || to > size) return -1;
        m.at_ = static_cast<std::size_t>(to);
        return 0;
    }
    static long Tell(void* self) { return static_cast<long>(static_cast<MemoryVorbisFile*>(self)->at_); }

    std::string_view bytes_;
    std::size_t at_ = 0;
    OggVorbis_File file_{};
    bool ok_ = false;
};

}  // namespace zelvo::bench
