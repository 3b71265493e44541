// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/vorbis_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "soundfont/ogg_length.h"

namespace zelvo {
namespace {

constexpr const char* kNotVorbis = "is not an Ogg Vorbis stream";
constexpr const char* kDamaged = "has a damaged or incomplete Ogg Vorbis stream";

// The stream as a seekable file for libvorbisfile.
struct Cursor {
    const StreamBytes* bytes = nullptr;
    std::uint64_t position = 0;
};

std::size_t ReadStream(void* into, std::size_t size, std::size_t count, void* source) {
    auto& c = *static_cast<Cursor*>(source);
    if (size == 0) return 0;
    const std::size_t items = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, (c.bytes->size - c.position) / size));
    c.bytes->read(c.position, static_cast<char*>(into), items * size);
    c.position += items * size;
    return items;
}

int SeekStream(void* source, ogg_int64_t offset, int whence) {
    auto& c = *static_cast<Cursor*>(source);
    const auto size = static_cast<ogg_int64_t>(c.bytes->size);
    const ogg_int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<ogg_int64_t>(c.position)
                                                  : size;
    if (offset < -base || offset > size - base) return -1;
    c.position = static_cast<std::uint64_t>(base + offset);
    return 0;
}

long TellStream(void* source) {
    return static_cast<long>(static_cast<Cursor*>(source)->position);
}

constexpr ov_callbacks kStreamCallbacks{ReadStream, SeekStream, nullptr, TellStream};

// As libvorbisfile's own 16-bit output: scale by 32768, round to nearest, clip.
std::int16_t ClipToInt16(float value) {
    const float scaled = value * 32768.0f;
    if (!(scaled == scaled)) return 0;
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    return static_cast<std::int16_t>(std::lrint(scaled));
}

}  // namespace

// An open libvorbisfile decoder, cleared when it goes. The cursor it reads
// through lives beside it, as libvorbisfile keeps a pointer to it.
struct VorbisStream::Decoder {
    StreamBytes bytes;
    Cursor cursor;
    OggVorbis_File file{};
    int opened = -1;

    explicit Decoder(StreamBytes b) : bytes(std::move(b)), cursor{&bytes, 0} {
        opened = ov_open_callbacks(&cursor, &file, nullptr, 0, kStreamCallbacks);
    }
    ~Decoder() {
        if (opened == 0) ov_clear(&file);
    }
};

VorbisStream::VorbisStream(StreamBytes bytes, std::uint64_t length, std::string sampleName)
    : decoder_(std::make_unique<Decoder>(std::move(bytes))),
      sampleName_(std::move(sampleName)),
      length_(length) {
    const int opened = decoder_->opened;
    if (opened == OV_ENOTVORBIS || opened == OV_EVERSION) Refuse(kNotVorbis);
    if (opened != 0 || ov_streams(&decoder_->file) != 1) Refuse(kDamaged);
    const vorbis_info* info = ov_info(&decoder_->file, 0);
    if (info->channels != 1) {
        Refuse("has " + std::to_string(info->channels) +
               " channels; only one-channel samples can be exported");
    }
    rate_ = static_cast<std::uint32_t>(info->rate);
    if (length_ == 0) CheckEnded();
}

VorbisStream::~VorbisStream() = default;

void VorbisStream::Refuse(const std::string& reason) const {
    throw VorbisDecodeError(sampleName_, reason);
}

// libvorbisfile stops quietly where a cut stream ends, so the points must
// be exactly as many as the last page promises.
void VorbisStream::CheckEnded() {
    float** channels = nullptr;
    int link = 0;
    if (ov_read_float(&decoder_->file, &channels, 1, &link) != 0) Refuse(kDamaged);
}

void VorbisStream::Read(std::span<std::int16_t> into) {
    if (into.size() > length_ - position_) throw std::out_of_range("read past a stream's length");
    for (std::size_t done = 0; done < into.size();) {
        float** channels = nullptr;
        int link = 0;
        const int wanted = static_cast<int>(std::min<std::size_t>(into.size() - done, 4096));
        const long n = ov_read_float(&decoder_->file, &channels, wanted, &link);
        if (n <= 0 || link != 0) Refuse(kDamaged);
        std::transform(channels[0], channels[0] + n, into.begin() + static_cast<std::ptrdiff_t>(done),
                       ClipToInt16);
        done += static_cast<std::size_t>(n);
    }
    position_ += into.size();
    if (position_ == length_ && !into.empty()) CheckEnded();
}

void VorbisStream::SkipTo(std::uint64_t to) {
    std::vector<std::int16_t> dropped(4096);
    while (position_ < to) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(to - position_, dropped.size()));
        Read(std::span(dropped.data(), n));
    }
}

DecodedSample DecodeVorbisSample(std::string_view stream, const std::string& sampleName) {
    StreamBytes bytes{stream.size(), [stream](std::uint64_t offset, char* into, std::size_t size) {
                          std::memcpy(into, stream.data() + offset, size);
                      }};
    const std::optional<std::uint64_t> length = OggStreamLength(stream);
    VorbisStream decoder(std::move(bytes), length.value_or(0), sampleName);
    if (!length) throw VorbisDecodeError(sampleName, kDamaged);
    DecodedSample decoded;
    decoded.rate = decoder.rate();
    // Grown block by block, so that a forged length cannot claim memory.
    constexpr std::uint64_t kBlock = 1 << 16;
    while (decoder.position() < *length) {
        const std::size_t at = decoded.points.size();
        decoded.points.resize(at + static_cast<std::size_t>(std::min(kBlock, *length - at)));
        decoder.Read(std::span(decoded.points).subspan(at));
    }
    return decoded;
}

}  // namespace zelvo
