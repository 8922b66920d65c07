#include "files.h"
#include "layout.h"
#include "read_only.h"
#include "source_writer.h"
#include "temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <vector>

namespace corvane {
namespace {

using test::readFile;
using test::ReadOnly;
using test::TempFolder;
using test::writeFile;
using ::testing::HasSubstr;

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "tmp.z80 does not end with CR LF";
    return lines;
}

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
    std::vector<std::string> source() { return splitLines(readFile(folder.file("tmp.z80"))); }

    TempFolder folder;
};

// Whole documents through both passes, against sources written out by hand.
struct Golden {
    const char* name;
    std::string text;
    const char* file;
};

class SourceGolden : public SourceWriter, public ::testing::WithParamInterface<Golden> {};

TEST_P(SourceGolden, MatchesByteForByte) {
    writeFile(folder.file("doc.txt"), "Demo\r\ndemo\r\n" + GetParam().text + "\r\n");
    std::int64_t lineCount = 0;
    ASSERT_TRUE(layoutLines(folder.file("doc.txt"), folder.path(), lineCount).ok);
    const SourceOutcome outcome =
        writeAssemblySource(folder.path(), lineCount, "Demo", kHeaderTemplate);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(readFile(folder.file("tmp.z80")),
              readFile(std::string(CORVANE_GOLDEN_DIR) + "/" + GetParam().file));
}

std::string twelveLines() {
    std::string text = "Line 1";
    for (int i = 2; i <= 12; ++i) {
        text += "\r\nLine " + std::to_string(i);
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(Documents, SourceGolden,
                         ::testing::Values(Golden{"WorkedExample",
                                                  "Hello world\r\nLine two\r\nBye\r\n"
                                                  "The quick brown fox jumps over",
                                                  "worked_example.z80"},
                                           Golden{"TwelveLines", twelveLines(),
                                                  "twelve_lines.z80"}),
                         [](const auto& row) { return row.param.name; });

TEST(HeaderTemplate, GivesTheTi83PlusTokenInHex) {
    EXPECT_THAT(std::string(kHeaderTemplate), HasSubstr("\r\n        .db     $BB,$6D\r\n"));
    EXPECT_TRUE(kHeaderTemplate.ends_with("        jr      nc,debut\r\n"));
}

TEST(LineLabel, PadsToThreeDigits) {
    for (const auto& [number, label] :
         std::vector<std::pair<std::int64_t, std::string>>{{1, "lng001"},
                                                           {9, "lng009"},
                                                           {10, "lng010"},
                                                           {42, "lng042"},
                                                           {99, "lng099"},
                                                           {100, "lng100"},
                                                           {999, "lng999"},
                                                           {1000, "lng1000"},
                                                           {123456, "lng123456"}}) {
        EXPECT_EQ(lineLabel(number), label);
    }
}

TEST(DoubleSpaces, DoublesSpacesAndTurnsCurrencySignsIntoOne) {
    for (const auto& [line, converted] :
         std::vector<std::pair<std::string, std::string>>{{"", ""},
                                                          {" a b  c ", "  a  b    c  "},
                                                          {"a\xA4"
                                                           "b",
                                                           "a b"},
                                                          {"\xA4 \xA4", "    "},
                                                          {"\"q\" \\", "\"q\"  \\"},
                                                          {"tab\there\nlf", "tab\there\nlf"}}) {
        EXPECT_EQ(doubleSpaces(line), converted) << line;
    }
}

TEST(DbString, QuotesTextAndGivesDoubleQuotesAsTheirCode) {
    for (const auto& [text, operands] : std::vector<std::pair<std::string, std::string>>{
             {"", "\"\",0"},
             {"Hello", "\"Hello\",0"},
             {"back\\slash", "\"back\\slash\",0"},
             {"Say  \"hi\"", "\"Say  \",34,\"hi\",34,0"},
             {"\"", "34,0"},
             {"\"\"", "34,34,0"},
             {"\"a", "34,\"a\",0"},
             {"a\"\"b", "\"a\",34,34,\"b\",0"},
             {"\", 0 \\ halt \\ .db \"", "34,\", 0 \\ halt \\ .db \",34,0"}}) {
        EXPECT_EQ(dbString(text), operands) << text;
    }
}

// Rows per screen (full screens, then the last one) for a number of calculator lines.
struct Screens {
    std::int64_t lineCount;
    std::int64_t screenCount;
    std::vector<int> rows;
};

class SourceScreens : public SourceWriter, public ::testing::WithParamInterface<Screens> {};

TEST_P(SourceScreens, ShowsTenRowsAScreenAndWaitsAfterEach) {
    std::int64_t shown = -1;
    SourceCallbacks callbacks;
    callbacks.screenCountReady = [&](std::int64_t count) { shown = count; };
    const SourceOutcome outcome =
        write(std::vector<std::string>(static_cast<std::size_t>(GetParam().lineCount), "x"), "P",
              callbacks);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.screenCount, GetParam().screenCount);
    EXPECT_EQ(shown, GetParam().screenCount);

    const auto lines = source();
    auto line = std::find(lines.begin(), lines.end(), "   bcall(_clrlcdf)");
    ASSERT_NE(line, lines.end());
    std::vector<int> rows{0};
    for (++line; line != lines.end() && *line != "   ret"; ++line) {
        if (line->starts_with("    ld hl,")) {
            ++rows.back();
        } else if (*line == "    bcall(_getkey)") {
            ASSERT_EQ(*++line, "    bcall(_clrlcdf)");
            rows.push_back(0);
        } else {
            FAIL() << "unexpected line in the screen code: " << *line;
        }
    }
    ASSERT_NE(line, lines.end());
    EXPECT_EQ(rows.back(), 0) << "the last screen ends with a key wait";
    rows.pop_back();
    EXPECT_EQ(rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(LineCounts, SourceScreens,
                         ::testing::Values(Screens{0, 1, {0}}, Screens{1, 1, {1}},
                                           Screens{9, 1, {9}}, Screens{10, 2, {10, 0}},
                                           Screens{11, 2, {10, 1}}, Screens{20, 3, {10, 10, 0}},
                                           Screens{25, 3, {10, 10, 5}}));

TEST_F(SourceWriter, EveryRowNamesALabelThatTheDataSectionDefines) {
    constexpr int kLines = 1005;
    std::vector<std::string> calculatorLines;
    for (int i = 1; i <= kLines; ++i) {
        calculatorLines.push_back("line " + std::to_string(i));
    }
    ASSERT_TRUE(write(calculatorLines).ok);

    const std::regex rowLine(
        R"(    ld hl,([0-9A-F]{2})01h \\ ld \(pencol\),hl \\ ld hl,(lng\d+) \\ bcall\(_vputs\))");
    std::vector<std::string> named, defined, codes;
    std::vector<std::pair<std::string, std::string>> data;
    const auto lines = source();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        if (std::regex_match(lines[i], match, rowLine)) {
            codes.push_back(match[1]);
            named.push_back(match[2]);
        } else if (lines[i].starts_with("lng") && lines[i].ends_with(":")) {
            defined.push_back(lines[i].substr(0, lines[i].size() - 1));
            data.emplace_back(defined.back(), lines.at(i + 1));
        }
    }
    ASSERT_EQ(named.size(), std::size_t{kLines});
    EXPECT_EQ(named, defined);
    for (int i = 1; i <= kLines; ++i) {
        EXPECT_EQ(named[i - 1], lineLabel(i));
        EXPECT_EQ(std::stoi(codes[i - 1], nullptr, 16), kPenRows[(i - 1) % 10]) << "line " << i;
        EXPECT_EQ(data[i - 1].second, "    .db \"line  " + std::to_string(i) + "\",0");
    }
    EXPECT_EQ(codes[5], "1F");
    EXPECT_EQ(named[998], "lng999");
    EXPECT_EQ(named[999], "lng1000");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{".end", "END"}));
}

struct DataLine {
    const char* name;
    std::string calculatorLine;
    std::string written;
};

class SourceDataLine : public SourceWriter, public ::testing::WithParamInterface<DataLine> {};

TEST_P(SourceDataLine, WritesTheLineAsAZeroTerminatedString) {
    ASSERT_TRUE(write({GetParam().calculatorLine}).ok);
    const auto lines = source();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], "lng001:");
    EXPECT_EQ(lines[lines.size() - 3], GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SourceDataLine,
    ::testing::Values(DataLine{"Empty", "", "    .db \"\",0"},
                      DataLine{"Spaces", " a b  c ", "    .db \"  a  b    c  \",0"},
                      DataLine{"CurrencySign", "a\xA4z", "    .db \"a z\",0"},
                      DataLine{"FullLineWithSpacesGrows", "aaaaa bbbbb ccccc ddddd",
                               "    .db \"aaaaa  bbbbb  ccccc  ddddd\",0"},
                      DataLine{"Backslash", "a\\b \\", "    .db \"a\\b  \\\",0"},
                      DataLine{"Quotes", "Say \"hi\"", "    .db \"Say  \",34,\"hi\",34,0"},
                      DataLine{"OnlyAQuote", "\"", "    .db 34,0"},
                      DataLine{"QuoteCannotEndTheString", "\", 0 \\ halt \\ .db \"",
                               "    .db 34,\",  0  \\  halt  \\  .db  \",34,0"}),
    [](const auto& row) { return row.param.name; });

struct Title {
    const char* name;
    std::string programName;
    std::string written;
};

class SourceTitle : public SourceWriter, public ::testing::WithParamInterface<Title> {};

TEST_P(SourceTitle, FollowsTheHeader) {
    ASSERT_TRUE(write({"x"}, GetParam().programName).ok);
    const auto lines = source();
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ(lines[11], "");
    EXPECT_EQ(lines[12], GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SourceTitle,
    ::testing::Values(Title{"Plain", "Demo", " .db \"Demo\",0"}, Title{"Empty", "", " .db \"\",0"},
                      Title{"SpacesAreNotDoubled", "My prog", " .db \"My prog\",0"},
                      Title{"LongerThanTheField", std::string(30, 'N'),
                            " .db \"" + std::string(30, 'N') + "\",0"},
                      Title{"Backslash", "a\\b", " .db \"a\\b\",0"},
                      Title{"Quotes", "\"Q\" x", " .db 34,\"Q\",34,\" x\",0"}),
    [](const auto& row) { return row.param.name; });

// Events: once at the start of each full screen, then once before each data line; the
// screen count is known before any of them.
TEST_F(SourceWriter, ProcessesEventsPerFullScreenAndPerDataLine) {
    for (const auto& [lineCount, events] :
         std::vector<std::pair<std::size_t, std::string>>{{0, "S"},
                                                          {1, "SE"},
                                                          {9, "S" + std::string(9, 'E')},
                                                          {10, "S" + std::string(11, 'E')},
                                                          {25, "S" + std::string(27, 'E')}}) {
        std::string seen;
        SourceCallbacks callbacks;
        callbacks.processEvents = [&] { seen += 'E'; };
        callbacks.screenCountReady = [&](std::int64_t) { seen += 'S'; };
        ASSERT_TRUE(write(std::vector<std::string>(lineCount, "x"), "P", callbacks).ok);
        EXPECT_EQ(seen, events) << lineCount << " lines";
    }
}

TEST_F(SourceWriter, ReplacesAnExistingTmpZ80) {
    ASSERT_TRUE(write({"a", "b", "c"}).ok);
    const std::string longer = readFile(folder.file("tmp.z80"));
    ASSERT_TRUE(write({"a"}).ok);
    const std::string shorter = readFile(folder.file("tmp.z80"));
    EXPECT_LT(shorter.size(), longer.size());
    EXPECT_TRUE(shorter.ends_with("\r\n.end\r\nEND\r\n"));
    EXPECT_EQ(shorter.find("END"), shorter.size() - 5) << "nothing of the old file is left";
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
