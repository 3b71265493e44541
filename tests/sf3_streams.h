// The Ogg Vorbis streams of a real SoundFont 3 file, found by walking its
// RIFF lists apart from the reader, and libvorbisfile opened over one of
// them, for the tests and benchmarks to decode with it directly.
#pragma once

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::testing {

struct RealStream {
    std::string name;                  // up to the first NUL
    std::uint64_t start = 0, end = 0;  // 0-based file offsets
    std::uint32_t rate = 0, startLoop = 0, endLoop = 0;
};

inline std::uint32_t Le32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The samples of type bit 0x0010 of a whole file's bytes.
inline std::vector<RealStream> CompressedStreams(std::string_view file) {
    std::uint64_t smpl = 0;
    std::string_view shdr;
    for (std::size_t list = 12; list + 12 <= file.size();) {
        const std::size_t end = list + 8 + Le32(file, list + 4);
        for (std::size_t at = list + 12; at + 8 <= end && end <= file.size();) {
            const std::uint32_t size = Le32(file, at + 4);
            if (file.substr(at, 4) == "smpl") smpl = at + 8;
            if (file.substr(at, 4) == "shdr") shdr = file.substr(at + 8, size);
            at += 8 + size + size % 2;
        }
        // MuseScore's tools leave out the pad byte after an odd list.
        list = end + (end % 2 && file.substr(end, 4) != "LIST");
    }
    std::vector<RealStream> streams;
    for (std::size_t at = 0; at + 2 * 46 <= shdr.size(); at += 46) {
        if (!(static_cast<unsigned char>(shdr[at + 44]) & 0x10)) continue;
        const std::string_view name = shdr.substr(at, 20);
        streams.push_back({std::string(name.substr(0, name.find('\0'))), smpl + Le32(shdr, at + 20),
                           smpl + Le32(shdr, at + 24), Le32(shdr, at + 36), Le32(shdr, at + 28),
                           Le32(shdr, at + 32)});
    }
    return streams;
}

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

}  // namespace zelvo::testing
