// Broken and hostile files through the readers, the two passes, asm83 and the build engine:
// every one ends in a result or a clear error, and none costs the document file.
#include "build_command.h"
#include "document_file.h"
#include "hostile_support.h"
#include "layout.h"
#include "source_writer.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace corvane::hostile {
namespace {

constexpr std::size_t kTenMegabytes = 10u << 20;
constexpr int kMillion = 1000000;
// Counts not known in advance (a binary file's lines).
constexpr std::int64_t kAny = -1;

struct HostileInput {
    const char* name;
    std::function<std::string()> make;
    std::int64_t lines;           // by the reading rule
    std::int64_t calculatorLines; // what the layout pass makes of a document's text
    // Whether asm83 and the build engine take it too; the largest inputs only cost time there.
    bool throughToolChain;
};

std::string lines(const std::string& each, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += each + "\r\n";
    }
    return text;
}

std::string highBytes() {
    std::string text = "\x80\xFF\r\n\xA4\r\n";
    for (int start = 0x80; start < 0x100; start += 32) {
        for (int c = start; c < start + 32; ++c) {
            text += static_cast<char>(c);
        }
        text += "\r\n";
    }
    return text;
}

const std::vector<HostileInput>& hostileInputs() {
    static const std::vector<HostileInput> inputs = {
        {"an empty file", [] { return std::string(); }, 0, 0, true},
        {"NUL bytes",
         [] { return std::string("\0\0\r\n\0\r\n", 7) + lines(std::string(30, '\0'), 100); }, 102,
         200, true},
        {"bytes 80h-FFh", highBytes, 6, 8, true},
        {"a 10 MB single line", [] { return std::string(kTenMegabytes, 'x'); }, 1, 0, true},
        {"a document whose text is one 10 MB line",
         [] { return "Big\r\nbig\r\n" + std::string(kTenMegabytes, 'y'); }, 3,
         static_cast<std::int64_t>(kTenMegabytes / 23 + 1), false},
        {"a million empty lines", [] { return lines("", kMillion); }, kMillion, kMillion - 2,
         false},
        {"CR-only line ends", [] { return std::string("Name\rname\rone\rtwo\r"); }, 4, 2, true},
        {"LF-only line ends", [] { return std::string("Name\nname\none\ntwo\n"); }, 1, 0, true},
        {"a binary file (asm83 itself)", [] { return readFile(appDir() + "/asm83"); }, kAny, kAny,
         true},
    };
    return inputs;
}

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

TEST(HostileInput, TheReadersGiveTheRuleResultOrAClearFailure) {
    for (const HostileInput& input : hostileInputs()) {
        SCOPED_TRACE(input.name);
        TempFolder folder;
        const std::string path = folder / "input.txt";
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
        if (input.lines != kAny) {
            EXPECT_EQ(plain.count, input.lines);
        }

        Reported text;
        const ReadOutcome asDocument = readDocumentFile(path, reportingTo(text));
        if (input.lines != kAny) {
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
    }
}

TEST(HostileInput, ThePassesCutEveryDocumentOrRefuseTheFileBeforeTouchingTempEtt) {
    for (const HostileInput& input : hostileInputs()) {
        SCOPED_TRACE(input.name);
        TempFolder folder;
        const std::string path = folder / "input.txt";
        writeFile(path, input.make());

        std::int64_t lineCount = 0;
        const LayoutOutcome layout = layoutLines(path, folder.path().string(), lineCount);
        if (input.lines != kAny && input.lines < 3) {
            EXPECT_FALSE(layout.ok);
            EXPECT_NE(layout.error.find("fewer than three lines"), std::string::npos)
                << layout.error;
            EXPECT_FALSE(fs::exists(folder / "temp.ett"));
            continue;
        }
        ASSERT_TRUE(layout.ok) << layout.error;
        if (input.calculatorLines != kAny) {
            EXPECT_EQ(lineCount, input.calculatorLines);
        }
        const SourceOutcome source =
            writeAssemblySource(folder.path().string(), lineCount, "Hostile", kHeaderTemplate);
        ASSERT_TRUE(source.ok) << source.error;
        EXPECT_EQ(source.screenCount, lineCount / 10 + 1);
        const std::string z80 = readFile(folder / "tmp.z80");
        EXPECT_TRUE(z80.ends_with("\r\n.end\r\nEND\r\n"));
    }
}

TEST(HostileInput, Asm83EndsInAProgramOrInMessagesAndWritesNothingOnError) {
    for (const HostileInput& input : hostileInputs()) {
        if (!input.throughToolChain) {
            continue;
        }
        SCOPED_TRACE(input.name);
        TempFolder folder;
        writeFile(folder / "tmp.z80", input.make());
        const ProgramRun run = runProgram(
            {appDir() + "/asm83", "-I", appDir(), "tmp.z80", "tmp.83p"}, folder.path(), 60);
        ASSERT_TRUE(run.finished) << "asm83 did not end within a minute";
        EXPECT_FALSE(run.signalled) << run.output;
        EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 1) << run.output;
        if (run.exitStatus != 0) {
            EXPECT_NE(run.output.find("error:"), std::string::npos) << run.output;
            EXPECT_FALSE(fs::exists(folder / "tmp.83p"));
        } else {
            EXPECT_TRUE(fs::exists(folder / "tmp.83p"));
        }
        EXPECT_EQ(namesIn(folder.path()).size(), run.exitStatus == 0 ? 2u : 1u)
            << "asm83 left a file behind";
    }
}

// The build's waits at 10 times real speed: 0.2 s each, and 6 s for a tool chain at most.
class FastClock final : public Clock {
  public:
    double seconds() override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() *
               kSpeed;
    }
    void pause(double seconds) override {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds / kSpeed));
    }

  private:
    static constexpr double kSpeed = 10;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

TEST(HostileInput, TheBuildEndsInProgramsOrAStatedFailureAndLeavesTheDocumentAlone) {
    struct Expected {
        const char* name;
        bool ok;
        BuildStep step;
        // A slow machine may stop asm83 at the limit before it has refused the program.
        bool mayTimeOut = false;
    };
    const Expected expectations[] = {
        {"an empty file", false, BuildStep::LineLayout},
        {"NUL bytes", true, BuildStep::None},
        {"bytes 80h-FFh", true, BuildStep::None},
        {"a 10 MB single line", false, BuildStep::LineLayout},
        {"CR-only line ends", true, BuildStep::None},
        {"LF-only line ends", false, BuildStep::LineLayout},
        // Its text makes a program far beyond what a calculator holds: asm83 refuses it.
        {"a binary file (asm83 itself)", false, BuildStep::DeliverTi83, true},
    };
    auto launcher = makeSystemLauncher();
    for (const Expected& expected : expectations) {
        SCOPED_TRACE(expected.name);
        const auto input = std::find_if(
            hostileInputs().begin(), hostileInputs().end(),
            [&](const HostileInput& i) { return std::string_view(i.name) == expected.name; });
        ASSERT_NE(input, hostileInputs().end());
        TempFolder work;
        TempFolder app;
        copyToolChain(app.path().string());
        const std::string document = work / "story.txt";
        const std::string bytes = input->make();
        writeFile(document, bytes);

        FastClock clock;
        const BuildRequest request{
            document, work.path().string(), app.path().string(), "story", "Story", "story"};
        const BuildOutcome outcome =
            runBuild(request, BuildCollaborators{{}, {}, clock, *launcher});
        EXPECT_EQ(outcome.ok, expected.ok) << outcome.message;
        if (!(expected.mayTimeOut && outcome.failedStep == BuildStep::ToolChain)) {
            EXPECT_EQ(outcome.failedStep, expected.step) << outcome.message;
        }
        EXPECT_EQ(outcome.ok, outcome.message.empty());
        EXPECT_EQ(readFile(document), bytes) << "the build changed the document";
        EXPECT_EQ(fs::exists(work / "story.83p"), expected.ok);
    }
}

} // namespace
} // namespace corvane::hostile
