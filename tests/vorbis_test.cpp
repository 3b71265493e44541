// Compressed samples: their length from the last Ogg page, and their decoding,
// on streams encoded here and on the streams of real SoundFont 3 files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "export/vorbis_decode.h"
#include "load_helpers.h"
#include "ogg_streams.h"
#include "sf2_builder.h"
#include "sf3_streams.h"
#include "soundfont/ogg_length.h"

namespace zelvo::testing {
namespace {

using namespace std::string_literals;

// The message of the decoding error, or "decoded" when there was none.
std::string DecodeError(std::string_view stream, const std::string& name = "Flute C5") {
    try {
        DecodeVorbisSample(stream, name);
    } catch (const VorbisDecodeError& e) {
        EXPECT_EQ(e.sampleName(), name);
        return e.what();
    }
    return "decoded";
}

bool Has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// Signal of kPoints points: several pages, and an odd count so that the last
// packet is cut by the granule position.
constexpr std::size_t kPoints = 100003;

const std::string& MonoStream() {
    static const std::string stream = EncodeVorbis(TestSignal(kPoints), 1);
    return stream;
}

TEST(OggLength, TheLastPageGivesTheLengthFromAnyTailThatHoldsIt) {
    const std::string& stream = MonoStream();
    const std::vector<std::size_t> pages = PageOffsets(stream);
    ASSERT_GE(pages.size(), 4u);
    EXPECT_EQ(OggStreamLength(stream), kPoints);
    EXPECT_EQ(OggStreamLength(std::string_view(stream).substr(pages.back())), kPoints);
    // Streams longer than the window: only its last bytes are looked at.
    std::vector<float> noise(200000);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<float>(i * 7919 % 2003) / 2003 - 0.5f;
    const std::string longer = EncodeVorbis(noise, 1, 44100, 1.0f);
    ASSERT_GT(longer.size(), kOggTailBytes);
    EXPECT_EQ(OggStreamLength(longer), 200000u);

    // The stream at an offset in a file, read with one small read; the
    // position the reader was at is kept.
    const std::string file = "head" + longer + stream + "trailing bytes";
    std::istringstream in(file);
    in.seekg(2);
    EXPECT_EQ(ReadOggStreamLength(in, 4, 4 + longer.size()), 200000u);
    EXPECT_EQ(ReadOggStreamLength(in, 4 + longer.size(), 4 + longer.size() + stream.size()),
              kPoints);
    EXPECT_EQ(in.tellg(), 2);
    EXPECT_EQ(in.get(), 'a');
}

TEST(OggLength, AnythingButAWholeLastPageIsUnknown) {
    const std::string& stream = MonoStream();
    const std::vector<std::size_t> pages = PageOffsets(stream);
    std::string flipped = stream;
    flipped[flipped.size() - 10] ^= 0x40;
    std::string notLast = stream;
    notLast[pages.back() + 5] &= ~0x04;
    ResealPage(notLast, pages.back());
    std::string noGranule = stream;
    for (int i = 6; i < 14; ++i) noGranule[pages.back() + i] = '\xFF';
    ResealPage(noGranule, pages.back());
    for (const std::string& tail : {std::string(), std::string(5000, '\0'), std::string("OggS"),
                                    stream.substr(0, stream.size() - 1), stream + '\0',
                                    stream.substr(0, pages.back()), flipped, notLast, noGranule}) {
        EXPECT_EQ(OggStreamLength(tail), std::nullopt) << tail.size() << " bytes";
    }
    // "OggS" inside the last packet is not a page.
    const std::string pagesWithText =
        OggPages({"head", "OggS\0\x04 not a page, though it starts like one OggS"s}, 123);
    EXPECT_EQ(OggStreamLength(pagesWithText), 123u);

    std::istringstream in(stream);
    EXPECT_EQ(ReadOggStreamLength(in, 10, 10), std::nullopt);
    EXPECT_EQ(ReadOggStreamLength(in, 0, stream.size() + 1), std::nullopt);
    EXPECT_EQ(ReadOggStreamLength(in, 0, stream.size()), kPoints);
}

TEST(OggLength, CompressedSamplesOfALoadedSoundFontGiveTheirLengths) {
    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4})
        .CompressedSample({.name = "A"}, EncodeVorbis(TestSignal(7001), 1))
        .CompressedSample({.name = "B"}, MonoStream())
        .CompressedSample({.name = "Cut"}, MonoStream().substr(0, 9000));
    const std::string bytes = b.Build();
    const Loaded loaded = LoadBytes(bytes);
    std::istringstream in(bytes);
    const auto length = [&](int s) {
        return ReadCompressedSampleLength(in, loaded.model, loaded.model.SampleHeaders.at(s));
    };
    EXPECT_EQ(length(1), 7001u);
    EXPECT_EQ(length(2), kPoints);
    EXPECT_EQ(length(3), std::nullopt);
    sfSample past = loaded.model.SampleHeaders.at(2);
    past.dwEnd = loaded.model.SmplSize + 1;
    EXPECT_EQ(ReadCompressedSampleLength(in, loaded.model, past), std::nullopt);
}

TEST(VorbisDecode, MonoStreamsDecodeToTheirLengthCloseToTheSignal) {
    const std::vector<float> signal = TestSignal(kPoints);
    const DecodedSample decoded = DecodeVorbisSample(MonoStream(), "Sine");
    EXPECT_EQ(decoded.rate, 44100u);
    ASSERT_EQ(decoded.points.size(), kPoints);
    EXPECT_GE(Correlation(decoded.points, signal), 0.99);
    // Within a few per cent of full scale, so the scale is 32768.
    double peak = 0;
    for (const double p : decoded.points) peak = std::max(peak, std::abs(p));
    EXPECT_NEAR(peak / 32768, 0.8, 0.05);

    // Beyond full scale the points clip instead of wrapping.
    std::vector<float> loud(9000);
    for (std::size_t i = 0; i < loud.size(); ++i) loud[i] = 1.6f * std::sin(i * 0.01f);
    const DecodedSample clipped = DecodeVorbisSample(EncodeVorbis(loud, 1, 22050), "Loud");
    EXPECT_EQ(clipped.rate, 22050u);
    ASSERT_EQ(clipped.points.size(), loud.size());
    for (std::size_t i = 0; i < loud.size(); ++i) {
        if (std::abs(loud[i]) > 1.2f) {
            ASSERT_EQ(clipped.points[i], loud[i] > 0 ? 32767 : -32768) << i;
        }
    }
}

TEST(VorbisDecode, StreamsThatAreNotOneChannelOfVorbisAreRefusedByName) {
    std::vector<float> stereo(2 * 4000);
    for (std::size_t i = 0; i < stereo.size(); ++i) stereo[i] = std::sin(i * 0.02f) / 2;
    EXPECT_EQ(DecodeError(EncodeVorbis(stereo, 2)),
              "Sample \"Flute C5\" has 2 channels; only one-channel samples can be exported.");
    const std::string notVorbis = "Sample \"Flute C5\" is not an Ogg Vorbis stream.";
    EXPECT_EQ(DecodeError(""), notVorbis);
    EXPECT_EQ(DecodeError(std::string(4096, '\x12')), notVorbis);
    EXPECT_EQ(DecodeError(OggPages({"OpusHead\x01\x01", "OpusTags", "audio"})), notVorbis);
}

TEST(VorbisDecode, EveryCutAndEveryChangedByteIsRefusedByName) {
    const std::string& stream = MonoStream();
    const std::string damaged = "Sample \"Flute C5\" has a damaged or incomplete Ogg Vorbis stream.";
    std::vector<std::size_t> pages = PageOffsets(stream);
    // Header pages have granule position 0; audio follows them.
    const auto audio = std::find_if(pages.begin(), pages.end(), [&](std::size_t at) {
        return stream.substr(at + 6, 8) != std::string(8, '\0');
    });
    ASSERT_NE(audio, pages.end());
    const std::size_t audioStart = *audio, firstAudioPage = audio - pages.begin();
    // Cut in the headers, the stream may not be Vorbis yet; after them, damaged.
    for (std::size_t size = 0; size < stream.size(); ++size) {
        const std::string error = DecodeError(std::string_view(stream).substr(0, size));
        ASSERT_TRUE(Has(error, "Sample \"Flute C5\" ")) << size << ": " << error;
        if (size >= audioStart) {
            ASSERT_EQ(error, damaged) << size;
        }
    }
    // A changed byte fails the page's checksum wherever it is.
    for (std::size_t at = 0; at < stream.size(); at += 3) {
        std::string changed = stream;
        changed[at] ^= 0x21;
        const std::string error = DecodeError(changed);
        ASSERT_TRUE(Has(error, "Sample \"Flute C5\" ")) << at << ": " << error;
        if (at >= audioStart) {
            ASSERT_EQ(error, damaged) << at;
        }
    }
    // Changed audio behind a correct checksum: refused or decoded to the
    // promised length, never more.
    pages.push_back(stream.size());
    for (std::size_t p = firstAudioPage; p + 1 < pages.size(); ++p) {
        std::string changed = stream;
        const std::size_t body = pages[p] + 27 + static_cast<unsigned char>(stream[pages[p] + 26]);
        for (std::size_t at = body; at < pages[p + 1]; at += 13)
            changed[at] = static_cast<char>(at * 37);
        ResealPage(changed, pages[p]);
        try {
            EXPECT_EQ(DecodeVorbisSample(changed, "X").points.size(), kPoints);
        } catch (const VorbisDecodeError& e) {
            EXPECT_TRUE(Has(e.what(), "Sample \"X\" ")) << e.what();
        }
    }
}

// libvorbisfile's own 16-bit output, in place of Zelvo's clipping.
std::vector<std::int16_t> OvRead(std::string_view stream, long* rate) {
    MemoryVorbisFile vf(stream);
    if (!vf.ok()) return {};
    *rate = ov_info(vf.get(), 0)->rate;
    std::vector<std::int16_t> points;
    char buffer[8192];
    int link = 0;
    for (long n; (n = ov_read(vf.get(), buffer, sizeof buffer, 0, 2, 1, &link)) > 0;) {
        for (long i = 0; i + 1 < n; i += 2) {
            points.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(buffer[i]) |
                                                       static_cast<unsigned char>(buffer[i + 1]) << 8));
        }
    }
    return points;
}

class RealStreams : public ::testing::TestWithParam<std::string> {};

TEST_P(RealStreams, LastPageLengthsAndDecodedPointsMatchLibvorbisfile) {
    const std::string path = std::string(ZELVO_SOUNDFONT3_DIR) + "/" + GetParam();
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    const std::string file = ReadWholeFile(path);
    const std::vector<RealStream> streams = CompressedStreams(file);
    ASSERT_GT(streams.size(), 1000u);
    std::ifstream in(path, std::ios::binary);
    for (std::size_t s = 0; s < streams.size(); ++s) {
        const RealStream& r = streams[s];
        SCOPED_TRACE(r.name);
        const std::optional<std::uint64_t> length = ReadOggStreamLength(in, r.start, r.end);
        ASSERT_TRUE(length.has_value());
        EXPECT_LE(r.endLoop, *length);
        // A handful decoded in full, the first and the last among them.
        if (s % 97 != 0 && s + 1 != streams.size()) continue;
        const std::string_view stream = std::string_view(file).substr(r.start, r.end - r.start);
        long rate = 0;
        const std::vector<std::int16_t> expected = OvRead(stream, &rate);
        EXPECT_EQ(*length, expected.size());
        const DecodedSample decoded = DecodeVorbisSample(stream, r.name);
        EXPECT_EQ(decoded.rate, r.rate);
        EXPECT_EQ(decoded.rate, rate);
        EXPECT_TRUE(decoded.points == expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Debian, RealStreams,
                         ::testing::Values("FluidR3Mono_GM.sf3", "MuseScore_General_Lite.sf3"));

}  // namespace
}  // namespace zelvo::testing
