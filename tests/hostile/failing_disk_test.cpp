// Full disks, a working folder that is read-only or vanished, and a tool chain that misbehaves:
// each ends in a clear error, and the document file stays whole.
#include "document_file.h"
#include "full_disk.h"
#include "read_only.h"
#include "scene.h"

#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {
namespace {

// A full disk is a limit on the size of every file a child writes: the write that crosses it
// fails as on a disk that filled up.
constexpr std::size_t kSmallDisk = 64 * 1024;

// Runs `body` in a forked child and returns what it returned; "child ended abnormally" when it
// crashes or is killed. With a `fileSizeLimit`, writes past it fail with EFBIG (SIGXFSZ is
// ignored).
std::string inChild(const std::function<std::string()>& body, std::size_t fileSizeLimit = 0) {
    TempFolder folder;
    const std::string answerFile = folder.file("answer");
    const pid_t child = ::fork();
    if (child == 0) {
        std::optional<FileSizeLimit> sizeLimit;
        if (fileSizeLimit > 0) {
            sizeLimit.emplace(fileSizeLimit);
        }
        const std::string answer = body();
        sizeLimit.reset();
        ::_exit(writeFile(answerFile, answer) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? readFile(answerFile)
                                                         : "child ended abnormally";
}

// A document of `textBytes` bytes of text in lines of 24 characters.
Document documentOf(std::size_t textBytes) {
    Document document{"Big", "big", {}};
    while (document.text.size() < textBytes) {
        document.text += "the quick brown fox jump\r\n";
    }
    return document;
}

std::string documentBytes(const Document& document) {
    return document.programName + "\r\n" + document.calculatorFileName + "\r\n" + document.text +
           "\r\n";
}

TEST(FullDisk, ASaveThatDoesNotFitLeavesThePreviousDocumentWhole) {
    TempFolder disk;
    const std::string path = disk.file("story.txt");
    const Document previous{"Story", "story", "Once upon a time"};
    const std::string answer = inChild(
        [&] {
            if (!writeDocumentFile(path, previous).empty()) {
                return std::string("the previous document could not be written");
            }
            return writeDocumentFile(path, documentOf(4 * kSmallDisk));
        },
        kSmallDisk);
    EXPECT_NE(answer.find(path + ": cannot be written"), std::string::npos) << answer;
    EXPECT_EQ(readFile(path), documentBytes(previous));
    EXPECT_EQ(filesIn(disk.path()).size(), 1u) << "a partial file stayed";
}

TEST(FullDisk, ThePassesAndTheBuildStopAtTheFileThatDidNotFit) {
    struct Case {
        const char* name;
        std::size_t textBytes;
        const char* says;
    };
    // temp.ett holds about the text; tmp.z80 about eight times it. 340 lines of 24 characters
    // make 680 calculator lines, which a TI-83 Plus still holds, and a tmp.z80 of 70 KB.
    const Case cases[] = {
        {"temp.ett does not fit", 2 * kSmallDisk, "cutting the text into calculator lines"},
        {"tmp.z80 does not fit", 340 * 26, "writing the assembly source"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        const std::string document = documentBytes(documentOf(c.textBytes));
        writeFile(scene.request.documentPath, document);
        const std::string answer = inChild(
            [&] {
                const BuildOutcome outcome = scene.build();
                return std::string(describeStep(outcome.failedStep)) + ": " + outcome.message;
            },
            kSmallDisk);
        EXPECT_TRUE(answer.starts_with(c.says)) << answer;
        EXPECT_NE(answer.find("cannot be written"), std::string::npos) << answer;
        EXPECT_EQ(readFile(scene.request.documentPath), document);
    }
}

TEST(ReadOnly, TheBuildNamesAWorkingFolderItCannotWriteInOrThatVanished) {
    for (const bool vanished : {false, true}) {
        SCOPED_TRACE(vanished ? "vanished" : "read-only");
        Scene scene;
        scene.saveDocumentAs(scene.root.path() / "story.txt");
        const std::string document = readFile(scene.request.documentPath);
        std::optional<ReadOnly> readOnly;
        if (vanished) {
            fs::remove_all(scene.work);
        } else {
            readOnly.emplace(scene.work.string());
        }
        const BuildOutcome outcome = scene.build();
        EXPECT_EQ(outcome.failedStep, BuildStep::LineLayout) << outcome.message;
        EXPECT_NE(outcome.message.find("temp.ett"), std::string::npos) << outcome.message;
        EXPECT_EQ(readFile(scene.request.documentPath), document);
    }
}

// A tool chain that writes 64 MB into asm.log and fails: the message quotes the start of it,
// its details a little more, and the build does not take the rest into memory.
TEST(RealToolChain, AToolChainThatWritesMegabytesIsQuotedOnlyInPart) {
    Scene scene;
    scene.useRealToolChain(kFastSpeed);
    writeFile(scene.app / "asm.bat",
              "yes 'tmp.z80:1: error: said again and again' | head -c 67108864 >asm.log\n"
              "exit 1\n");
    const std::string answer = inChild([&] {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const BuildOutcome outcome = scene.build();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        return std::to_string(after.ru_maxrss - before.ru_maxrss) + "\n" +
               std::to_string(outcome.message.size()) + "\n" + outcome.message + "\n" +
               outcome.details;
    });
    std::istringstream lines(answer);
    long grownKilobytes = 0;
    std::size_t messageSize = 0;
    lines >> grownKilobytes >> messageSize;
    EXPECT_LT(grownKilobytes, 16 * 1024) << "the build read the whole log";
    EXPECT_LT(messageSize, 10000u);
    EXPECT_NE(answer.find("delivering the TI-83 program"), std::string::npos) << answer;
    EXPECT_NE(answer.find("tmp.z80:1: error: said again and again"), std::string::npos);
    EXPECT_NE(answer.find("[...]"), std::string::npos) << "the cut is not marked";
}

} // namespace
} // namespace corvane::test
