// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/wave_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "soundfont/errors.h"
#include "soundfont/regular_file.h"

namespace zelvo {
namespace {

constexpr std::string_view kSignature = "SY1200SPA  V1.00";
constexpr int kReferenceBits = 0x4000;
constexpr int kReferenceFlagMask = 0xC000;
constexpr int kReferenceSlotMask = 0x3FFF;
constexpr std::int64_t kLoopPositionBits = 0xFC0000;
constexpr int kMaxByteValue = 127;
constexpr int kLoopOn = 0x00;
constexpr int kLoopOff = 0x40;

template <typename Number>
std::string Num(Number value) {
    return std::to_string(value);
}

// A field's value as the bytes show it: "4005 hex".
std::string Hex(int value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X hex", digits, static_cast<unsigned>(value));
    return text;
}

// Reads the front part in file order. Every read is checked against the
// bytes there are; a read past them means the file ends early.
class WaveCursor {
public:
    WaveCursor(std::string_view front, std::uint64_t fileSize)
        : front_(front), fileSize_(fileSize) {}

    std::uint64_t at() const { return at_; }
    // Names the block being read, for a file that ends inside it.
    void Enter(const char* block) { block_ = block; }

    std::string_view Take(std::size_t size) {
        if (front_.size() - at_ < size) EndsEarly();
        const std::string_view bytes = front_.substr(at_, size);
        at_ += size;
        return bytes;
    }

    std::int64_t Number(std::size_t width) {
        std::int64_t value = 0;
        for (const char c : Take(width)) value = value * 256 + static_cast<unsigned char>(c);
        return value;
    }

    // Bytes the format fixes. describe(i) words the fault of the i-th byte of
    // expected; the bytes there are are compared before a short file is blamed.
    template <typename Describe>
    void Expect(std::string_view expected, Describe describe) {
        const std::string_view present = front_.substr(at_, expected.size());
        if (present != expected) {
            const auto differ = std::mismatch(present.begin(), present.end(), expected.begin());
            if (differ.first != present.end()) {
                const auto i = static_cast<std::size_t>(differ.first - present.begin());
                Fail(describe(i), at_ + i);
            }
            at_ += present.size();
            EndsEarly();
        }
        at_ += expected.size();
    }

    [[noreturn]] void Fail(const std::string& what, std::uint64_t offset) const {
        throw WaveFileError(what, offset);
    }

private:
    [[noreturn]] void EndsEarly() const {
        Fail("the file ends after " + Num(fileSize_) + " bytes, inside the " + block_ +
                 "; the front part alone takes " + Num(kWaveSampleDataOffset),
             fileSize_);
    }

    std::string_view front_;
    std::uint64_t fileSize_;
    std::size_t at_ = 0;
    const char* block_ = "file header";
};

// The bytes of a run of identical slots.
std::string Repeated(std::string_view slot, std::size_t count) {
    std::string bytes;
    bytes.reserve(slot.size() * count);
    for (std::size_t i = 0; i < count; ++i) bytes += slot;
    return bytes;
}

const std::string& EmptyKeyMapSlots() {
    static const std::string slots(kWaveKeyMapSlotsSize - 4, '\xFF');
    return slots;
}

const std::string& KeyMapFiller() {
    static const std::string filler(kWaveKeyMapAreaSize, '\xFF');
    return filler;
}

// Slots beyond the sample count hold this header: "NewSampl", 128 in ten
// bytes, 60 in four, six 00 and two FF.
const std::string& EmptySampleHeaders() {
    static constexpr std::string_view kEmpty(
        "NewSampl\0\0\0\0\0\0\0\0\0\x80\0\0\0\x3C\0\0\0\0\0\0\xFF\xFF", kWaveSampleHeaderSize);
    static const std::string headers = Repeated(kEmpty, static_cast<std::size_t>(kWaveSlotCount));
    return headers;
}

const std::string& ZeroBytes() {
    static const std::string zeros(kWaveSampleSizesSize, '\0');
    return zeros;
}

std::string_view Zeros(std::size_t count) {
    return std::string_view(ZeroBytes()).substr(0, count);
}

void ReadFileHeader(WaveCursor& in) {
    in.Expect(kSignature, [](std::size_t) {
        return "it does not begin with \"" + std::string(kSignature) + "\"";
    });
    in.Expect(Zeros(kWaveFileHeaderSize - kSignature.size() - 1),
              [](std::size_t) { return std::string("the file header's filler is not all 00"); });
    in.Expect("\x40",
              [](std::size_t) { return std::string("the file header does not end in 40"); });
}

// Entries a key-map length stands for, or -1 when it is not 12 + 18 x entries.
std::int64_t EntriesOfLength(std::int64_t length) {
    const auto header = static_cast<std::int64_t>(kWaveKeyMapHeaderSize);
    const auto entry = static_cast<std::int64_t>(kWaveKeyMapEntrySize);
    if (length < header || (length - header) % entry != 0) return -1;
    const std::int64_t entries = (length - header) / entry;
    return entries <= kWaveMaxKeyMapEntries ? entries : -1;
}

WaveCounts ReadCounts(WaveCursor& in) {
    in.Enter("counts");
    WaveCounts counts;
    const std::uint64_t lengthAt = in.at();
    counts.keyMapLength = in.Number(4);
    if (EntriesOfLength(counts.keyMapLength) < 0) {
        in.Fail("the key-map length " + Num(counts.keyMapLength) +
                    " is not 12 + 18 x entries for up to " + Num(kWaveMaxKeyMapEntries) +
                    " entries",
                lengthAt);
    }
    const std::uint64_t countAt = in.at();
    counts.sampleCount = in.Number(2);
    if (counts.sampleCount > kWaveSlotCount) {
        in.Fail("the sample count " + Num(counts.sampleCount) + " is more than the " +
                    Num(kWaveSlotCount) + " sample slots",
                countAt);
    }
    return counts;
}

void ReadKeyMapSlots(WaveCursor& in) {
    in.Enter("key-map slots");
    in.Expect(Zeros(4), [](std::size_t) {
        return std::string("key-map slot 0 does not place the key map at the start of its area");
    });
    in.Expect(EmptyKeyMapSlots(), [](std::size_t i) {
        return "key-map slot " + Num(1 + i / 4) + " is not empty (FF FF FF FF)";
    });
}

WaveKeyMapHeader ReadKeyMapHeader(WaveCursor& in, const WaveCounts& counts) {
    in.Enter("key map");
    WaveKeyMapHeader header;
    header.name = std::string(in.Take(8));
    const std::uint64_t entriesAt = in.at();
    header.entryCount = in.Number(2);
    const std::int64_t counted = EntriesOfLength(counts.keyMapLength);
    if (header.entryCount != counted) {
        in.Fail("the key map has " + Num(header.entryCount) +
                    " entries, but its length at offset " + Num(kWaveCountsOffset) + " (" +
                    Num(counts.keyMapLength) + ") makes " + Num(counted),
                entriesAt);
    }
    in.Expect(Zeros(2),
              [](std::size_t) { return std::string("the key map header does not end in 00 00"); });
    return header;
}

// A single byte that the writer keeps within 0..127.
int ReadSmallByte(WaveCursor& in, const char* field, const std::string& owner) {
    const std::uint64_t at = in.at();
    const auto value = static_cast<int>(in.Number(1));
    if (value > kMaxByteValue) {
        in.Fail(std::string("the ") + field + " of " + owner + " is " + Num(value) + ", above 127",
                at);
    }
    return value;
}

WaveKeyMapEntry ReadKeyMapEntry(WaveCursor& in, std::int64_t k, std::int64_t sampleCount) {
    const std::string entry = "key-map entry " + Num(k + 1);
    WaveKeyMapEntry e;
    const std::uint64_t referenceAt = in.at();
    e.sampleReference = static_cast<int>(in.Number(2));
    const int slot = e.sampleReference & kReferenceSlotMask;
    if ((e.sampleReference & kReferenceFlagMask) != kReferenceBits || slot >= sampleCount) {
        in.Fail(entry + " refers to sample " + Hex(e.sampleReference, 4) +
                    ", not 4000 hex + a slot below the sample count " + Num(sampleCount),
                referenceAt);
    }
    in.Expect(Zeros(2), [&](std::size_t) { return entry + " has no 00 00 after its sample"; });
    e.keyLo = ReadSmallByte(in, "low key", entry);
    e.keyHi = ReadSmallByte(in, "high key", entry);
    e.velLo = ReadSmallByte(in, "low velocity", entry);
    e.velHi = ReadSmallByte(in, "high velocity", entry);
    e.pan = ReadSmallByte(in, "pan", entry);
    e.coarseTune = ReadSmallByte(in, "coarse tune", entry);
    e.fineTune = ReadSmallByte(in, "fine tune", entry);
    e.first = k == 0;
    in.Expect(e.first ? "\x40" : std::string_view("\0", 1), [&](std::size_t) {
        return entry + (e.first ? " lacks the first entry's 40" : " carries the first entry's 40");
    });
    in.Expect(Zeros(6), [&](std::size_t) { return entry + " does not end in six 00 bytes"; });
    return e;
}

void ReadKeyMapFiller(WaveCursor& in, std::int64_t entries) {
    const std::size_t used =
        kWaveKeyMapHeaderSize + kWaveKeyMapEntrySize * static_cast<std::size_t>(entries);
    in.Expect(std::string_view(KeyMapFiller()).substr(0, kWaveKeyMapAreaSize - used),
              [](std::size_t) {
                  return std::string("the key-map area after the last entry is not FF filler");
              });
}

WaveSampleHeader ReadSampleHeader(WaveCursor& in, int c) {
    const std::string sample = "sample header " + Num(c + 1);
    const auto zeros = [&](std::size_t count, const char* where) {
        in.Expect(Zeros(count), [&](std::size_t) { return sample + " has no 00 " + where; });
    };
    WaveSampleHeader h;
    h.name = std::string(in.Take(8));
    zeros(2, "after its name");
    const std::uint64_t positionAt = in.at();
    h.loopPosition = in.Number(3);
    if ((h.loopPosition & kLoopPositionBits) != kLoopPositionBits) {
        in.Fail(sample + " has the loop position " + Num(h.loopPosition) +
                    ", without its top six bits set",
                positionAt);
    }
    const std::uint64_t flagAt = in.at();
    h.loopFlag = static_cast<int>(in.Number(1));
    if (h.loopFlag != kLoopOn && h.loopFlag != kLoopOff) {
        in.Fail(sample + " has the loop flag " + Hex(h.loopFlag, 2) + ", neither 00 nor 40",
                flagAt);
    }
    h.loopStartOffset = in.Number(3);
    zeros(1, "before its loop length");
    h.loopLength = in.Number(3);
    h.rootKey = ReadSmallByte(in, "root key", sample);
    zeros(3, "as its start offset");
    h.lengthAfterLoop = in.Number(3);
    const std::uint64_t slotAt = in.at();
    h.slot = static_cast<int>(in.Number(2));
    if (h.slot != c) {
        in.Fail(sample + " gives its slot as " + Num(h.slot) + ", not " + Num(c), slotAt);
    }
    return h;
}

void ReadEmptySampleHeaders(WaveCursor& in, int used) {
    const std::size_t empty = static_cast<std::size_t>(kWaveSlotCount - used);
    in.Expect(std::string_view(EmptySampleHeaders()).substr(0, empty * kWaveSampleHeaderSize),
              [&](std::size_t i) {
                  return "sample header slot " + Num(used + 1 + i / kWaveSampleHeaderSize) +
                         " is beyond the sample count but not the empty \"NewSampl\" header";
              });
}

// Where field `at` of sample header c lies in the file.
std::uint64_t SampleHeaderFieldOffset(int c, std::size_t at) {
    return kWaveSampleHeaderTableOffset + kWaveSampleHeaderSize * static_cast<std::size_t>(c) + at;
}

// The loop lies inside the points the size slot gives. A loop of no points,
// even at the very end, passes: the export writes one for a SoundFont loop
// that is empty or clamped away, whether or not the sample loops.
void CheckLoopInside(const WaveSampleHeader& h, int c, std::int64_t points, const WaveCursor& in) {
    const std::string sample = "sample header " + Num(c + 1);
    const std::string limit = ", beyond the " + Num(points) + " points of its size slot";
    if (h.loopStartOffset > points) {
        in.Fail(sample + " has the loop start " + Num(h.loopStartOffset) + limit,
                SampleHeaderFieldOffset(c, 14));
    }
    if (h.loopStartOffset + h.loopLength > points) {
        in.Fail(sample + " has a loop of " + Num(h.loopLength) + " points from point " +
                    Num(h.loopStartOffset) + ", ending at point " +
                    Num(h.loopStartOffset + h.loopLength) + limit,
                SampleHeaderFieldOffset(c, 18));
    }
}

// A size in whole points that holds the header's loop and is its loop
// start, loop length and points after the loop together, as in every wave
// the export writes.
std::uint32_t ReadSampleSize(WaveCursor& in, const WaveSampleHeader& h, int c) {
    const std::uint64_t at = in.at();
    const auto size = static_cast<std::uint32_t>(in.Number(4));
    const auto fail = [&](const std::string& why) {
        in.Fail("the size of sample " + Num(c + 1) + " (" + Num(size) + " bytes) " + why, at);
    };
    if (size % 2 != 0) fail("is not a whole number of 16-bit points");
    const std::int64_t points = size / 2;
    CheckLoopInside(h, c, points, in);
    const std::int64_t span = h.loopStartOffset + h.loopLength + h.lengthAfterLoop;
    if (points != span) {
        fail("is not the " + Num(span) +
             " points that its loop start, loop length and points after the loop add up to");
    }
    return size;
}

// The loop position points into the file's sample data: the points of the
// samples before this one plus its loop start, halved.
void CheckLoopPosition(const WaveSample& s, int c, std::uint64_t pointsBefore,
                       const WaveCursor& in) {
    const WaveSampleHeader& h = s.header;
    const std::int64_t expected =
        ((h.loopStartOffset + static_cast<std::int64_t>(pointsBefore)) / 2) | kLoopPositionBits;
    if (h.loopPosition == expected) return;
    in.Fail("sample header " + Num(c + 1) + " has the loop position " + Num(h.loopPosition) +
                ", but its loop start " + Num(h.loopStartOffset) + " after the " +
                Num(pointsBefore) + " points of the samples before it gives " + Num(expected),
            SampleHeaderFieldOffset(c, 10));
}

// The file holds exactly the points its size slots announce.
void CheckDataLength(const WaveFileContents& w, const WaveCursor& in) {
    for (std::size_t c = 0; c < w.samples.size(); ++c) {
        const WaveSample& s = w.samples[c];
        if (s.dataOffset + s.size <= w.fileSize) continue;
        in.Fail("the file ends after " + Num(w.fileSize) + " bytes, inside the points of sample " +
                    Num(c + 1) + ", which its size slot puts at " + Num(s.dataOffset) + " to " +
                    Num(s.dataOffset + s.size),
                w.fileSize);
    }
    const std::uint64_t end = w.samples.empty()
                                  ? kWaveSampleDataOffset
                                  : w.samples.back().dataOffset + w.samples.back().size;
    if (w.fileSize > end) {
        in.Fail(
            Num(w.fileSize - end) + " bytes follow the sample data that the size slots announce",
            end);
    }
}

}  // namespace

std::string DescribeWaveError(const WaveFileError& error) {
    return std::string("Not a valid EX5/7 wave file: ") + error.what() + " (at byte offset " +
           Num(error.offset()) + ")";
}

int WaveSampleNumber(const WaveKeyMapEntry& entry) {
    return (entry.sampleReference & kReferenceSlotMask) + 1;
}

bool WaveLooped(const WaveSampleHeader& header) {
    return header.loopFlag == kLoopOn;
}

WaveFileContents ParseWaveFront(std::string_view front, std::uint64_t fileSize) {
    if (front.size() != std::min<std::uint64_t>(fileSize, kWaveSampleDataOffset)) {
        throw std::invalid_argument("the front part must be the file's first 69766 bytes");
    }
    WaveCursor in(front, fileSize);
    WaveFileContents w;
    w.fileSize = fileSize;
    ReadFileHeader(in);
    w.counts = ReadCounts(in);
    ReadKeyMapSlots(in);
    w.keyMapHeader = ReadKeyMapHeader(in, w.counts);
    for (std::int64_t k = 0; k < w.keyMapHeader.entryCount; ++k) {
        w.keyMapEntries.push_back(ReadKeyMapEntry(in, k, w.counts.sampleCount));
    }
    ReadKeyMapFiller(in, w.keyMapHeader.entryCount);

    in.Enter("sample header table");
    const auto sampleCount = static_cast<int>(w.counts.sampleCount);
    for (int c = 0; c < sampleCount; ++c) w.samples.push_back({ReadSampleHeader(in, c), 0, 0});
    ReadEmptySampleHeaders(in, sampleCount);

    in.Enter("sample size slots");
    std::uint64_t dataOffset = kWaveSampleDataOffset;
    for (int c = 0; c < sampleCount; ++c) {
        WaveSample& s = w.samples[static_cast<std::size_t>(c)];
        s.size = ReadSampleSize(in, s.header, c);
        s.dataOffset = dataOffset;
        dataOffset += s.size;
    }
    in.Expect(Zeros(4 * static_cast<std::size_t>(kWaveSlotCount - sampleCount)),
              [&](std::size_t i) {
                  return "size slot " + Num(sampleCount + 1 + i / 4) +
                         " is beyond the sample count but not 0";
              });

    for (int c = 0; c < sampleCount; ++c) {
        const WaveSample& s = w.samples[static_cast<std::size_t>(c)];
        CheckLoopPosition(s, c, (s.dataOffset - kWaveSampleDataOffset) / 2, in);
    }
    CheckDataLength(w, in);
    return w;
}

WaveFileContents ParseWaveFile(std::string_view file) {
    return ParseWaveFront(file.substr(0, kWaveSampleDataOffset), file.size());
}

WaveFileContents ReadWaveFile(const std::string& path) {
    const auto refuse = [&](const std::string& reason) {
        throw FileAccessError(path + ": " + reason);
    };
    FileDescriptor fd;
    try {
        fd = OpenRegularFile(path);
    } catch (const FileAccessError& e) {
        refuse(e.what());
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) refuse(std::strerror(errno));
    const auto fileSize = static_cast<std::uint64_t>(status.st_size);
    std::string front(std::min<std::uint64_t>(fileSize, kWaveSampleDataOffset), '\0');
    for (std::size_t done = 0; done < front.size();) {
        const ssize_t n = ::read(fd.get(), front.data() + done, front.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) refuse(std::strerror(errno));
        if (n == 0) refuse("the file shrank while it was read");
        done += static_cast<std::size_t>(n);
    }
    return ParseWaveFront(front, fileSize);
}

}  // namespace zelvo
