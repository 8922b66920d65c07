#include "basic_charset.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace corvane {
namespace {

// The character tokens as the published TI-83 Plus token table lists them: a run of characters
// and the token of its first, the rest following one by one.
struct SheetRow {
    std::u16string characters;
    BasicToken first;
};

const SheetRow kSheet[] = {
    {u" ", 0x29},
    {u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0x41},
    {u"0123456789", 0x30},
    {u"abcdefghijk", 0xBBB0},
    {u"lmnopqrstuvwxyz", 0xBBBC},
    {u".", 0x3A},
    {u",", 0x2B},
    {u"!", 0x2D},
    {u"'?", 0xAE},
    {u":", 0x3E},
    {u"()", 0x10},
    {u"[]", 0x06},
    {u"{}", 0x08},
    {u"+-", 0x70},
    {u"*/", 0x82},
    {u"=<>", 0x6A},
    {u"@#$&`;\\|_%\u2026", 0xBBD1},
    {u"^", 0xF0},
    {u"~", 0xBBCF},
    {u"\u00BF\u00A1", 0xBB9D},
    {u"\u00C1\u00C0\u00C2\u00C4\u00E1\u00E0\u00E2\u00E4", 0xBB6E},
    {u"\u00C9\u00C8\u00CA\u00CB\u00E9\u00E8\u00EA\u00EB", 0xBB76},
    {u"\u00CC\u00CE\u00CF", 0xBB7F},
    {u"\u00ED\u00EC\u00EE\u00EF", 0xBB82},
    {u"\u00CD", 0xBBCD},
    {u"\u00D3\u00D2\u00D4\u00D6\u00F3\u00F2\u00F4\u00F6", 0xBB86},
    {u"\u00DA\u00D9\u00DB\u00DC\u00FA\u00F9\u00FB\u00FC", 0xBB8E},
    {u"\u00C7\u00E7\u00D1\u00F1", 0xBB96},
    {u"\u00DF", 0xBBDD},
};

TEST(BasicCharacters, EveryCharacterHasTheSheetsToken) {
    std::size_t count = 0;
    for (const SheetRow& row : kSheet) {
        for (std::size_t i = 0; i < row.characters.size(); ++i) {
            const char16_t c = row.characters[i];
            const auto token = static_cast<BasicToken>(row.first + i);
            SCOPED_TRACE(static_cast<int>(c));
            EXPECT_EQ(basicTokensFor(c), std::vector<BasicToken>{token});
            EXPECT_EQ(basicTokenCharacter(token), c);
            ++count;
        }
    }
    // The table holds nothing the sheet does not list, and no token twice.
    EXPECT_EQ(basicCharacters().size(), count);
    std::set<BasicToken> tokens;
    for (const BasicCharacter& entry : basicCharacters()) {
        EXPECT_TRUE(tokens.insert(entry.token).second) << entry.token;
    }
}

TEST(BasicCharacters, StandInsAndUnshownCharacters) {
    // Characters and the tokens that stand in for each; no token shows the last row's, and the
    // arrow would end a string.
    const std::pair<std::u16string, std::vector<BasicToken>> rows[] = {
        {u"\"\u201C\u201D", {0xAE, 0xAE}},
        {u"\u2018\u2019", {0xAE}},
        {u"\u2013\u2014", {0x71}},
        {u"\t\u00A0", {0x29}},
        {u"\u20AC\u00E3\u00B0\u2192\x01\x7F", {}}};
    for (const auto& [characters, tokens] : rows) {
        for (const char16_t c : characters) {
            EXPECT_EQ(basicTokensFor(c), tokens) << static_cast<int>(c);
        }
    }
}

TEST(BasicCharacters, TextLinesNameEachUnshownCharacterOnce) {
    std::u16string unshown;
    const auto lines = basicTextLines(u"a\u20ACb\r\n\"\u20AC\u00E3\rx\n", &unshown);
    const std::vector<std::vector<BasicToken>> expected{
        {0xBBB0, 0xAF, 0xBBB1}, {0xAE, 0xAE, 0xAF, 0xAF}, {0xBBC8}, {}};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(unshown, u"\u20AC\u00E3");
}

TEST(BasicCharacters, VersionOfTheTokensUsed) {
    const struct {
        BasicToken token;
        std::uint8_t version;
    } rows[] = {
        {0x41, 0},   {0xAA00, 0}, {0xBB0C, 0}, {0xBB54, 0}, {0xBB67, 0}, {0xBB68, 1}, {0xBBB0, 1},
        {0xBBCD, 1}, {0xBBCE, 1}, {0xBBCF, 2}, {0xBBDA, 2}, {0xBBDB, 3}, {0xBBDD, 3}, {0xBBF5, 3},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(tokenVersion(row.token), row.version) << row.token;
    }
}

} // namespace
} // namespace corvane
