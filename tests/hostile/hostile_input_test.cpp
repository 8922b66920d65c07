// Broken and hostile files through the readers, the two passes, asm83 and the build engine:
// every one ends in a result or a clear error, and none costs the document file.
#include "document_file.h"
#include "hostile_inputs.h"
#include "layout.h"
#include "run_program.h"
#include "scene.h"

namespace corvane::test {
namespace {

// The text lines a reader reported, joined with CR LF as the readers join them.
struct Reported {
    std::string text;
    std::int64_t count = 0;
};

ReadCallbacks reportingTo(Reported& reported) {
    ReadCallbacks callbacks;
    callbacks.textLine = [&reported](std::string_view line) {
        if (reported.count++ > 0) {
            reported.text += "\r\n";
        }
        reported.text += line;
    };
    return callbacks;
}

// The readers give what the reading rule says or a clear failure; the passes cut every document
// or refuse the file before they touch temp.ett.
TEST(HostileInput, TheReadersAndThePassesGiveTheRuleResultOrAClearFailure) {
    for (const HostileInput& input : hostileInputs()) {
        SCOPED_TRACE(input.name);
        TempFolder folder;
        const std::string path = folder.file("input.txt");
        const std::string bytes = input.make();
        writeFile(path, bytes);

        Reported plain;
        const ReadOutcome asText = readPlainTextFile(path, reportingTo(plain));
        EXPECT_EQ(asText.ok, !bytes.empty());
        if (asText.ok) {
            EXPECT_EQ(asText.document.text, plain.text) << "the reported lines differ";
        } else {
            EXPECT_FALSE(asText.error.empty());
        }
        if (input.lines != kAnyCount) {
            EXPECT_EQ(plain.count, input.lines);
        }

        Reported text;
        const ReadOutcome asDocument = readDocumentFile(path, reportingTo(text));
        if (input.lines != kAnyCount) {
            EXPECT_EQ(asDocument.ok, input.lines >= 3);
        }
        if (asDocument.ok) {
            EXPECT_EQ(asDocument.document.text, text.text);
            EXPECT_EQ(text.count, plain.count - 2);
        } else {
            EXPECT_FALSE(asDocument.error.empty());
            EXPECT_TRUE(asDocument.document.text.empty());
        }
        EXPECT_EQ(readFile(path), bytes) << "reading changed the file";

        std::int64_t lineCount = 0;
        const LayoutOutcome layout = layoutLines(path, folder.path().string(), lineCount);
        if (input.lines != kAnyCount && input.lines < 3) {
            EXPECT_FALSE(layout.ok);
            EXPECT_NE(layout.error.find("fewer than three lines"), std::string::npos)
                << layout.error;
            EXPECT_FALSE(fs::exists(folder.file("temp.ett")));
            continue;
        }
        ASSERT_TRUE(layout.ok) << layout.error;
        if (input.calculatorLines != kAnyCount) {
            EXPECT_EQ(lineCount, input.calculatorLines);
        }
        const SourceOutcome source =
            writeAssemblySource(folder.path().string(), lineCount, "Hostile", kHeaderTemplate);
        ASSERT_TRUE(source.ok) << source.error;
        EXPECT_EQ(source.screenCount, lineCount / 10 + 1);
        EXPECT_TRUE(readFile(folder.file("tmp.z80")).ends_with("\r\n.end\r\nEND\r\n"));
    }
}

TEST(HostileInput, Asm83EndsInAProgramOrInMessagesAndWritesNothingOnError) {
    for (const HostileInput& input : hostileInputs()) {
        if (input.large) {
            continue;
        }
        SCOPED_TRACE(input.name);
        TempFolder folder;
        writeFile(folder.file("tmp.z80"), input.make());
        RunOptions options;
        options.folder = folder.path().string();
        options.seconds = 60;
        options.outputLimit = 1 << 16;
        const ProgramRun run = runProgram(
            {(appDir() / "asm83").string(), "-I", appDir().string(), "tmp.z80", "tmp.83p"},
            options);
        const std::string output = run.out + run.err;
        ASSERT_TRUE(run.finished) << "asm83 did not end within a minute";
        EXPECT_FALSE(run.signalled) << output;
        EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 1) << output;
        if (run.exitStatus != 0) {
            EXPECT_NE(output.find("error:"), std::string::npos) << output;
            EXPECT_FALSE(fs::exists(folder.file("tmp.83p")));
        } else {
            EXPECT_TRUE(fs::exists(folder.file("tmp.83p")));
        }
        EXPECT_EQ(filesIn(folder.path()).size(), run.exitStatus == 0 ? 2u : 1u)
            << "asm83 left a file behind";
    }
}

TEST(HostileInput, TheBuildEndsInProgramsOrAStatedFailureAndLeavesTheDocumentAlone) {
    const std::pair<const char*, BuildStep> expectations[] = {
        {"an empty file", BuildStep::LineLayout},
        {"NUL bytes", BuildStep::None},
        {"bytes 80h-FFh", BuildStep::None},
        {"a 10 MB single line", BuildStep::LineLayout},
        {"CR-only line ends", BuildStep::None},
        {"LF-only line ends", BuildStep::None},
        // Its text makes a program far beyond what a calculator holds: refused before asm83.
        {"a binary file (asm83 itself)", BuildStep::CalculatorFit},
    };
    for (const auto& [name, step] : expectations) {
        SCOPED_TRACE(name);
        Scene scene;
        scene.useRealToolChain();
        const std::string bytes = hostileInput(name).make();
        writeFile(scene.request.documentPath, bytes);

        const BuildOutcome outcome = scene.build();

        EXPECT_EQ(outcome.failedStep, step) << outcome.message;
        EXPECT_EQ(outcome.ok, step == BuildStep::None);
        EXPECT_EQ(outcome.ok, outcome.message.empty());
        EXPECT_EQ(readFile(scene.request.documentPath), bytes) << "the build changed the document";
        EXPECT_EQ(fs::exists(scene.work / "story.83p"), outcome.ok);
    }
}

} // namespace
} // namespace corvane::test
