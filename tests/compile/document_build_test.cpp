// The document build request: the programs' base name, the header-fit rule, and a request
// made from a document file as it stands.
#include "document_build.h"
#include "files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace corvane::test {
namespace {

TEST(DocumentBuild, ProgramsAreNamedAfterTheFileWithoutItsExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/notes/story.txt", "story"},
        {"/notes/story.tar.md", "story.tar"},
        {"/notes/abc", "abc"},
        {"/notes/.txt", ""},
        {"/notes.d/story", "story"},
        {"a.txt", "a"},
#ifdef _WIN32
        {"C:\\notes.d\\story.txt", "story"},
        {"C:\\a.txt", "a"},
#endif
    };
    for (const auto& [path, baseName] : cases) {
        EXPECT_EQ(programBaseName(path), baseName) << path;
    }
}

TEST(DocumentBuild, HeaderMisfitsAsTheWindowSaysThem) {
    const std::tuple<std::u16string, std::u16string, std::string> cases[] = {
        {std::u16string(20, u'P'), u"ABCDEFGH", ""},
        {std::u16string(21, u'P'), u"story",
         "its first line has 21 characters, more than the 20 its field holds"},
        {u"My\tstory", u"story", "its first line holds control characters"},
        {u"My story", u"st\u0085ry", "its second line holds control characters"},
        {u"My\u2028story", u"story", "its first line holds control characters"},
        {u"My\u001Fstory", u"storytime",
         "its first line holds control characters; its second line has 9 characters, more "
         "than the 8 its field holds"},
    };
    for (const auto& [programName, calculatorFileName, misfit] : cases) {
        EXPECT_EQ(headerMisfit(programName, calculatorFileName), misfit)
            << ::testing::PrintToString(programName);
    }
}

TEST(DocumentBuild, ARequestFromADocumentFileAsItStands) {
    // Each case's name, its file's bytes (no file when empty) and a part of the refusal. Only the
    // reader's refusal, of a file it cannot open, names the file.
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"a sound document", "My story\r\nstory\r\nHello\r\n", ""},
        {"too short", "My story\r\nstory\r\n",
         "it is not a Corvane document as it stands: it has fewer than three lines"},
        {"UTF-8", "Caf\xC3\xA9\r\ncafe\r\nText\r\n", "it is UTF-8 text"},
        {"a header longer than its field", std::string(21, 'L') + "\r\nlong\r\nText\r\n",
         "it is not a Corvane document as it stands: its first line has 21 characters"},
        {"no file", "", ": cannot be opened"},
    };
    for (const auto& [name, bytes, refusal] : cases) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const std::string path = folder.file("story.txt");
        if (!bytes.empty()) {
            writeFile(path, bytes);
        }
        const DocumentFileRequest asked = documentFileRequest(path, "/out", "/app");
        EXPECT_EQ(asked.refusalNamesFile, bytes.empty());
        if (refusal.empty()) {
            ASSERT_TRUE(asked.request) << asked.refusal;
            const BuildRequest& r = *asked.request;
            EXPECT_EQ(
                (std::vector{r.documentPath, r.workingFolder, r.appFolder, r.baseName,
                             r.programName, r.calculatorFileName}),
                (std::vector<std::string>{path, "/out", "/app", "story", "My story", "story"}));
            continue;
        }
        EXPECT_FALSE(asked.request);
        EXPECT_NE(asked.refusal.find(refusal), std::string::npos) << asked.refusal;
        EXPECT_EQ(asked.refusal.find(path) != std::string::npos, bytes.empty());
    }
}

} // namespace
} // namespace corvane::test
