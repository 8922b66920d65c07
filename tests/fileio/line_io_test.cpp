#include "files.h"
#include "line_reader.h"
#include "line_writer.h"
#include "read_only.h"
#include "temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

namespace corvane::test {
namespace {

using ::testing::HasSubstr;

TEST(LineReading, SplitsAtCarriageReturnsAndFailsPastTheEnd) {
    // A line longer than the reader's buffer, with its CR LF split over a buffer boundary.
    const std::string kLong(65535, 'x');
    const std::pair<std::string, std::vector<std::string>> files[] = {
        {"", {}},
        {"abc", {"abc"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\nb\r\n", {"a", "b"}},
        {"\n\r\n\r", {"", "", ""}},
        {kLong + "\nz", {kLong, "z"}},
        {"\r\n\r\n", {"", ""}},
        {kLong + "\r\nz", {kLong, "z"}},
        {kLong + kLong + "\r", {kLong + kLong}}};
    TempFolder folder;
    const std::string path = folder.file("lines");
    for (const auto& [bytes, expected] : files) {
        writeFile(path, bytes);
        LineReader reader(path);
        ASSERT_TRUE(reader.ok());
        std::vector<std::string> lines;
        std::string line;
        while (!reader.atEnd()) {
            ASSERT_TRUE(reader.readLine(line)) << reader.error();
            lines.push_back(line);
        }
        EXPECT_EQ(lines, expected) << bytes.substr(0, 10);
        EXPECT_FALSE(reader.readLine(line));
        EXPECT_THAT(reader.error(), HasSubstr("past the end"));
    }
}

TEST(LineWriter, EndsEveryLineWithCrLfAndReplacesTheFile) {
    TempFolder folder;
    const std::string path = folder.file("out");
    writeFile(path, std::string(5000, 'o'));
    LineWriter writer(path);
    writer.writeLine("a");
    writer.writeLine("");
    writer.write("b");
    ASSERT_TRUE(writer.close()) << writer.error();
    EXPECT_EQ(readFile(path), "a\r\n\r\nb");
}

TEST(LineWriter, ReportsAFullDiskWithTheFileName) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    LineWriter writer("/dev/full");
    ASSERT_TRUE(writer.ok()) << writer.error();
    writer.writeLine("lost");
    EXPECT_FALSE(writer.close());
    EXPECT_THAT(writer.error(), HasSubstr("/dev/full: cannot be written: No space left"));
}

TEST(LineWriter, ReportsAFolderItCannotCreateIn) {
    TempFolder folder;
    ReadOnly guard(folder.path());
    if (!guard.engaged()) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    LineWriter writer(folder.file("out"));
    EXPECT_FALSE(writer.ok());
    EXPECT_THAT(writer.error(), HasSubstr(folder.file("out") + ": cannot be created"));
}

} // namespace
} // namespace corvane::test
