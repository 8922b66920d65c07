#include "unshown_characters.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// What an ion program cannot draw is named once per character, in the order it appears.
TEST(UnshownCharacters, AreNamedOnceForAnIonProgram) {
    const struct {
        const char* name;
        std::u16string text;
        std::string warning;
    } rows[] = {
        {"PlainText", u"Hello, calculator? [x] \t\r\n", ""},
        {"ParagraphsOfTheTextBox", u"One\u2029two\u2028three", ""},
        {"AccentsAndInvertedMarks", u"\u00BFD\u00F3nde? \u00C9lise \u00A1s\u00ED!", ""},
        {"TypographicPunctuation",
         u"She said \u201Cdon\u2019t go\u201D \u2014 and left\u2026 \u2022 \u00AB\u00BB", ""},
        {"SignsWithoutGlyphs", u"\u2122 \u00A9 \u00BD \u2122 \u00A9",
         "3 characters show as ? on the calculator: \u2122 \u00A9 \u00BD"},
        {"OneCharacter", u"\u20AC5", "1 character shows as ? on the calculator: \u20AC"},
        {"SharpSOnlyOnTheTI83Plus", u"Stra\u00DFe",
         "1 character shows as ? on the calculator: \u00DF"},
        {"OutsideTheCodePage", u"\u03B1\u03B2\u03B1",
         "2 characters show as ? on the calculator: \u03B1 \u03B2"},
        {"LoneCombiningMarkAndControl", u"e\u0301\u0001",
         "2 characters show as ? on the calculator: U+0301 U+0001"},
        {"OutsideTheBasicPlane", u"\U0001F600 \U0001F600",
         "1 character shows as ? on the calculator: \U0001F600"},
        {"ListEndsAfterADozen",
         u"\u03B1\u03B2\u03B3\u03B4\u03B5\u03B6\u03B7\u03B8\u03B9\u03BA\u03BB\u03BC\u03BD",
         "13 characters show as ? on the calculator: \u03B1 \u03B2 \u03B3 \u03B4 \u03B5 "
         "\u03B6 \u03B7 \u03B8 \u03B9 \u03BA \u03BB \u03BC \u2026"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(unshownCharactersWarning(unshownCharacters(row.text, ionProgramCanShow)),
                  row.warning)
            << row.name;
    }
}

} // namespace
} // namespace corvane
