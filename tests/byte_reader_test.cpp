// The buffered reader: little-endian numbers, bounds, seeks past its buffer.
#include <gtest/gtest.h>

#include <sstream>

#include "soundfont/byte_reader.h"
#include "soundfont/errors.h"

namespace zelvo {
namespace {

TEST(ByteReader, ReadsLittleEndianUnsignedValues) {
    std::istringstream in(std::string("\xFF\xFF\x01\x02\x03\x84\x7Fxyz", 10));
    ByteReader r(in);
    EXPECT_EQ(r.ReadWord(), 65535);
    EXPECT_EQ(r.ReadLong(), 0x84030201u);
    EXPECT_EQ(r.ReadByte(), 0x7F);
    EXPECT_EQ(r.PeekText(8), "xyz");
    EXPECT_EQ(r.ReadText(3), "xyz");
    EXPECT_TRUE(r.AtEnd());
    EXPECT_THROW(r.ReadByte(), MalformedFileError);
}

TEST(ByteReader, ReadsAcrossBufferRefillsAndSkips) {
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 251);
    std::istringstream in(data);
    ByteReader r(in);
    r.Skip(65535);
    EXPECT_EQ(r.ReadWord(), (65535 % 251) | ((65536 % 251) << 8));  // straddles the buffer end
    r.Skip(100000);
    EXPECT_EQ(r.Offset(), 165537u);
    EXPECT_EQ(r.ReadByte(), 165537 % 251);
    EXPECT_EQ(r.ReadText(30000).size(), 30000u);
    EXPECT_THROW(r.Skip(r.Remaining() + 1), MalformedFileError);
    r.Skip(r.Remaining());
    EXPECT_TRUE(r.AtEnd());
}

TEST(ByteReader, WrongChunkIdCarriesWhatAndWhere) {
    std::istringstream in("RIFFxxxxWAVE");
    ByteReader r(in);
    r.ExpectChunkId("RIFF");
    r.Skip(4);
    try {
        r.ExpectChunkId("sfbk");
        FAIL();
    } catch (const ChunkIdError& e) {
        EXPECT_EQ(e.offset(), 8u);
        EXPECT_EQ(e.found(), "WAVE");
    }
    EXPECT_TRUE(r.AtEnd()) << "the four bytes are consumed either way";
}

TEST(ByteReader, TruncatedReadReportsTheEndOfTheFile) {
    std::istringstream in("abc");
    ByteReader r(in);
    try {
        r.ReadLong();
        FAIL();
    } catch (const MalformedFileError& e) {
        EXPECT_EQ(e.offset(), 3u);
    }
}

}  // namespace
}  // namespace zelvo
