#include "document_file.h"
#include "files.h"
#include "read_only.h"
#include "temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace corvane::test {
namespace {

using ::testing::HasSubstr;

// A folder of the test's own, and the document file's place in it.
class DocumentFile : public ::testing::Test {
  protected:
    TempFolder folder;
    const std::string path = folder.file("doc.txt");
};

struct RoundTrip {
    const char* name;
    std::string text;
    std::string textReadBack;
};

class DocumentRoundTrip : public DocumentFile, public ::testing::WithParamInterface<RoundTrip> {};

// Each replaces a longer file completely.
TEST_P(DocumentRoundTrip, WritesTheFormatAndReadsTheTextBack) {
    writeFile(path, std::string(10000, 'x'));
    const Document written{"Notitle", "notitle", GetParam().text};
    ASSERT_EQ(writeDocumentFile(path, written), "");
    EXPECT_EQ(readFile(path), "Notitle\r\nnotitle\r\n" + GetParam().text + "\r\n");

    const ReadOutcome read = readDocumentFile(path);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.document.programName, "Notitle");
    EXPECT_EQ(read.document.calculatorFileName, "notitle");
    EXPECT_EQ(read.document.text, GetParam().textReadBack);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DocumentRoundTrip,
    ::testing::Values(RoundTrip{"Empty", "", ""},
                      RoundTrip{"TwoLines", "Hello\r\nWorld", "Hello\r\nWorld"},
                      RoundTrip{"EndsWithLineBreak", "Hello\r\n", "Hello\r\n"},
                      RoundTrip{"EmptyLines", "\r\n\r\na\r\n\r\n", "\r\n\r\na\r\n\r\n"},
                      RoundTrip{"LoneBreaksComeBackAsCrLf", "a\nb\rc\n", "a\r\nb\r\nc\r\n"},
                      RoundTrip{"HighBytes", "\x80\xA4\xFF\t\"\\", "\x80\xA4\xFF\t\"\\"}),
    [](const auto& row) { return row.param.name; });

// Files that are not what Corvane writes: what the reader gives back, and whether it fails.
struct ShortFile {
    const char* name;
    std::string bytes;
    bool ok;
    std::string programName;
    std::string calculatorFileName;
    std::string text;
};

class DocumentRead : public DocumentFile, public ::testing::WithParamInterface<ShortFile> {};

TEST_P(DocumentRead, KeepsWhatWasReadBeforeAFailure) {
    writeFile(path, GetParam().bytes);
    const ReadOutcome read = readDocumentFile(path);
    EXPECT_EQ(read.ok, GetParam().ok);
    EXPECT_EQ(read.document.programName, GetParam().programName);
    EXPECT_EQ(read.document.calculatorFileName, GetParam().calculatorFileName);
    EXPECT_EQ(read.document.text, GetParam().text);
    if (!GetParam().ok) {
        EXPECT_THAT(read.error, HasSubstr(path));
        EXPECT_THAT(read.error, HasSubstr("fewer than three lines"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DocumentRead,
    ::testing::Values(
        ShortFile{"Empty", "", false, "", "", ""},
        ShortFile{"OneLine", "Notitle\r\n", false, "Notitle", "", ""},
        ShortFile{"OneLineWithoutBreak", "Notitle", false, "Notitle", "", ""},
        ShortFile{"HeaderOnly", "Notitle\r\nnotitle\r\n", false, "Notitle", "notitle", ""},
        ShortFile{"LineFeedEnds", "a\nb\nc\n", true, "a", "b", "c"},
        ShortFile{"LongNamesAreNotCut",
                  std::string(25, 'N') + "\r\n" + std::string(12, 'c') + "\r\nt", true,
                  std::string(25, 'N'), std::string(12, 'c'), "t"},
        ShortFile{"LastLineWithoutBreak", "P\r\nc\r\nx\r\ny", true, "P", "c", "x\r\ny"},
        ShortFile{"CarriageReturnsOnly", "P\rc\rx\r", true, "P", "c", "x"}),
    [](const auto& row) { return row.param.name; });

struct PlainFile {
    const char* name;
    std::string bytes;
    bool ok;
    std::string text;
    TextEncoding encoding = TextEncoding::CodePage;
};

class PlainTextRead : public DocumentFile, public ::testing::WithParamInterface<PlainFile> {};

TEST_P(PlainTextRead, GivesEveryLineAsText) {
    writeFile(path, GetParam().bytes);
    std::optional<TextEncoding> told;
    ReadCallbacks callbacks;
    callbacks.encoding = [&told](TextEncoding encoding) { told = encoding; };
    const ReadOutcome read = readPlainTextFile(path, callbacks);
    EXPECT_EQ(read.ok, GetParam().ok);
    EXPECT_EQ(read.document.text, GetParam().text);
    EXPECT_EQ(read.encoding, GetParam().encoding);
    EXPECT_EQ(told, GetParam().ok ? std::optional(GetParam().encoding) : told);
    EXPECT_EQ(read.document.programName, "");
    EXPECT_EQ(read.document.calculatorFileName, "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, PlainTextRead,
    ::testing::Values(
        PlainFile{"Empty", "", false, ""}, PlainFile{"OneLineWithoutBreak", "Hello", true, "Hello"},
        PlainFile{"OneLineWithBreak", "Hello\r\n", true, "Hello"},
        PlainFile{"FurtherEmptyLinesStay", "a\r\n\r\n\r\n", true, "a\r\n\r\n"},
        // Line ends and encodings: every kind of end, and what makes a file
        // UTF-8 (written back in the code page, so only the window decodes).
        PlainFile{"MixedEnds", "a\r\nb\nc\rd\n\re", true, "a\r\nb\r\nc\r\nd\r\n\r\ne"},
        PlainFile{"Utf8", "caf\xC3\xA9\n\xE2\x82\xAC", true, "caf\xC3\xA9\r\n\xE2\x82\xAC",
                  TextEncoding::Utf8},
        PlainFile{"Utf8ByteOrderMark", "\xEF\xBB\xBFplain\r\n", true, "plain", TextEncoding::Utf8},
        PlainFile{"Windows1252Accents", "caf\xE9 \xE0 \x80", true, "caf\xE9 \xE0 \x80"},
        PlainFile{"NotUtf8OverlongAndTruncated", "\xC0\xAF \xE2\x82", true, "\xC0\xAF \xE2\x82"},
        PlainFile{"NotUtf8Surrogate", "\xED\xA0\x80", true, "\xED\xA0\x80"},
        PlainFile{"DocumentFile", "P\r\nc\r\nHello\r\n", true, "P\r\nc\r\nHello"},
        PlainFile{"OnlyABreak", "\r\n", true, ""}),
    [](const auto& row) { return row.param.name; });

// Events come before the 20th, 40th, ... text line, after the lines before it were delivered.
struct Cadence {
    int textLines;
    std::vector<int> linesSeenAtEvents;
};

class ReadCadence : public DocumentFile, public ::testing::WithParamInterface<Cadence> {};

TEST_P(ReadCadence, ProcessesEventsBeforeEveryTwentiethTextLine) {
    std::string text;
    for (int i = 1; i <= GetParam().textLines; ++i) {
        text += "line " + std::to_string(i) + "\r\n";
    }
    const std::string plain = folder.file("plain.txt");
    writeFile(path, "P\r\nc\r\n" + text);
    writeFile(plain, text);

    for (const auto& [file, reader] :
         {std::pair{path, &readDocumentFile}, std::pair{plain, &readPlainTextFile}}) {
        int linesSeen = 0;
        std::vector<int> seenAtEvents;
        ReadCallbacks callbacks;
        callbacks.textLine = [&](std::string_view) { ++linesSeen; };
        callbacks.processEvents = [&] { seenAtEvents.push_back(linesSeen); };
        const ReadOutcome read = reader(file, callbacks);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(linesSeen, GetParam().textLines) << file;
        EXPECT_EQ(seenAtEvents, GetParam().linesSeenAtEvents) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(LineCounts, ReadCadence,
                         ::testing::Values(Cadence{19, {}}, Cadence{20, {19}}, Cadence{39, {19}},
                                           Cadence{40, {19, 39}}, Cadence{41, {19, 39}}));

TEST_F(DocumentFile, HandsEachLineToItsCallbackAsRead) {
    writeFile(path, "Prog\r\ncalc\r\none\r\n\r\nthree");
    std::vector<std::string> seen;
    ReadCallbacks callbacks;
    callbacks.programName = [&](std::string_view v) { seen.push_back("name:" + std::string(v)); };
    callbacks.calculatorFileName = [&](std::string_view v) {
        seen.push_back("file:" + std::string(v));
    };
    callbacks.textLine = [&](std::string_view v) { seen.push_back("line:" + std::string(v)); };
    ASSERT_TRUE(readDocumentFile(path, callbacks).ok);
    EXPECT_EQ(seen, (std::vector<std::string>{"name:Prog", "file:calc", "line:one",
                                              "line:", "line:three"}));
}

TEST_F(DocumentFile, UnreadableFileFailsNamingItAndTheReason) {
    for (const auto& [unreadable, reason] : std::vector<std::pair<std::string, std::string>>{
             {path, "cannot be opened: No such file"},
             {folder.path(), "cannot be opened: it is not a regular file"}}) {
        for (const ReadOutcome& read :
             {readDocumentFile(unreadable), readPlainTextFile(unreadable)}) {
            EXPECT_FALSE(read.ok);
            EXPECT_TRUE(read.error.starts_with(unreadable + ": " + reason)) << read.error;
        }
    }
}

// A read-only document is refused, named and kept whole; a writable one in a folder that allows
// no new file is written in place. No partial file is left beside it.
TEST_F(DocumentFile, AReadOnlyDocumentIsKeptAndOneInAReadOnlyFolderWrittenInPlace) {
    for (const auto& [readOnlyFile, readOnlyFolder] :
         {std::pair{true, false}, {false, true}, {true, true}}) {
        SCOPED_TRACE(::testing::Message()
                     << "file " << readOnlyFile << ", folder " << readOnlyFolder);
        writeFile(path, "Old\r\nold\r\nkept\r\n");
        std::optional<ReadOnly> file;
        std::optional<ReadOnly> inFolder;
        if (readOnlyFile) {
            file.emplace(path);
        }
        if (readOnlyFolder) {
            inFolder.emplace(folder.path());
        }
        if ((file && !file->engaged()) || (inFolder && !inFolder->engaged())) {
            continue; // not on this system (a folder on Windows)
        }
        const std::string error = writeDocumentFile(path, Document{"New", "new", "text"});
        EXPECT_TRUE(readOnlyFile ? error.find(path) != std::string::npos : error.empty()) << error;
        EXPECT_EQ(readFile(path),
                  readOnlyFile ? "Old\r\nold\r\nkept\r\n" : "New\r\nnew\r\ntext\r\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

TEST_F(DocumentFile, SavingThroughALinkWritesTheLinkedFileAndKeepsTheLink) {
    const std::string target = folder.file("real.txt");
    const std::string link = folder.file("link.txt");
    writeFile(target, "Old\r\nold\r\n\r\n");
    if (!createFileLink(target, link)) {
        GTEST_SKIP() << "cannot make a symbolic link here";
    }
    ASSERT_EQ(writeDocumentFile(link, Document{"New", "new", "text"}), "");
    EXPECT_TRUE(isFileLink(link));
    EXPECT_EQ(readFile(target), "New\r\nnew\r\ntext\r\n");
}

#ifndef _WIN32
TEST_F(DocumentFile, NewFileFollowsTheUmaskAndAReplacedFileKeepsItsMode) {
    const mode_t previousMask = ::umask(022);
    const std::string fresh = folder.file("fresh.txt");
    ASSERT_EQ(writeDocumentFile(fresh, Document{}), "");
    const std::string kept = folder.file("kept.txt");
    writeFile(kept, "Old\r\nold\r\n\r\n");
    std::filesystem::permissions(kept, std::filesystem::perms(0640));
    ASSERT_EQ(writeDocumentFile(kept, Document{}), "");
    ::umask(previousMask);
    EXPECT_EQ(std::filesystem::status(fresh).permissions(), std::filesystem::perms(0644));
    EXPECT_EQ(std::filesystem::status(kept).permissions(), std::filesystem::perms(0640));
}
#endif

} // namespace
} // namespace corvane::test
