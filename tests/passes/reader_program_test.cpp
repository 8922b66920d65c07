#include "files.h"
#include "layout.h"
#include "reader_program.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

ReaderPart whole(const std::vector<std::string>& lines) {
    return {0, 1, 0, lines.size(), "Demo"};
}

TEST(ReaderProgram, WorkedExampleSource) {
    const std::vector<std::string> lines =
        layoutText("Hello world\r\nLine two\r\nBye\r\nThe quick brown fox jumps over");
    EXPECT_EQ(readerSource(lines, whole(lines)),
              test::readFile(CORVANE_GOLDEN_DIR "/worked_example_reader.z80"));
}

// The data directive a calculator line becomes: one byte per character, a space stored once
// (the routine draws it twice), the bytes drawn as one space stored as 1, quotes as 34, and
// nothing from a zero byte on.
TEST(ReaderProgram, LineData) {
    const std::pair<std::string, std::string> rows[] = {
        {"", " .db 0"},
        {"a b", " .db \"a b\",0"},
        {"Say \"hi\"", " .db \"Say \",34,\"hi\",34,0"},
        {"a\xA4\t\xA0z", " .db \"a\",1,1,1,\"z\",0"},
        {std::string("ab\0cd", 5), " .db \"ab\",0"},
    };
    for (const auto& [line, data] : rows) {
        const std::vector<std::string> lines{line};
        const std::string source = readerSource(lines, whole(lines));
        const std::size_t at = source.find("rd_text:\r\n") + 10;
        EXPECT_EQ(source.substr(at, source.find("\r\n", at) - at), data) << line;
        EXPECT_EQ(readerLineBytes(line), std::min(line.size(), line.find('\0')) + 1) << line;
    }
}

TEST(ReaderProgram, StatusRowsAreRightAligned) {
    struct Row {
        int part;
        std::size_t screen, count;
        const char* codes;
        int column;
    };
    const Row rows[] = {
        {0, 0, 1, "1/1", 96 - 12},
        {0, 11, 40, "12/40", 96 - 20},
        {2, 0, 3, "2:1/3", 96 - 18},
        {12, 999, 1000, "12:1000/1000", 96 - 46},
    };
    for (const Row& row : rows) {
        const ScreenRow status = readerStatusRow(row.part, row.screen, row.count);
        EXPECT_EQ(status.codes, row.codes);
        EXPECT_EQ(status.penColumn, row.column) << row.codes;
    }
}

TEST(ReaderProgram, PlansPartsOfWholeScreens) {
    const std::vector<std::string> oneScreen(9, std::string(23, 'x'));
    EXPECT_EQ(planReaderParts(oneScreen, "T", kReaderMinimumPartBytes).parts.size(), 1u);
    EXPECT_NE(planReaderParts(oneScreen, "T", 500).error, "");

    const std::vector<std::string> lines(200, std::string(23, 'x'));
    const ReaderPlan plan = planReaderParts(lines, "A title of twenty ch", kReaderMinimumPartBytes);
    ASSERT_GT(plan.parts.size(), 2u);
    for (const ReaderPart& part : plan.parts) {
        EXPECT_LE(readerProgramBytes(lines, part), kReaderMinimumPartBytes);
        EXPECT_LE(part.title.size(), kReaderPartTitleLimit);
    }
    EXPECT_EQ(plan.parts[0].title, "A title of twent 1/" + std::to_string(plan.parts.size()));
}

} // namespace
} // namespace corvane
