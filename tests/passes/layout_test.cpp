#include "files.h"
#include "layout.h"
#include "read_only.h"
#include "small_font.h"
#include "temp_folder.h"

#include <algorithm>
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

std::string letters(std::size_t count) {
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        line += static_cast<char>('a' + i % 26);
    }
    return line;
}

// A line is cut into pieces of 23 characters (the last one empty when the length is a multiple
// of 23); then a piece wider than the 95 pixels a line may take from pen column 1 is split
// before the character that would pass them (each byte's width: SmallFont.DrawnWidthsOfTextBytes).
TEST(Layout, CutsALineBy23CharactersThenBy95Pixels) {
    const std::pair<std::string, std::vector<std::size_t>> rows[] = {
        {letters(0), {0}},
        {letters(1), {1}},
        {letters(22), {22}},
        {letters(23), {23}},
        {letters(24), {23, 1}},
        {letters(45), {23, 22}},
        {letters(46), {23, 23, 0}},
        {letters(47), {23, 23, 1}},
        {letters(69), {23, 23, 23, 0}},
        {letters(70), {23, 23, 23, 1}},
        {"  leading and trailing spaces  ", {23, 8}},
        // Three dots count three characters in the cut.
        {std::string(21, 'a') + "\x85", {23, 1}},
        {"The quick brown fox jum", {23}},
        {std::string(23, 'm'), {15, 8}},
        {std::string(15, 'm') + "if", {17}},       // exactly 95 pixels
        {std::string(15, 'm') + "iff", {17, 1}},   // one pixel over
        {std::string(46, 'w'), {15, 8, 15, 8, 0}}, // every cut piece on its own
        {std::string(15, 'm') + "i  ", {17, 1}},   // a space counts two
        {std::string(15, 'm') + "i\t\t", {17, 1}}, // a tab is drawn as a typed space
    };
    for (const auto& [line, lengths] : rows) {
        std::vector<std::size_t> cut;
        std::string joined;
        for (const std::string& piece : cutTextLine(line)) {
            cut.push_back(piece.size());
            joined += piece;
        }
        EXPECT_EQ(cut, lengths) << line;
        std::string spelling;
        EXPECT_EQ(joined, spelledOut(line, spelling)) << "the pieces give the line back";
    }
}

// The file pass reads the document's lines, writes temp.ett over what it held and adds the
// calculator lines it wrote to the count it is given.
TEST(Layout, WritesTempEttAndAddsToTheLineCount) {
    const struct {
        std::string text;
        std::string tempEtt;
    } rows[] = {
        {"", "\r\n"},
        {"a\r\n", "a\r\n\r\n"},
        {std::string(22, 'x') + "\n\tyz", std::string(22, 'x') + "\r\n yz\r\n"},
        // temp.ett holds the ellipsis's three dots.
        {std::string(21, 'a') + "\x85", std::string(21, 'a') + "..\r\n.\r\n"},
        {"\x93"
         "don\x92t go\x94 \x97 \xA4\"\\\xFF",
         "\x93"
         "don\x92t go\x94 \x97 \xA4\"\\\xFF\r\n"},
    };
    for (const auto& [text, tempEtt] : rows) {
        TempFolder folder;
        writeFile(folder.file("temp.ett"), std::string(100, 'o') + "\r\n");
        writeFile(folder.file("doc.txt"), documentBytes(text));
        std::int64_t lineCount = 7;
        const LayoutOutcome outcome = layoutLines(folder.file("doc.txt"), folder.path(), lineCount);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_EQ(readFile(folder.file("temp.ett")), tempEtt);
        EXPECT_EQ(lineCount, 7 + std::count(tempEtt.begin(), tempEtt.end(), '\n')) << text;
    }
}

// The preview lays the window's text out without a file; the line breaks are those of
// the document file.
TEST(Layout, CutsAWholeTextInMemory) {
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"", {""}},
        {"a\r\n", {"a", ""}},
        {"a\rb", {"a", "b"}},
        {"a\nb\r\nc\n", {"a", "b", "c", ""}},
        {"The quick brown fox jumps over\r\n" + std::string(16, 'm'),
         {"The quick brown fox jum", "ps over", std::string(15, 'm'), "m"}},
    };
    for (const auto& [text, lines] : rows) {
        EXPECT_EQ(layoutText(text), lines) << text;
    }
    std::vector<std::size_t> firstLines;
    layoutText("a\r\n" + std::string(30, 'b') + "\r\n\r\nc", &firstLines);
    EXPECT_EQ(firstLines, (std::vector<std::size_t>{0, 1, 3, 4}));
}

TEST(Layout, ProcessesEventsBeforeEveryTwentiethTextLine) {
    const std::pair<int, int> rows[] = {{1, 0}, {19, 0}, {20, 1}, {39, 1}, {40, 2}, {41, 2}};
    for (const auto& [textLines, expected] : rows) {
        TempFolder folder;
        std::string text = "line";
        for (int i = 1; i < textLines; ++i) {
            text += "\r\nline";
        }
        writeFile(folder.file("doc.txt"), documentBytes(text));
        std::int64_t lineCount = 0;
        int events = 0;
        ASSERT_TRUE(
            layoutLines(folder.file("doc.txt"), folder.path(), lineCount, [&] { ++events; }).ok);
        EXPECT_EQ(lineCount, textLines);
        EXPECT_EQ(events, expected) << textLines << " text lines";
    }
}

TEST(Layout, ShortFileFailsClearlyAndLeavesTempEttAlone) {
    for (const char* bytes : {"", "P\r\n", "P\r\nc\r\n", "P\r\nc"}) {
        TempFolder folder;
        writeFile(folder.file("doc.txt"), bytes);
        writeFile(folder.file("temp.ett"), "previous\r\n");
        std::int64_t lineCount = 0;
        const LayoutOutcome outcome = layoutLines(folder.file("doc.txt"), folder.path(), lineCount);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.error,
                  folder.file("doc.txt") + ": not a document file: it has fewer than three lines");
        EXPECT_EQ(lineCount, 0);
        EXPECT_EQ(readFile(folder.file("temp.ett")), "previous\r\n");
    }
}

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
