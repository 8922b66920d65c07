#include "files.h"
#include "layout.h"
#include "read_only.h"
#include "small_font.h"
#include "temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

namespace corvane {
namespace {

using test::readFile;
using test::ReadOnly;
using test::TempFolder;
using test::writeFile;
using ::testing::HasSubstr;

std::string documentBytes(const std::string& text) {
    return "Prog\r\ncalc\r\n" + text + "\r\n";
}

std::vector<std::size_t> lineLengths(const std::string& bytes) {
    std::vector<std::size_t> lengths;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lengths.push_back(end - start);
    }
    EXPECT_EQ(start, bytes.size()) << "temp.ett does not end with CR LF";
    return lengths;
}

struct Cut {
    std::size_t length;
    std::vector<std::size_t> pieces;
};

class LayoutCut : public ::testing::TestWithParam<Cut> {};

TEST_P(LayoutCut, CutsATextLineIntoPiecesOfAtMost23) {
    TempFolder folder;
    std::string line;
    for (std::size_t i = 0; i < GetParam().length; ++i) {
        line += static_cast<char>('a' + i % 26);
    }
    writeFile(folder.file("doc.txt"), documentBytes(line));
    std::int64_t lineCount = 0;
    const LayoutOutcome outcome = layoutLines(folder.file("doc.txt"), folder.path(), lineCount);
    ASSERT_TRUE(outcome.ok) << outcome.error;

    const std::string written = readFile(folder.file("temp.ett"));
    EXPECT_EQ(lineLengths(written), GetParam().pieces);
    EXPECT_EQ(lineCount, static_cast<std::int64_t>(GetParam().pieces.size()));
    std::string joined = written;
    std::erase(joined, '\r');
    std::erase(joined, '\n');
    EXPECT_EQ(joined, line) << "the pieces put together give the line back";
}

INSTANTIATE_TEST_SUITE_P(Lengths, LayoutCut,
                         ::testing::Values(Cut{0, {0}}, Cut{1, {1}}, Cut{22, {22}}, Cut{23, {23}},
                                           Cut{24, {23, 1}}, Cut{45, {23, 22}},
                                           Cut{46, {23, 23, 0}}, Cut{47, {23, 23, 1}},
                                           Cut{69, {23, 23, 23, 0}}, Cut{70, {23, 23, 23, 1}}));

struct Text {
    const char* name;
    std::string text;
    std::string tempEtt;
};

class LayoutText : public ::testing::TestWithParam<Text> {};

TEST_P(LayoutText, WritesTheCalculatorLines) {
    TempFolder folder;
    writeFile(folder.file("doc.txt"), documentBytes(GetParam().text));
    std::int64_t lineCount = 0;
    ASSERT_TRUE(layoutLines(folder.file("doc.txt"), folder.path(), lineCount).ok);
    const std::string written = readFile(folder.file("temp.ett"));
    EXPECT_EQ(written, GetParam().tempEtt);
    EXPECT_EQ(lineCount, static_cast<std::int64_t>(lineLengths(written).size()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LayoutText,
    ::testing::Values(Text{"Fox", "The quick brown fox jumps over",
                           "The quick brown fox jum\r\nps over\r\n"},
                      Text{"EmptyText", "", "\r\n"},
                      Text{"EndsWithLineBreak", "a\r\n", "a\r\n\r\n"},
                      Text{"SpacesCountOnce", "  leading and trailing spaces  ",
                           "  leading and trailing \r\nspaces  \r\n"},
                      Text{"LineFeedEndsALine", std::string(22, 'x') + "\n\tyz",
                           std::string(22, 'x') + "\r\n yz\r\n"},
                      // Three dots count three characters in the cut, and temp.ett holds them.
                      Text{"EllipsisIsCutAsThreeDots", std::string(21, 'a') + "\x85",
                           std::string(21, 'a') + "..\r\n.\r\n"},
                      Text{"TypographicSignsStay",
                           "\x93"
                           "don\x92t go\x94 \x97 and",
                           "\x93"
                           "don\x92t go\x94 \x97 and\r\n"},
                      Text{"HighBytesAndQuotes", "\xA4\"\\\xFF", "\xA4\"\\\xFF\r\n"},
                      Text{"SeveralLines", "Hello world\r\nLine two\r\nBye",
                           "Hello world\r\nLine two\r\nBye\r\n"},
                      Text{"TooWideForTheScreen", std::string(23, 'm') + "\r\nok",
                           std::string(15, 'm') + "\r\n" + std::string(8, 'm') + "\r\nok\r\n"}),
    [](const auto& row) { return row.param.name; });

struct Split {
    const char* name;
    std::string line;
    std::vector<std::size_t> pieces;
};

class LayoutWidth : public ::testing::TestWithParam<Split> {};

// After the cut by 23 characters, a piece wider than the 95 pixels a line may take from pen
// column 1 is split before the character that would pass them.
TEST_P(LayoutWidth, SplitsPiecesTooWideForTheScreen) {
    const std::vector<std::string> pieces = cutTextLine(GetParam().line);
    std::vector<std::size_t> lengths;
    std::string joined;
    for (const std::string_view piece : pieces) {
        lengths.push_back(piece.size());
        joined += piece;
    }
    EXPECT_EQ(lengths, GetParam().pieces);
    std::string spelling;
    EXPECT_EQ(joined, spelledOut(GetParam().line, spelling));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LayoutWidth,
    ::testing::Values(
        Split{"FoxFitsIn85Pixels", "The quick brown fox jum", {23}},
        Split{"WideLetters", std::string(23, 'm'), {15, 8}},
        Split{"WideSigns", "#$*@#$*@#$*@#$*@#$*@#$*", {15, 8}},
        Split{"Exactly95", std::string(15, 'm') + "if", {17}},
        Split{"OnePixelOver", std::string(15, 'm') + "iff", {17, 1}},
        Split{"EveryCutPieceOnItsOwn", std::string(46, 'w'), {15, 8, 15, 8, 0}},
        Split{"SpacesCountTwo", std::string(15, 'm') + "i  ", {17, 1}},
        Split{"CurrencySignCountsOne", std::string(15, 'm') + std::string(5, '\xA4'), {20}},
        Split{"WideAccentedCapitals", std::string(23, '\xD6'), {15, 8}},
        Split{"SharpSAtItsWiderWidth", std::string(23, '\xDF'), {19, 4}},
        Split{"ControlBytesAreQuestionMarks", std::string(23, '\x01'), {23}},
        // A tab is drawn as a typed space: two pixels, not one.
        Split{"TabsAreAsWideAsTypedSpaces", std::string(15, 'm') + "i\t\t", {17, 1}}),
    [](const auto& row) { return row.param.name; });

struct WholeText {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class LayoutInMemory : public ::testing::TestWithParam<WholeText> {};

// The preview lays the window's text out without a file; the line breaks are those of
// the document file.
TEST_P(LayoutInMemory, CutsAWholeText) {
    EXPECT_EQ(layoutText(GetParam().text), GetParam().lines);
}

TEST(LayoutInMemory, TellsWhereEachTextLineStarts) {
    std::vector<std::size_t> firstLines;
    layoutText("a\r\n" + std::string(30, 'b') + "\r\n\r\nc", &firstLines);
    EXPECT_EQ(firstLines, (std::vector<std::size_t>{0, 1, 3, 4}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LayoutInMemory,
    ::testing::Values(WholeText{"Empty", "", {""}}, WholeText{"EndsWithABreak", "a\r\n", {"a", ""}},
                      WholeText{"CrAlone", "a\rb", {"a", "b"}},
                      WholeText{"LineFeedAlone", "a\nb\r\nc\n", {"a", "b", "c", ""}},
                      WholeText{"Fox",
                                "The quick brown fox jumps over\r\n" + std::string(16, 'm'),
                                {"The quick brown fox jum", "ps over", std::string(15, 'm'), "m"}}),
    [](const auto& row) { return row.param.name; });

TEST(Layout, AddsToTheLineCountItIsGiven) {
    TempFolder folder;
    writeFile(folder.file("doc.txt"), documentBytes("a\r\n" + std::string(30, 'b')));
    std::int64_t lineCount = 7;
    ASSERT_TRUE(layoutLines(folder.file("doc.txt"), folder.path(), lineCount).ok);
    EXPECT_EQ(lineCount, 10);
}

TEST(Layout, ReplacesAnExistingTempEtt) {
    TempFolder folder;
    writeFile(folder.file("temp.ett"), std::string(100, 'o') + "\r\n");
    writeFile(folder.file("doc.txt"), documentBytes("new"));
    std::int64_t lineCount = 0;
    ASSERT_TRUE(layoutLines(folder.file("doc.txt"), folder.path(), lineCount).ok);
    EXPECT_EQ(readFile(folder.file("temp.ett")), "new\r\n");
}

struct Cadence {
    int textLines;
    int events;
};

class LayoutCadence : public ::testing::TestWithParam<Cadence> {};

TEST_P(LayoutCadence, ProcessesEventsBeforeEveryTwentiethTextLine) {
    TempFolder folder;
    std::string text = "line";
    for (int i = 1; i < GetParam().textLines; ++i) {
        text += "\r\nline";
    }
    writeFile(folder.file("doc.txt"), documentBytes(text));
    std::int64_t lineCount = 0;
    int events = 0;
    ASSERT_TRUE(
        layoutLines(folder.file("doc.txt"), folder.path(), lineCount, [&] { ++events; }).ok);
    EXPECT_EQ(lineCount, GetParam().textLines);
    EXPECT_EQ(events, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(TextLines, LayoutCadence,
                         ::testing::Values(Cadence{1, 0}, Cadence{19, 0}, Cadence{20, 1},
                                           Cadence{39, 1}, Cadence{40, 2}, Cadence{41, 2}));

struct ShortFile {
    const char* name;
    std::string bytes;
};

class LayoutShortFile : public ::testing::TestWithParam<ShortFile> {};

TEST_P(LayoutShortFile, FailsClearlyAndLeavesTempEttAlone) {
    TempFolder folder;
    writeFile(folder.file("doc.txt"), GetParam().bytes);
    writeFile(folder.file("temp.ett"), "previous\r\n");
    std::int64_t lineCount = 0;
    const LayoutOutcome outcome = layoutLines(folder.file("doc.txt"), folder.path(), lineCount);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error,
              folder.file("doc.txt") + ": not a document file: it has fewer than three lines");
    EXPECT_EQ(lineCount, 0);
    EXPECT_EQ(readFile(folder.file("temp.ett")), "previous\r\n");
}

INSTANTIATE_TEST_SUITE_P(Files, LayoutShortFile,
                         ::testing::Values(ShortFile{"Empty", ""}, ShortFile{"OneLine", "P\r\n"},
                                           ShortFile{"HeaderOnly", "P\r\nc\r\n"},
                                           ShortFile{"HeaderWithoutLastBreak", "P\r\nc"}),
                         [](const auto& row) { return row.param.name; });

TEST(Layout, MissingDocumentFailsNamingIt) {
    TempFolder folder;
    std::int64_t lineCount = 0;
    const LayoutOutcome outcome = layoutLines(folder.file("absent.txt"), folder.path(), lineCount);
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.error, HasSubstr(folder.file("absent.txt") + ": cannot be opened"));
}

TEST(Layout, UnwritableWorkingFolderFailsNamingTempEtt) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("work"));
    writeFile(folder.file("doc.txt"), documentBytes("x"));
    ReadOnly guard(folder.file("work"));
    if (!guard.engaged()) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    std::int64_t lineCount = 0;
    const LayoutOutcome outcome =
        layoutLines(folder.file("doc.txt"), folder.file("work"), lineCount);
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.error, HasSubstr("temp.ett: cannot be created"));
}

} // namespace
} // namespace corvane
