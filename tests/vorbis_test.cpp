// SPDX-License-Identifier: GPL-3.0-or-later
// Compressed samples: their length from the last Ogg page, and their decoding,
// on streams encoded here.
#include <gtest/gtest.h>

#include "browser/node_details.h"

#include <bit>
#include <cstring>
#include <ctime>

#include "export/vorbis_decode.h"
#include "load_helpers.h"
#include "ogg_streams.h"
#include "soundfont/ogg_length.h"

namespace zelvo::testing {
namespace {

using namespace std::string_literals;

// Several pages, and an odd count, so that the granule position cuts the last packet.
constexpr std::size_t kPoints = 100003;

const std::string& MonoStream() {
    static const std::string stream = EncodeVorbis(TestSignal(kPoints), 1);
    return stream;
}

// From the whole stream, its last page alone, a stream longer than the
// window, and the streams of a loaded SoundFont, read without moving its reader.
TEST(OggLength, TheLastPageGivesTheLengthAndNothingElseDoes) {
    const std::string& stream = MonoStream();
    EXPECT_EQ(OggStreamLength(stream), kPoints);
    EXPECT_EQ(OggStreamLength(std::string_view(stream).substr(stream.rfind("OggS"))), kPoints);
    std::vector<float> noise(200000);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = (i * 7919 % 2003) / 2003.0f - 0.5f;
    const std::string longer = EncodeVorbis(noise, 1, 44100, 1.0f);
    ASSERT_GT(longer.size(), kOggTailBytes);

    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4}).CompressedSample({.name = "Long"}, longer);
    b.CompressedSample({.name = "Mono"}, stream).CompressedSample({.name = "Cut"}, stream.substr(0, 9000));
    // A PCM sample over the same bytes as "Mono" has no decoded length.
    const auto monoAt = static_cast<std::uint32_t>(longer.size());
    b.Sample({.name = "Pcm", .start = monoAt, .end = monoAt + static_cast<std::uint32_t>(stream.size())});
    // A last page longer than the first read of the stream's end.
    b.CompressedSample({.name = "Big page"}, OggPages({"head", std::string(20000, 'x')}, 123));
    const std::string bytes = b.Build();
    // The load reads each length; the sample view shows it with the codec.
    Loaded loaded = LoadBytes(bytes);
    std::vector<std::uint32_t> lengths;
    for (int s = 1; s <= 5; ++s) lengths.push_back(loaded.model.SampleHeaders.at(s).decodedLength);
    EXPECT_EQ(lengths, (std::vector<std::uint32_t>{200000, kPoints, 0, 0, 123}));
    const NodeDetails mono = BuildNodeDetails("nodeS2", loaded.model);
    EXPECT_EQ(mono.rows.at(0).cells.at(0) + " " + mono.rows[0].cells.at(1), "mono (Ogg Vorbis) " + std::to_string(kPoints));
    std::istringstream in(bytes);
    in.seekg(2);
    sfSample past = loaded.model.SampleHeaders.at(2);
    past.dwEnd = loaded.model.SmplSize + 1;
    EXPECT_EQ(ReadCompressedSampleLength(in, loaded.model, past), std::nullopt);
    EXPECT_EQ(ReadOggStreamLength(in, bytes.size() - 10, bytes.size() + 1), std::nullopt);
    EXPECT_EQ(in.tellg(), 2);

    // Anything but a whole last page that ends the stream leaves the length unknown.
    std::string changed = stream;
    changed[changed.size() - 10] ^= 0x40;
    // Cut, longer, a changed byte, no end-of-stream flag, a negative granule position.
    for (const std::string& tail : {std::string(), std::string(5000, '\0'), std::string("OggS"),
                                    stream.substr(0, stream.size() - 1), stream + '\0', changed,
                                    stream.substr(0, stream.rfind("OggS")), OggPages({"a", "b"}, -5)}) {
        EXPECT_EQ(OggStreamLength(tail), std::nullopt) << tail.size() << " bytes";
    }
    // "OggS" inside the last packet is no page.
    EXPECT_EQ(OggStreamLength(OggPages({"head", "OggS\0\x04 not a page though it starts as one"s}, 123)), 123u);
    // Nor is a whole page, granule 999, that ends where the stream ends: in
    // the last packet, or in an earlier one and reaching over the last page.
    const auto pageOf = [](const std::string& body) {
        return OggPages({"", body}, 999).substr(28);  // after the first page, of an empty packet
    };
    EXPECT_EQ(OggStreamLength(OggPages({"head", "pp" + pageOf("q")}, 123)), 123u);
    const std::string three = OggPages({"head", "p", "tail"}, 123);
    const std::string lastPage = three.substr(three.rfind("OggS"));
    const std::string over = pageOf("q" + lastPage);
    const std::string reaching = OggPages({"head", "pp" + over.substr(0, over.size() - lastPage.size()), "tail"}, 123);
    ASSERT_TRUE(reaching.ends_with(over));
    EXPECT_EQ(OggStreamLength(reaching), 246u);
}

// 2,000 compressed samples over one region of fake page headers, each right
// after the last one's segment table and claiming to end where the region
// ends: finding the last page takes one checksum, not one per header.
TEST(OggLength, NestedFakePagesLoadQuickly) {
    std::string region(kOggTailBytes, '\0');
    for (std::size_t at = kOggTailBytes - (27 + 255 + 255 * 255); kOggTailBytes - at > 27;) {
        const std::size_t rest = kOggTailBytes - at - 27;  // segment table and body
        const std::size_t segments = (rest + 255) / 256;
        region.replace(at, 5, "OggS\0"s);
        region[at + 26] = static_cast<char>(segments);
        for (std::size_t s = 0, body = rest - segments; s < segments; ++s) {
            region[at + 27 + s] = static_cast<char>(std::min<std::size_t>(body, 255));
            body -= std::min<std::size_t>(body, 255);
        }
        at += 27 + segments;
    }
    Sf2Builder b;
    b.Info("ifil", {"\x03\x00\x01\x00", 4}).SampleBytes(region);
    for (int s = 0; s < 2000; ++s) b.Sample({.name = "Fake", .end = static_cast<std::uint32_t>(region.size()), .type = 0x11});
    const std::string bytes = b.Build();
    const std::clock_t began = std::clock();
    const Loaded loaded = LoadBytes(bytes);
    EXPECT_LT(static_cast<double>(std::clock() - began) / CLOCKS_PER_SEC, 1.0) << bytes.size() << " bytes";
    EXPECT_EQ(loaded.model.SampleHeaders.at(2000).decodedLength, 0u);
}

// What oggdec, a decoder Zelvo does not run, makes of a stream (it clips as
// libvorbisfile's 16-bit output does); empty when it cannot decode it.
std::vector<std::int16_t> Oggdec(const std::string& stream) {
    const TempFile ogg(stream, "in.ogg");
    const std::string raw = (ogg.folder() / "out.raw").string();
    if (std::system(("oggdec -Q -R -b 16 -e 0 -s 1 -o " + raw + " " + ogg.path().string()).c_str()) != 0) return {};
    const std::string bytes = ReadWholeFile(raw);
    std::vector<std::int16_t> points(bytes.size() / 2);
    std::memcpy(points.data(), bytes.data(), 2 * points.size());
    return points;
}

// The message of the decoding error, or "decoded" when there was none.
std::string DecodeError(std::string_view stream) {
    try {
        DecodeVorbisSample(stream, "Flute C5");
    } catch (const VorbisDecodeError& e) {
        EXPECT_EQ(e.sampleName(), "Flute C5");
        return e.what();
    }
    return "decoded";
}

// As oggdec decodes them, and beyond full scale clipped, not wrapped;
// anything else refused by name.
TEST(VorbisDecode, MonoStreamsDecodeAsOggdecDoesAndClipOthersAreRefused) {
    const DecodedSample decoded = DecodeVorbisSample(MonoStream(), "Sine");
    EXPECT_EQ(decoded.rate, 44100u);
    ASSERT_EQ(decoded.points.size(), kPoints);
    EXPECT_GE(Correlation(decoded.points, TestSignal(kPoints)), 0.99);
    EXPECT_TRUE(decoded.points == Oggdec(MonoStream()));
    std::vector<float> loud(9000);
    for (std::size_t i = 0; i < loud.size(); ++i) loud[i] = 1.6f * std::sin(i * 0.01f);
    const std::string loudStream = EncodeVorbis(loud, 1, 22050);
    const DecodedSample clipped = DecodeVorbisSample(loudStream, "Loud");
    EXPECT_EQ(clipped.rate, 22050u);
    EXPECT_TRUE(clipped.points == Oggdec(loudStream));
    EXPECT_EQ(*std::max_element(clipped.points.begin(), clipped.points.end()), 32767);

    // Streams that are not whole one-channel Vorbis are refused by name.
    EXPECT_EQ(DecodeError(EncodeVorbis(std::vector<float>(8000, 0.1f), 2)),
              "Sample \"Flute C5\" has 2 channels; only one-channel samples can be exported.");
    for (const std::string& other : {""s, std::string(4096, '\x12'), OggPages({"OpusHead", "OpusTags"})})
        EXPECT_EQ(DecodeError(other), "Sample \"Flute C5\" is not an Ogg Vorbis stream.");
    // Every cut and every changed byte (each fails its page's checksum); from
    // the middle on, past the headers, the reason is known.
    const std::string& stream = MonoStream();
    const std::string damaged = "Sample \"Flute C5\" has a damaged or incomplete Ogg Vorbis stream.";
    // A last page that promises fewer points than the stream holds.
    EXPECT_EQ(DecodeError(WithLength(stream, kPoints - 1000)), damaged);
    const auto check = [&](std::string_view bad, std::size_t at) {
        const std::string error = DecodeError(bad);
        EXPECT_TRUE(at > stream.size() / 2 ? error == damaged : error.starts_with("Sample \"Flute C5\" "))
            << at << ": " << error;
    };
    for (std::size_t at = 0; at < stream.size() && !HasFailure(); ++at) {
        check(std::string_view(stream).substr(0, at), at);
        if (at % 3) continue;
        std::string changed = stream;
        changed[at] ^= 0x21;
        check(changed, at);
    }
}

}  // namespace
}  // namespace zelvo::testing
