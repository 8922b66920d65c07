#include "files.h"
#include "layout.h"
#include "read_only.h"
#include "source_writer.h"
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

class SourceWriter : public ::testing::Test {
  protected:
    // temp.ett with the given calculator lines, then the pass over it.
    SourceOutcome write(const std::vector<std::string>& lines, std::string_view programName = "P",
                        const SourceCallbacks& callbacks = {}) {
        std::string bytes;
        for (const auto& line : lines) {
            bytes += line + "\r\n";
        }
        writeFile(folder.file("temp.ett"), bytes);
        return writeAssemblySource(folder.path(), static_cast<std::int64_t>(lines.size()),
                                   programName, kHeaderTemplate, callbacks);
    }

    TempFolder folder;
};

// Whole documents through both passes, against sources written out by hand.
TEST_F(SourceWriter, MatchesTheGoldenSourcesByteForByte) {
    std::string twelveLines = "Line 1";
    for (int i = 2; i <= 12; ++i) {
        twelveLines += "\r\nLine " + std::to_string(i);
    }
    // The worked example is written over the longer tmp.z80 of the twelve lines.
    const std::pair<std::string, const char*> documents[] = {
        {twelveLines, "twelve_lines.z80"},
        {"Hello world\r\nLine two\r\nBye\r\nThe quick brown fox jumps over", "worked_example.z80"},
    };
    for (const auto& [text, golden] : documents) {
        writeFile(folder.file("doc.txt"), "Demo\r\ndemo\r\n" + text + "\r\n");
        std::int64_t lineCount = 0;
        ASSERT_TRUE(layoutLines(folder.file("doc.txt"), folder.path(), lineCount).ok);
        const SourceOutcome outcome =
            writeAssemblySource(folder.path(), lineCount, "Demo", kHeaderTemplate);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_EQ(readFile(folder.file("tmp.z80")),
                  readFile(std::string(CORVANE_GOLDEN_DIR) + "/" + golden));
    }
}

TEST(LineLabel, PadsToThreeDigits) {
    const std::pair<std::int64_t, std::string> rows[] = {
        {1, "lng001"},   {9, "lng009"},   {10, "lng010"},    {99, "lng099"},
        {100, "lng100"}, {999, "lng999"}, {1000, "lng1000"}, {123456, "lng123456"}};
    for (const auto& [number, label] : rows) {
        EXPECT_EQ(lineLabel(number), label);
    }
}

TEST(DoubleSpaces, DoublesSpacesAndTurnsCurrencySignsIntoOne) {
    const std::pair<std::string, std::string> rows[] = {{"", ""},
                                                        {" a b  c ", "  a  b    c  "},
                                                        {"a\xA4z", "a z"},
                                                        {"\xA4 \xA4", "    "},
                                                        {"\"q\" \\", "\"q\"  \\"},
                                                        {"tab\there\nlf", "tab\there\nlf"}};
    for (const auto& [line, converted] : rows) {
        EXPECT_EQ(doubleSpaces(line), converted) << line;
    }
}

TEST(DbString, QuotesTextAndGivesDoubleQuotesAsTheirCode) {
    const std::pair<std::string, std::string> rows[] = {
        {"", "\"\",0"},
        {"Hello", "\"Hello\",0"},
        {"back\\slash", "\"back\\slash\",0"},
        {"Say  \"hi\"", "\"Say  \",34,\"hi\",34,0"},
        {"\"", "34,0"},
        {"\"\"", "34,34,0"},
        {"\"a", "34,\"a\",0"},
        {"a\"\"b", "\"a\",34,34,\"b\",0"},
        {"\", 0 \\ halt \\ .db \"", "34,\", 0 \\ halt \\ .db \",34,0"}};
    for (const auto& [text, operands] : rows) {
        EXPECT_EQ(dbString(text), operands) << text;
    }
}

// The title follows the header as it is given, its spaces not doubled.
TEST_F(SourceWriter, WritesTheTitleAfterTheHeader) {
    const std::pair<std::string, std::string> rows[] = {
        {"", " .db \"\",0"},
        {"My \"Q\" x", " .db \"My \",34,\"Q\",34,\" x\",0"},
        {std::string(30, 'N'), " .db \"" + std::string(30, 'N') + "\",0"}};
    for (const auto& [programName, written] : rows) {
        ASSERT_TRUE(write({"x"}, programName).ok);
        EXPECT_THAT(readFile(folder.file("tmp.z80")),
                    HasSubstr("jr      nc,debut\r\n\r\n" + written + "\r\ndebut:\r\n"));
    }
}

// The screen count is known before any event; then events come once at the start of each full
// screen and once before each data line.
TEST_F(SourceWriter, CountsScreensThenProcessesEventsPerFullScreenAndPerDataLine) {
    const struct {
        std::size_t lines;
        std::int64_t screens;
        std::size_t events;
    } rows[] = {{0, 1, 0},   {1, 1, 1},   {9, 1, 9},  {10, 2, 11},
                {11, 2, 12}, {20, 3, 22}, {25, 3, 27}};
    for (const auto& row : rows) {
        std::string seen;
        SourceCallbacks callbacks;
        callbacks.processEvents = [&] { seen += 'E'; };
        callbacks.screenCountReady = [&](std::int64_t count) { seen += std::to_string(count); };
        const SourceOutcome outcome =
            write(std::vector<std::string>(row.lines, "x"), "P", callbacks);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_EQ(outcome.screenCount, row.screens);
        EXPECT_EQ(seen, std::to_string(row.screens) + std::string(row.events, 'E'))
            << row.lines << " lines";
    }
}

TEST_F(SourceWriter, TempEttShorterThanTheLineCountFails) {
    writeFile(folder.file("temp.ett"), "a\r\nb\r\n");
    const SourceOutcome outcome = writeAssemblySource(folder.path(), 3, "P", kHeaderTemplate);
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.error, HasSubstr("temp.ett: input past the end of the file"));
}

TEST_F(SourceWriter, MissingTempEttFailsNamingIt) {
    const SourceOutcome outcome = writeAssemblySource(folder.path(), 1, "P", kHeaderTemplate);
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.error, HasSubstr("temp.ett: cannot be opened"));
    EXPECT_FALSE(std::filesystem::exists(folder.file("tmp.z80")));
}

TEST_F(SourceWriter, UnwritableFolderFailsNamingTmpZ80) {
    writeFile(folder.file("temp.ett"), "a\r\n");
    ReadOnly guard(folder.path());
    if (!guard.engaged()) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    const SourceOutcome outcome = writeAssemblySource(folder.path(), 1, "P", kHeaderTemplate);
    EXPECT_FALSE(outcome.ok);
    EXPECT_THAT(outcome.error, HasSubstr("tmp.z80: cannot be created"));
}

} // namespace
} // namespace corvane
