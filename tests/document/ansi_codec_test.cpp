#include "ansi_codec.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(AnsiCodec, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    const std::u16string text = decodeAnsi(all);
    ASSERT_EQ(text.size(), 256u);
    // Back to the same bytes, so no two bytes decode alike.
    EXPECT_EQ(encodeAnsi(text), all);
}

struct Mapping {
    unsigned char byte;
    char16_t character;
};

class AnsiMapping : public ::testing::TestWithParam<Mapping> {};

TEST_P(AnsiMapping, DecodesAndEncodesWindows1252) {
    const std::string byte(1, static_cast<char>(GetParam().byte));
    EXPECT_EQ(decodeAnsi(byte), std::u16string(1, GetParam().character));
    EXPECT_EQ(encodeAnsi(std::u16string(1, GetParam().character)), byte);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, AnsiMapping,
    ::testing::Values(Mapping{0x00, u'\0'}, Mapping{0x0A, u'\n'}, Mapping{0x41, u'A'},
                      Mapping{0x7F, 0x007F}, Mapping{0x80, 0x20AC}, Mapping{0x81, 0x0081},
                      Mapping{0x8A, 0x0160}, Mapping{0x8D, 0x008D}, Mapping{0x8F, 0x008F},
                      Mapping{0x90, 0x0090}, Mapping{0x93, 0x201C}, Mapping{0x99, 0x2122},
                      Mapping{0x9D, 0x009D}, Mapping{0x9F, 0x0178}, Mapping{0xA0, 0x00A0},
                      Mapping{0xA4, 0x00A4}, Mapping{0xE9, 0x00E9}, Mapping{0xFF, 0x00FF}));

struct Unmappable {
    const char* name;
    std::u16string text;
    std::string bytes;
};

class AnsiUnmappable : public ::testing::TestWithParam<Unmappable> {};

TEST_P(AnsiUnmappable, BecomesAQuestionMark) {
    EXPECT_EQ(encodeAnsi(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, AnsiUnmappable,
    ::testing::Values(
        Unmappable{"C1ControlWithACharacterIn1252", u"a\u0080b", "a?b"},
        Unmappable{"LatinExtended", u"\u0100", "?"}, Unmappable{"Cjk", u"x\u4E2Dy", "x?y"},
        Unmappable{"OutsideTheBasicPlaneIsOneCharacter", u"a\U0001F600b", "a?b"},
        Unmappable{"LoneHighSurrogate", std::u16string{u'a', char16_t(0xD83D), u'b'}, "a?b"},
        Unmappable{"LoneLowSurrogateAtTheEnd", std::u16string{u'a', char16_t(0xDE00)}, "a?"},
        Unmappable{"LineSeparatorMark", u"\u240A", "?"}),
    [](const auto& row) { return row.param.name; });

} // namespace
} // namespace corvane
