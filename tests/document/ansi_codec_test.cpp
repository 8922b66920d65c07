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

// ASCII and the controls stay themselves; 80h-9Fh are Windows-1252's, its five holes C1
// controls; A0h-FFh are Latin-1's.
TEST(AnsiCodec, DecodesAndEncodesWindows1252) {
    const std::pair<unsigned char, char16_t> cases[] = {
        {0x00, u'\0'},  {0x0A, u'\n'},  {0x41, u'A'},   {0x7F, 0x007F}, {0x80, 0x20AC},
        {0x81, 0x0081}, {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090},
        {0x93, 0x201C}, {0x99, 0x2122}, {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0},
        {0xA4, 0x00A4}, {0xE9, 0x00E9}, {0xFF, 0x00FF}};
    for (const auto& [byte, character] : cases) {
        EXPECT_EQ(decodeAnsi(std::string(1, char(byte))), std::u16string(1, character)) << +byte;
        EXPECT_EQ(encodeAnsi(std::u16string(1, character)), std::string(1, char(byte))) << +byte;
    }
}

// What Windows-1252 lacks is written as one question mark.
TEST(AnsiCodec, WhatTheCodePageLacksBecomesAQuestionMark) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"a\u0080b", "a?b"}, // a C1 control that Windows-1252 fills with a character
        {u"\u0100", "?"},
        {u"x\u4E2Dy", "x?y"},
        {u"a\U0001F600b", "a?b"}, // outside the basic plane: one character
        {std::u16string{u'a', char16_t(0xD83D), u'b'}, "a?b"}, // lone surrogates
        {std::u16string{u'a', char16_t(0xDE00)}, "a?"},
        {u"\u240A", "?"}};
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(encodeAnsi(text), bytes) << ::testing::PrintToString(text);
    }
}

} // namespace
} // namespace corvane
