// Zone labels and the instrument zone table the export works from.
#include <gtest/gtest.h>

#include "load_helpers.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

Sf2Builder WithSamples(int count) {
    Sf2Builder b;
    for (int s = 0; s < count; ++s) b.Sample({.name = "Smp" + std::to_string(s + 1), .end = 4});
    return b.SamplePoints(std::vector<std::int16_t>(8, 0));
}

// keyLo, keyHi, velLo, velHi, coarse, fine, pan, sampleModes, rootKey, sampleNdx, isGlobal
std::vector<int> Fields(const Loaded& f, int instrument, int zone) {
    const InstZone& z = f.model.InstZoneTable.at(instrument).zone(zone);
    return {z.keyLo, z.keyHi,       z.velLo,   z.velHi,     z.coarseTune, z.fineTune,
            z.pan,   z.sampleModes, z.rootKey, z.sampleNdx, z.isGlobal};
}

TEST(ZoneTable, CollectsTheExportValuesOfAZoneOrTheirDefaults) {
    Sf2Builder b = WithSamples(8);
    b.Instrument({"I",
                  {{{KeyRange(36, 60), VelRange(1, 100), Gen(51, -12), Gen(52, 50), Gen(17, -500),
                     Gen(54, 3), Gen(58, 72), SampleId(7)}},
                   {{SampleId(0)}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(Fields(f, 1, 1), (std::vector<int>{36, 60, 1, 100, -12, 50, -500, 3, 72, 8, 0}));
    EXPECT_EQ(Fields(f, 1, 2), (std::vector<int>{0, 127, 1, 127, 0, 0, 0, 0, -1, 1, 0}));
    EXPECT_EQ(f.model.InstZoneTable.at(1).zoneCount, 2);
}

TEST(ZoneTable, ZonesInheritFromTheInstrumentsGlobalZone) {
    Sf2Builder b = WithSamples(3);
    // A drum kit that sets its root key and tuning only once, in the global zone.
    b.Instrument({"Kit",
                  {{{Gen(58, 60), Gen(51, 2), Gen(17, 250), Gen(34, 100)}},
                   {{KeyRange(36, 36), SampleId(0)}},
                   {{KeyRange(38, 38), Gen(58, 62), Gen(17, -250), SampleId(1)}},
                   {{KeyRange(40, 40), Gen(58, 65535), SampleId(2)}}}});
    b.Instrument({"Plain", {{{SampleId(0)}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(Fields(f, 1, 1), (std::vector<int>{0, 127, 1, 127, 2, 0, 250, 0, 60, 0, 1}));
    EXPECT_EQ(Fields(f, 1, 2), (std::vector<int>{36, 36, 1, 127, 2, 0, 250, 0, 60, 1, 0}));
    EXPECT_EQ(Fields(f, 1, 3), (std::vector<int>{38, 38, 1, 127, 2, 0, -250, 0, 62, 2, 0}));
    // The zone's own "none" (65535) wins over the global root key.
    EXPECT_EQ(Fields(f, 1, 4), (std::vector<int>{40, 40, 1, 127, 2, 0, 250, 0, -1, 3, 0}));
    // Nothing carries over to the next instrument.
    EXPECT_EQ(Fields(f, 2, 1), (std::vector<int>{0, 127, 1, 127, 0, 0, 0, 0, -1, 1, 0}));
}

TEST(ZoneTable, OnlyTheLastGeneratorDecidesTheLabel) {
    Sf2Builder b = WithSamples(2);
    b.Sample({.name = "global", .end = 2});
    b.Instrument({"I",
                  {{{SampleId(0), KeyRange(0, 10)}},
                   {{KeyRange(11, 20), SampleId(1)}},
                   {},
                   {{SampleId(2)}}}});
    b.Preset({"P", 0, 0, {{{Gen(16, 200), Gen(17, 10)}}, {{KeyRange(0, 10), InstrumentId(0)}}}})
        .Preset({"Q", 0, 0, {{{InstrumentId(99)}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(NodeText(f.tree, "IGene1"), "global");
    EXPECT_EQ(Fields(f, 1, 1).back(), 1);
    EXPECT_EQ(Fields(f, 1, 1)[9], 1) << "values are kept whatever their order";
    EXPECT_EQ(NodeText(f.tree, "IGene2"), "Smp2");
    EXPECT_EQ(Fields(f, 1, 2)[0], 11) << "a global zone that is not first passes nothing on";
    EXPECT_EQ(NodeText(f.tree, "IGene3"), "global") << "a zone without generators is global";
    EXPECT_EQ(Fields(f, 1, 3).back(), 1);
    EXPECT_EQ(NodeText(f.tree, "IGene4"), "global");
    EXPECT_EQ(Fields(f, 1, 4).back(), 0) << "a sample named \"global\" is still a sample";
    EXPECT_EQ(NodeText(f.tree, "PGene1"), "global");
    EXPECT_EQ(NodeText(f.tree, "PGene2"), "I");
    EXPECT_EQ(NodeText(f.tree, "PGene3"), "") << "an instrument the file does not have";
}

}  // namespace
}  // namespace zelvo::testing
