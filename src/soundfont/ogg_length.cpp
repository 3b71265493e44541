#include "soundfont/ogg_length.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace zelvo {
namespace {

// Ogg page header layout: "OggS", version, flags, granule position (8),
// serial number (4), page sequence (4), checksum (4), segment count, then
// the segment table.
constexpr std::size_t kPageHeaderBytes = 27;
constexpr std::size_t kGranuleAt = 6;
constexpr std::size_t kChecksumAt = 22;
constexpr std::size_t kSegmentCountAt = 26;
constexpr unsigned kEndOfStreamFlag = 0x04;

// The Ogg checksum: CRC-32 with polynomial 0x04C11DB7, not reflected, no
// initial or final inversion.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        table[i] = r;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint8_t Byte(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

std::uint64_t LittleEndian(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | Byte(bytes, at + i);
    return value;
}

// The page's checksum, computed with its own checksum field read as zeros.
std::uint32_t PageChecksum(std::string_view page) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const bool field = i >= kChecksumAt && i < kChecksumAt + 4;
        const std::uint8_t b = field ? 0 : Byte(page, i);
        crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ b) & 0xFF];
    }
    return crc;
}

// The size of the page starting at `at`, when its header and segment table
// fit in bytes; 0 otherwise.
std::size_t PageSize(std::string_view bytes, std::size_t at) {
    if (bytes.size() - at < kPageHeaderBytes || bytes.substr(at, 4) != "OggS" ||
        Byte(bytes, at + 4) != 0) {
        return 0;
    }
    const std::size_t segments = Byte(bytes, at + kSegmentCountAt);
    if (bytes.size() - at < kPageHeaderBytes + segments) return 0;
    std::size_t size = kPageHeaderBytes + segments;
    for (std::size_t s = 0; s < segments; ++s) size += Byte(bytes, at + kPageHeaderBytes + s);
    return size;
}

}  // namespace

std::optional<std::uint64_t> OggStreamLength(std::string_view tail) {
    if (tail.size() > kOggTailBytes) tail = tail.substr(tail.size() - kOggTailBytes);
    // Packet data may hold "OggS" too; only a page that ends at the end and
    // passes its checksum counts.
    for (std::size_t at = tail.rfind("OggS"); at != std::string_view::npos;
         at = at == 0 ? std::string_view::npos : tail.rfind("OggS", at - 1)) {
        const std::string_view page = tail.substr(at);
        if (PageSize(tail, at) != page.size()) continue;
        if (PageChecksum(page) != LittleEndian(page, kChecksumAt, 4)) continue;
        const std::uint64_t granule = LittleEndian(page, kGranuleAt, 8);
        // A granule with its sign bit set is -1 (no packet ends here) or nonsense.
        if (!(Byte(page, 5) & kEndOfStreamFlag) || granule >> 63) return std::nullopt;
        return granule;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ReadOggStreamLength(std::istream& file, std::uint64_t start,
                                                 std::uint64_t end) {
    if (end <= start) return std::nullopt;
    // The last page is nearly always a few KiB: read that much first, and the
    // most a page can take only when it does not hold the whole page.
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
        if (const auto length = OggStreamLength(tail)) return length;
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
