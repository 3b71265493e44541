// Note names and generator value texts: the boundaries and the odd cases.
#include "browser/names.h"

#include <gtest/gtest.h>

#include "browser/gen_value_text.h"
#include "load_helpers.h"
#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

TEST(Names, NoteNamesWithOctaves) {
    const std::pair<long, const char*> cases[] = {{0, "C-2"},  {1, "C#-2"},      {11, "B-2"},
                                                  {12, "C-1"}, {59, "B2"},       {60, "C3"},
                                                  {127, "G8"}, {65535, "D#5459"}};
    for (const auto& [key, text] : cases) EXPECT_EQ(NoteName(key), text) << key;
    EXPECT_FALSE(NoteName(-1).has_value());
}

TEST(Names, GeneratorValueTexts) {
    Sf2Builder b;
    b.Instrument({"Strings", {}}).Instrument({"Brass", {}}).Sample({.name = "Violin", .end = 2});
    const SoundFontModel m = LoadBytes(b.Build()).model;
    const std::tuple<int, int, std::string> cases[] = {
        {43, 24612, "C1 - C6 / 36 - 96"},
        {43, 65535, "D#19 - D#19 / 255 - 255"},
        {44, 32513, "1 - 127"},
        {17, 32767, "32767"},
        {17, 32768, "-32768"},
        {52, 65535, "-1"},
        {51, 65524, "65524"},
        {54, 1, "FwdLp"},
        {54, 2, "FwdLp"},
        {54, 3, "FwdLpEx"},
        {54, 4, "FwdNoLp"},
        {58, 65535, "D#5459 / 65535"},
        {61, 7, "7"},
        {41, 1, std::string("Brass") + std::string(15, '\0')},
        {53, 0, std::string("Violin") + std::string(14, '\0')},
    };
    for (const auto& [gen, amount, text] : cases) {
        EXPECT_EQ(GenValueText(m, gen, static_cast<std::uint16_t>(amount)), text)
            << gen << " " << amount;
    }
    EXPECT_FALSE(GenValueText(m, 41, 3).has_value());
    EXPECT_FALSE(GenValueText(m, 53, 65535).has_value());
}

}  // namespace
}  // namespace zelvo::testing
