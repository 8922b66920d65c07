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

// What a reader gave back: "ok" or "failed", the program name, the calculator file name, the text.
std::vector<std::string> given(const ReadOutcome& read) {
    return {read.ok ? "ok" : "failed", read.document.programName, read.document.calculatorFileName,
            read.document.text};
}

// Each replaces a longer file completely.
TEST_F(DocumentFile, WritesTheFormatAndReadsTheTextBack) {
    const std::pair<std::string, std::string> texts[] = {
        {"", ""},
        {"Hello\r\nWorld", "Hello\r\nWorld"},
        {"Hello\r\n", "Hello\r\n"},
        {"\r\n\r\na\r\n\r\n", "\r\n\r\na\r\n\r\n"},
        {"a\nb\rc\n", "a\r\nb\r\nc\r\n"}, // lone breaks come back as CR LF
        {"\x80\xA4\xFF\t\"\\", "\x80\xA4\xFF\t\"\\"}};
    for (const auto& [text, readBack] : texts) {
        writeFile(path, std::string(10000, 'x'));
        ASSERT_EQ(writeDocumentFile(path, Document{"Notitle", "notitle", text}), "");
        EXPECT_EQ(readFile(path), "Notitle\r\nnotitle\r\n" + text + "\r\n");
        EXPECT_EQ(given(readDocumentFile(path)),
                  (std::vector<std::string>{"ok", "Notitle", "notitle", readBack}));
    }
}

// Files that are not what Corvane writes: what the reader gives back, and whether it fails.
TEST_F(DocumentFile, KeepsWhatWasReadBeforeAFailure) {
    const std::string longName(25, 'N');
    const std::pair<std::string, std::vector<std::string>> files[] = {
        {"", {"failed", "", "", ""}},
        {"Notitle\r\n", {"failed", "Notitle", "", ""}},
        {"Notitle", {"failed", "Notitle", "", ""}},
        {"Notitle\r\nnotitle\r\n", {"failed", "Notitle", "notitle", ""}},
        {"a\nb\nc\n", {"ok", "a", "b", "c"}},
        {longName + "\r\ncccccccccccc\r\nt", {"ok", longName, "cccccccccccc", "t"}},
        {"P\r\nc\r\nx\r\ny", {"ok", "P", "c", "x\r\ny"}},
        {"P\rc\rx\r", {"ok", "P", "c", "x"}}};
    for (const auto& [bytes, expected] : files) {
        writeFile(path, bytes);
        const ReadOutcome read = readDocumentFile(path);
        EXPECT_EQ(given(read), expected) << bytes;
        if (!read.ok) {
            EXPECT_THAT(read.error, HasSubstr(path));
            EXPECT_THAT(read.error, HasSubstr("fewer than three lines"));
        }
    }
}

TEST_F(DocumentFile, PlainTextGivesEveryLineAsText) {
    struct Case {
        std::string bytes;
        bool ok;
        std::string text;
        TextEncoding encoding = TextEncoding::CodePage;
    };
    const Case cases[] = {
        {"", false, ""},
        {"Hello", true, "Hello"},
        {"Hello\r\n", true, "Hello"},
        {"a\r\n\r\n\r\n", true, "a\r\n\r\n"},
        // Every kind of line end, and what makes a file UTF-8 (written back in the code page,
        // so only the window decodes).
        {"a\r\nb\nc\rd\n\re", true, "a\r\nb\r\nc\r\nd\r\n\r\ne"},
        {"caf\xC3\xA9\n\xE2\x82\xAC", true, "caf\xC3\xA9\r\n\xE2\x82\xAC", TextEncoding::Utf8},
        {"\xEF\xBB\xBFplain\r\n", true, "plain", TextEncoding::Utf8},
        {"caf\xE9 \xE0 \x80", true, "caf\xE9 \xE0 \x80"},
        {"\xC0\xAF \xE2\x82", true, "\xC0\xAF \xE2\x82"}, // overlong and truncated
        {"\xED\xA0\x80", true, "\xED\xA0\x80"},           // a surrogate
        {"P\r\nc\r\nHello\r\n", true, "P\r\nc\r\nHello"},
        {"\r\n", true, ""}};
    for (const Case& c : cases) {
        writeFile(path, c.bytes);
        std::optional<TextEncoding> told;
        ReadCallbacks callbacks;
        callbacks.encoding = [&told](TextEncoding encoding) { told = encoding; };
        const ReadOutcome read = readPlainTextFile(path, callbacks);
        EXPECT_EQ(given(read), (std::vector<std::string>{c.ok ? "ok" : "failed", "", "", c.text}))
            << c.bytes;
        EXPECT_EQ(read.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(told, c.ok ? std::optional(c.encoding) : told) << c.bytes;
    }
}

// Events come before the 20th, 40th, ... text line, after the lines before it were delivered.
TEST_F(DocumentFile, ReadersProcessEventsBeforeEveryTwentiethTextLine) {
    const std::pair<int, std::vector<int>> cases[] = {
        {19, {}}, {20, {19}}, {39, {19}}, {40, {19, 39}}, {41, {19, 39}}};
    const std::string plain = folder.file("plain.txt");
    for (const auto& [textLines, linesSeenAtEvents] : cases) {
        std::string text;
        for (int i = 1; i <= textLines; ++i) {
            text += "line " + std::to_string(i) + "\r\n";
        }
        writeFile(path, "P\r\nc\r\n" + text);
        writeFile(plain, text);
        for (const auto& [file, reader] :
             {std::pair{path, &readDocumentFile}, std::pair{plain, &readPlainTextFile}}) {
            int linesSeen = 0;
            std::vector<int> seenAtEvents;
            ReadCallbacks callbacks;
            callbacks.textLine = [&](std::string_view) { ++linesSeen; };
            callbacks.processEvents = [&] { seenAtEvents.push_back(linesSeen); };
            ASSERT_TRUE(reader(file, callbacks).ok);
            EXPECT_EQ(linesSeen, textLines) << file;
            EXPECT_EQ(seenAtEvents, linesSeenAtEvents) << file << ", " << textLines;
        }
    }
}

TEST_F(DocumentFile, HandsEachLineToItsCallbackAsRead) {
    writeFile(path, "Prog\r\ncalc\r\none\r\n\r\nthree");
    std::vector<std::string> seen;
    const auto record = [&seen](std::string what) {
        return [&seen, what](std::string_view v) { seen.push_back(what + std::string(v)); };
    };
    ReadCallbacks callbacks;
    callbacks.programName = record("name:");
    callbacks.calculatorFileName = record("file:");
    callbacks.textLine = record("line:");
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
