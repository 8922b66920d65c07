#include "calculator_font.h"
#include "small_font.h"

#include <gtest/gtest.h>
#include <tuple>

namespace corvane {
namespace {

// A zero byte ends a string; every other byte's code has a glyph in the preview.
TEST(SmallFont, EveryMappedCodeHasAGlyph) {
    for (const ModelFacts& facts : kModels) {
        for (int byte = 1; byte < 256; ++byte) {
            const std::uint8_t code = calculatorCode(std::uint8_t(byte), facts.model);
            EXPECT_NE(glyphFor(code), nullptr) << facts.name << " code " << int(code);
        }
    }
}

// Figures of the small font that published sources state one by one; the table must agree.
TEST(SmallFont, WidthsOfCodes) {
    const std::pair<std::uint8_t, int> widths[] = {
        {' ', 1},  {'i', 2},  {'m', 6},  {'w', 6},  {'z', 5},  {'#', 6},  {'$', 6},
        {'@', 6},  {'0', 4},  {'A', 4},  {0xC1, 3}, {0xF4, 5}, {0x8A, 5}, {0xA2, 6},
        {0xBA, 2}, {0x06, 4}, {0xF0, 6}, {0x00, 0}, {0xF8, 0}, {0xFF, 0},
    };
    for (const auto& [code, pixels] : widths) {
        EXPECT_EQ(smallFontWidth(code), pixels) << std::hex << int(code);
    }
}

TEST(SmallFont, MapsWindows1252ToTheCalculatorsCodes) {
    using enum CalculatorModel;
    // Byte, TI-83 code, TI-83 Plus code. From 0x82 on, typographic punctuation as the nearest
    // signs; the ellipsis, trade mark and copyright signs stay '?'.
    const std::tuple<std::uint8_t, std::uint8_t, std::uint8_t> codes[] = {
        {'a', 'a', 'a'},    {'$', '$', '$'},    {'[', 0xC1, 0xC1},  {'\t', ' ', ' '},
        {0x01, '?', '?'},   {0x1F, '?', '?'},   {0x7F, '?', '?'},   {0x00, 0x00, 0x00},
        {0xE9, 0x96, 0x96}, {0xC9, 0x93, 0x93}, {0xC8, 0x92, 0x92}, {0xDF, '?', 0xF4},
        {0xA0, ' ', ' '},   {0x80, '?', '?'},   {0xA4, '?', '?'},   {0xBF, 0xB9, 0xB9},
        {0x82, '\'', '\''}, {0x91, '\'', '\''}, {0x92, '\'', '\''}, {0x8B, '\'', '\''},
        {0x9B, '\'', '\''}, {0x84, '"', '"'},   {0x93, '"', '"'},   {0x94, '"', '"'},
        {0xAB, '"', '"'},   {0xBB, '"', '"'},   {0x96, '-', '-'},   {0x97, '-', '-'},
        {0x95, '-', '-'},   {0x85, '?', '?'},   {0x99, '?', '?'},   {0xA9, '?', '?'}};
    for (const auto& [byte, ti83, ti83Plus] : codes) {
        EXPECT_EQ(calculatorCode(byte, TI83), ti83) << std::hex << int(byte);
        EXPECT_EQ(calculatorCode(byte, TI83Plus), ti83Plus) << std::hex << int(byte);
    }
}

TEST(SmallFont, DrawnWidthsOfTextBytes) {
    const std::pair<std::uint8_t, int> widths[] = {
        {' ', 2}, {0xA4, 1}, {'\t', 1}, {0x01, 4}, {'[', 3}, {0xDF, 5}, {0xD6, 6}, {'m', 6},
    };
    for (const auto& [byte, pixels] : widths) {
        EXPECT_EQ(drawnWidth(byte), pixels) << std::hex << int(byte);
    }
}

TEST(SmallFont, ShownCodesAreTheSourceWritersStringThroughTheMap) {
    EXPECT_EQ(shownCodes(" a\xA4[\xDF\t", CalculatorModel::TI83), "  a \xC1? ");
    EXPECT_EQ(shownCodes(" a\xA4[\xDF\t", CalculatorModel::TI83Plus), "  a \xC1\xF4 ");
    EXPECT_EQ(shownTitle("My Book \xDF", CalculatorModel::TI83Plus), "My Book \xF4");
}

// Before the cut a line is spelled out as it is drawn; a line without a tab or an ellipsis is
// returned as it is, so that it costs no copy.
TEST(SmallFont, SpellsOutTabsAndEllipses) {
    const std::pair<std::string, std::string> lines[] = {
        {"", ""},
        {"plain \x93text\x94", "plain \x93text\x94"},
        {"\tindented", " indented"},
        {"and left\x85", "and left..."},
        {"\x85\t\x85", "... ..."}};
    for (const auto& [line, drawn] : lines) {
        std::string buffer;
        const std::string_view spelled = spelledOut(line, buffer);
        EXPECT_EQ(spelled, drawn);
        EXPECT_EQ(spelled.data() == line.data(), line == drawn) << line;
    }
}

} // namespace
} // namespace corvane
