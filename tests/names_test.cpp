// Generator and note names, value texts and the information texts.
#include <gtest/gtest.h>

#include "browser/gen_value_text.h"
#include "browser/info_texts.h"
#include "browser/names.h"
#include "browser/text_encoding.h"
#include "load_helpers.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

TEST(Names, GeneratorNamesKeepTheirOwnSpelling) {
    EXPECT_EQ(GenNames[0], "startAddrsOffset");
    EXPECT_EQ(GenNames[15], "chorusEffetsSend");
    EXPECT_EQ(GenNames[43], "KeyRange");
    EXPECT_EQ(GenNames[45], "startloppAddrsCoarseOffset");
    EXPECT_EQ(GenNames[53], "SampleID");
    EXPECT_EQ(GenNames[58], "overridingRootKey");
    EXPECT_EQ(GenNames[60], "endOper");
    EXPECT_FALSE(GenName(61).has_value());
}

TEST(Names, NoteNamesWithOctaves) {
    const std::pair<long, const char*> cases[] = {{0, "C-2"},  {1, "C#-2"}, {11, "B-2"},
                                                  {12, "C-1"}, {24, "C0"},  {59, "B2"},
                                                  {60, "C3"},  {69, "A3"},  {127, "G8"},
                                                  {255, "D#19"}, {65535, "D#5459"}};
    for (const auto& [key, text] : cases) EXPECT_EQ(NoteName(key), text) << key;
    EXPECT_FALSE(NoteName(-1).has_value());
}

TEST(Names, GeneratorValueTexts) {
    Sf2Builder b;
    b.Instrument({"Strings", {}}).Instrument({"Brass", {}}).Sample({.name = "Violin", .end = 2});
    const SoundFontModel m = LoadBytes(b.Build()).model;
    const std::tuple<int, int, std::string> cases[] = {
        {43, 32512, "C-2 - G8 / 0 - 127"}, {43, 24612, "C1 - C6 / 36 - 96"},
        {43, 15420, "C3 - C3 / 60 - 60"},  {43, 65535, "D#19 - D#19 / 255 - 255"},
        {44, 32513, "1 - 127"},            {44, 65535, "255 - 255"},
        {17, 65036, "-500"},               {17, 500, "500"},
        {17, 32767, "32767"},              {17, 32768, "-32768"},
        {52, 65535, "-1"},                 {51, 65524, "65524"},
        {48, 960, "960"},                  {54, 0, "FwdNoLp"},
        {54, 1, "FwdLp"},                  {54, 2, "FwdLp"},
        {54, 3, "FwdLpEx"},                {54, 4, "FwdNoLp"},
        {58, 60, "C3 / 60"},               {58, 65535, "D#5459 / 65535"},
        {60, 0, "0"},                      {61, 7, "7"},
        {41, 1, std::string("Brass") + std::string(15, '\0')},
        {53, 0, std::string("Violin") + std::string(14, '\0')},
    };
    for (const auto& [gen, amount, text] : cases) {
        EXPECT_EQ(GenValueText(m, gen, static_cast<std::uint16_t>(amount)), text) << gen << " " << amount;
    }
    EXPECT_FALSE(GenValueText(m, 41, 5).has_value());
    EXPECT_FALSE(GenValueText(m, 53, 65535).has_value());
}

TEST(Names, InformationTexts) {
    SoundFontModel none;
    const auto empty = InfoTexts(none);
    EXPECT_EQ(empty[0], "No SoundFont file");
    for (std::size_t i = 1; i < empty.size(); ++i) EXPECT_EQ(empty[i], "");

    Sf2Builder b;
    b.Info("INAM", std::string("Bank\0\0", 6)).Info("ICMT", "Long comment").Info("ISFT", "Tool");
    const auto texts = InfoTexts(LoadBytes(b.Build()).model);
    const std::array<std::string, 12> expected = {
        "Filename: test.sf2", "SoundFont File Version  2.01", "Sound Engine: ", "ROM wavetable: ",
        "ROM Revision ", "Bank Name: Bank", "Created: ", "Engineer: ", "Intended for: ",
        "Copyright: ", "Created with: Tool", "Comments: Long comment"};
    EXPECT_EQ(texts, expected);
}

TEST(Names, Latin1TextsBecomeUtf8) {
    EXPECT_EQ(Latin1ToUtf8("Caf\xE9 \xFF"), "Caf\xC3\xA9 \xC3\xBF");
    EXPECT_EQ(Latin1ToUtf8("plain"), "plain");
}

}  // namespace
}  // namespace zelvo::testing
