// The number encoding and the field conversions of a wave file; the records
// are checked byte by byte in the export tests.
#include "export/wave_struct.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zelvo {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) out += static_cast<char>(v);
    return out;
}

TEST(BigEndianBytes, WritesMostSignificantFirstAndNothingBelowOne) {
    EXPECT_EQ(BigEndianBytes(0x4000, 2), Bytes({0x40, 0x00}));
    EXPECT_EQ(BigEndianBytes(2000, 4), Bytes({0x00, 0x00, 0x07, 0xD0}));
    EXPECT_EQ(BigEndianBytes(128, 10), std::string(9, '\0') + '\x80');
    EXPECT_EQ(BigEndianBytes(0xFFFFFF, 3), Bytes({0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(BigEndianBytes(0, 3), std::string(3, '\0'));
    EXPECT_EQ(BigEndianBytes(-5, 2), std::string(2, '\0'));
    // A value too wide for its field never lengthens the record.
    EXPECT_THROW(BigEndianBytes(0x1000000, 3), std::out_of_range);
    EXPECT_THROW(BigEndianBytes(256, 1), std::out_of_range);
}

TEST(WaveConversions, PanAndTuneFloorTheQuotientAndStayWithinOneSevenBitByte) {
    const std::pair<int, int> pans[] = {{-500, 0}, {-250, 32}, {-1, 63},  {0, 64},
                                        {250, 96}, {500, 127}, {-600, 0}, {1000, 127}};
    for (const auto& [pan, byte] : pans) EXPECT_EQ(WavePan(pan), byte) << "pan " << pan;
    const std::pair<int, int> tunes[] = {{12, 71}, {-12, 56}, {50, 96},  {-50, 32},
                                         {0, 64},  {-100, 0}, {-120, 0}, {120, 127}};
    for (const auto& [tune, byte] : tunes) EXPECT_EQ(WaveTune(tune), byte) << "tune " << tune;
    EXPECT_EQ(WaveByte(200), 127);
    EXPECT_EQ(WaveByte(-3), 0);
}

TEST(WaveConversions, RootKeyLoopFlagAndLoopPosition) {
    EXPECT_EQ(WaveRootKey(-1, 72), 72);
    EXPECT_EQ(WaveRootKey(40, 72), 40);
    EXPECT_EQ(WaveRootKey(-1, 255), 60);  // unpitched
    EXPECT_EQ(WaveRootKey(-1, 128), 60);
    for (const int mode : {1, 2}) EXPECT_EQ(WaveLoopFlag(mode), 0x00);
    for (const int mode : {0, 3, 7}) EXPECT_EQ(WaveLoopFlag(mode), 0x40);
    EXPECT_EQ(WaveLoopPosition(100), 0xFC0032);
    EXPECT_EQ(WaveLoopPosition(0), 0xFC0000);
    EXPECT_EQ(WaveLoopPosition(1), 0xFC0000);
    EXPECT_EQ(WaveLoopPosition(-1), 0);
}

}  // namespace
}  // namespace zelvo
