// Zone labels and the instrument zone table the export works from.
#include <gtest/gtest.h>

#include "load_helpers.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

Sf2Builder WithSamples(int count) {
    Sf2Builder b;
    for (int s = 0; s < count; ++s) {
        b.Sample({.name = "Smp" + std::to_string(s + 1), .start = 0, .end = 4});
    }
    b.SamplePoints(std::vector<std::int16_t>(8, 0));
    return b;
}

const InstZone& ZoneOf(const Loaded& f, int instrument, int zone) {
    return f.model.InstZoneTable.at(instrument).zone(zone);
}

TEST(ZoneTable, CollectsTheExportValuesOfAZone) {
    Sf2Builder b = WithSamples(8);
    b.Instrument({"I", {{{KeyRange(36, 60), VelRange(1, 100), Gen(51, -12), Gen(52, 50),
                          Gen(17, -500), Gen(54, 3), Gen(58, 72), SampleId(7)}}}});
    const Loaded f = LoadBytes(b.Build());
    const InstZone& z = ZoneOf(f, 1, 1);
    EXPECT_EQ(z.keyLo, 36);
    EXPECT_EQ(z.keyHi, 60);
    EXPECT_EQ(z.velLo, 1);
    EXPECT_EQ(z.velHi, 100);
    EXPECT_EQ(z.coarseTune, -12);
    EXPECT_EQ(z.fineTune, 50);
    EXPECT_EQ(z.pan, -500);
    EXPECT_EQ(z.sampleModes, 3);
    EXPECT_EQ(z.rootKey, 72);
    EXPECT_EQ(z.sampleNdx, 8);
    EXPECT_FALSE(z.isGlobal);
    EXPECT_EQ(f.model.InstZoneTable.at(1).zoneCount, 1);
    EXPECT_EQ(NodeText(f.tree, "IGene1"), "Smp8");
}

TEST(ZoneTable, ZonesWithoutGeneratorsOfAKindTakeTheDefaults) {
    Sf2Builder b = WithSamples(1);
    b.Instrument({"I", {{{SampleId(0)}}}});
    const Loaded f = LoadBytes(b.Build());
    const InstZone& z = ZoneOf(f, 1, 1);
    EXPECT_EQ(z.keyLo, 0);
    EXPECT_EQ(z.keyHi, 127);
    EXPECT_EQ(z.velLo, 1);
    EXPECT_EQ(z.velHi, 127);
    EXPECT_EQ(z.rootKey, -1);
    EXPECT_EQ(z.pan, 0);
    EXPECT_EQ(z.coarseTune, 0);
    EXPECT_EQ(z.fineTune, 0);
    EXPECT_EQ(z.sampleModes, 0);
}

TEST(ZoneTable, ZonesInheritFromTheInstrumentsGlobalZone) {
    Sf2Builder b = WithSamples(3);
    // A drum kit that sets its root key and tuning only once, in the global zone.
    b.Instrument({"Kit", {{{Gen(58, 60), Gen(51, 2), Gen(17, 250), Gen(34, 100)}},
                          {{KeyRange(36, 36), SampleId(0)}},
                          {{KeyRange(38, 38), Gen(58, 62), Gen(17, -250), SampleId(1)}},
                          {{KeyRange(40, 40), Gen(58, 65535), SampleId(2)}}}});
    b.Instrument({"Plain", {{{SampleId(0)}}}});
    const Loaded f = LoadBytes(b.Build());
    const InstZone& global = ZoneOf(f, 1, 1);
    EXPECT_TRUE(global.isGlobal);
    EXPECT_EQ(global.sampleNdx, 0);
    EXPECT_EQ(NodeText(f.tree, "IGene1"), "global");

    EXPECT_EQ(ZoneOf(f, 1, 2).rootKey, 60);
    EXPECT_EQ(ZoneOf(f, 1, 2).coarseTune, 2);
    EXPECT_EQ(ZoneOf(f, 1, 2).pan, 250);
    EXPECT_EQ(ZoneOf(f, 1, 2).keyLo, 36);
    EXPECT_EQ(ZoneOf(f, 1, 3).rootKey, 62);
    EXPECT_EQ(ZoneOf(f, 1, 3).pan, -250);
    EXPECT_EQ(ZoneOf(f, 1, 3).coarseTune, 2);
    EXPECT_EQ(ZoneOf(f, 1, 4).rootKey, -1) << "the zone's own \"none\" wins over the global root key";
    EXPECT_FALSE(ZoneOf(f, 1, 2).isGlobal);

    // Nothing carries over to the next instrument.
    EXPECT_EQ(ZoneOf(f, 2, 1).rootKey, -1);
    EXPECT_EQ(ZoneOf(f, 2, 1).pan, 0);
}

TEST(ZoneTable, OnlyTheLastGeneratorDecidesTheLabel) {
    Sf2Builder b = WithSamples(2);
    b.Instrument({"I", {{{SampleId(0), KeyRange(0, 10)}}, {{KeyRange(11, 20), SampleId(1)}}, {}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(NodeText(f.tree, "IGene1"), "global");
    EXPECT_TRUE(ZoneOf(f, 1, 1).isGlobal);
    EXPECT_EQ(ZoneOf(f, 1, 1).sampleNdx, 1) << "values are kept whatever their order";
    EXPECT_EQ(NodeText(f.tree, "IGene2"), "Smp2");
    EXPECT_EQ(NodeText(f.tree, "IGene3"), "global") << "a zone without generators is global";
    EXPECT_TRUE(ZoneOf(f, 1, 3).isGlobal);
    // A global zone that is not first passes nothing on.
    EXPECT_EQ(ZoneOf(f, 1, 2).keyLo, 11);
}

TEST(ZoneTable, ASampleNamedGlobalIsNotAGlobalZone) {
    Sf2Builder b;
    b.Sample({.name = "global", .end = 2}).Instrument({"I", {{{SampleId(0)}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_FALSE(ZoneOf(f, 1, 1).isGlobal);
}

TEST(ZoneTable, PresetZonesAreLabelledWithTheirInstrument) {
    Sf2Builder b = WithSamples(1);
    for (int i = 0; i < 5; ++i) b.Instrument({"Inst" + std::to_string(i), {{{SampleId(0)}}}});
    b.Preset({"P", 0, 0, {{{Gen(16, 200), Gen(17, 10)}}, {{KeyRange(0, 10), InstrumentId(4)}}, {}}});
    b.Preset({"Q", 0, 0, {{{InstrumentId(99)}}}});
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(NodeText(f.tree, "PGene1"), "global");
    EXPECT_EQ(NodeText(f.tree, "PGene2"), "Inst4");
    EXPECT_EQ(NodeText(f.tree, "PGene3"), "global");
    EXPECT_EQ(NodeText(f.tree, "PGene4"), "") << "an instrument the file does not have";
}

TEST(ZoneTable, InstrumentsOfManyZones) {
    Sf2Builder b = WithSamples(1);
    InstrumentSpec big{"Big", {}};
    for (int z = 0; z < 300; ++z) big.zones.push_back({{KeyRange(z % 128, z % 128), SampleId(0)}});
    b.Instrument(big);
    const Loaded f = LoadBytes(b.Build());
    EXPECT_EQ(f.model.InstZoneTable.at(1).zoneCount, 300);
    EXPECT_EQ(ZoneOf(f, 1, 300).keyLo, 299 % 128);
    EXPECT_FALSE(ZoneOf(f, 1, 200).isGlobal);
}

}  // namespace
}  // namespace zelvo::testing
