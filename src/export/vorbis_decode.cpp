#include "export/vorbis_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>

#include "soundfont/ogg_length.h"

namespace zelvo {
namespace {

constexpr const char* kNotVorbis = "is not an Ogg Vorbis stream";
constexpr const char* kDamaged = "has a damaged or incomplete Ogg Vorbis stream";

// Reserved up front at most, so that a forged length cannot claim memory.
constexpr std::uint64_t kMaxReservedPoints = 1u << 22;

// The stream's bytes as a seekable file for libvorbisfile.
struct MemorySource {
    std::string_view bytes;
    std::size_t position = 0;
};

std::size_t ReadMemory(void* into, std::size_t size, std::size_t count, void* source) {
    auto& s = *static_cast<MemorySource*>(source);
    if (size == 0) return 0;
    const std::size_t items = std::min(count, (s.bytes.size() - s.position) / size);
    std::memcpy(into, s.bytes.data() + s.position, items * size);
    s.position += items * size;
    return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
    auto& s = *static_cast<MemorySource*>(source);
    const auto size = static_cast<ogg_int64_t>(s.bytes.size());
    const ogg_int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<ogg_int64_t>(s.position)
                                                  : size;
    if (offset < -base || offset > size - base) return -1;
    s.position = static_cast<std::size_t>(base + offset);
    return 0;
}

long TellMemory(void* source) {
    return static_cast<long>(static_cast<MemorySource*>(source)->position);
}

constexpr ov_callbacks kMemoryCallbacks{ReadMemory, SeekMemory, nullptr, TellMemory};

// An open libvorbisfile decoder, cleared when it goes.
class VorbisFile {
public:
    explicit VorbisFile(MemorySource& source)
        : opened_(ov_open_callbacks(&source, &file_, nullptr, 0, kMemoryCallbacks)) {}
    ~VorbisFile() {
        if (opened_ == 0) ov_clear(&file_);
    }
    VorbisFile(const VorbisFile&) = delete;
    VorbisFile& operator=(const VorbisFile&) = delete;

    int openResult() const { return opened_; }
    OggVorbis_File* get() { return &file_; }

private:
    OggVorbis_File file_{};
    int opened_;
};

// As libvorbisfile's own 16-bit output: scale by 32768, round to nearest, clip.
std::int16_t ClipToInt16(float value) {
    const float scaled = value * 32768.0f;
    if (!(scaled == scaled)) return 0;
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    return static_cast<std::int16_t>(std::lrint(scaled));
}

}  // namespace

DecodedSample DecodeVorbisSample(std::string_view stream, const std::string& sampleName) {
    const auto refuse = [&](const std::string& reason) {
        return VorbisDecodeError(sampleName, reason);
    };
    MemorySource source{stream};
    VorbisFile vorbis(source);
    if (vorbis.openResult() == OV_ENOTVORBIS || vorbis.openResult() == OV_EVERSION) {
        throw refuse(kNotVorbis);
    }
    if (vorbis.openResult() != 0 || ov_streams(vorbis.get()) != 1) throw refuse(kDamaged);
    const vorbis_info* info = ov_info(vorbis.get(), 0);
    if (info->channels != 1) {
        throw refuse("has " + std::to_string(info->channels) +
                     " channels; only one-channel samples can be exported");
    }
    // libvorbisfile stops quietly where a cut stream ends; the last page
    // says whether this is the real end and how long the sample is.
    const std::optional<std::uint64_t> length = OggStreamLength(stream);
    if (!length) throw refuse(kDamaged);

    DecodedSample decoded;
    decoded.rate = static_cast<std::uint32_t>(info->rate);
    decoded.points.reserve(static_cast<std::size_t>(std::min(*length, kMaxReservedPoints)));
    for (;;) {
        float** channels = nullptr;
        int link = 0;
        const long n = ov_read_float(vorbis.get(), &channels, 4096, &link);
        if (n == 0) break;
        if (n < 0 || link != 0 || decoded.points.size() + static_cast<std::size_t>(n) > *length) throw refuse(kDamaged);
        std::transform(channels[0], channels[0] + n, std::back_inserter(decoded.points),
                       ClipToInt16);
    }
    if (decoded.points.size() != *length) throw refuse(kDamaged);
    return decoded;
}

}  // namespace zelvo
