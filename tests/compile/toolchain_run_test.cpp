// Builds that start a real process through comp.bat: stand-in asm.bat scripts, and the
// tool chain itself.
#include "path.h"
#include "scene.h"
#include "tool_chain.h"

#include <cstdlib>

namespace corvane::test {
namespace {

// A scene whose comp.bat really runs, with `script` as asm.bat and the tool chain's two
// outputs at hand in the program folder as ready.83p and ready.8xp.
void useRealToolChain(Scene& scene, const std::string& script) {
    scene.launcher = makeSystemLauncher();
    writeFile(scene.app / "ready.83p", programBytes(CalculatorModel::TI83));
    writeFile(scene.app / "ready.8xp", programBytes(CalculatorModel::TI83Plus));
#ifdef _WIN32
    for (const char* ready : {"ready.83p", "ready.8xp"}) {
        fs::last_write_time(scene.app / ready,
                            fs::file_time_type::clock::now() + std::chrono::hours(1));
    }
#endif
    writeFile(scene.app / "asm.bat", script);
}

#ifdef _WIN32
// copy keeps the source's file time: the ready programs are dated ahead (useRealToolChain), so
// that their copies count as written during the build.
const char* const kCopyOutputs =
    "@copy /y ready.83p tmp.83p >nul\r\n@copy /y ready.8xp tmp.8xp >nul\r\n";
const char* const kSlowCopyOutputs = "@ping -n 2 127.0.0.1 >nul\r\n";
const char* const kEndlessToolChain = "@ping -n 1000 127.0.0.1 >nul\r\n";
#else
const char* const kCopyOutputs = "cp ready.83p tmp.83p && cp ready.8xp tmp.8xp\n";
const char* const kSlowCopyOutputs = "sleep 0.3\n";
const char* const kFailingToolChain = "echo 'tmp.z80:3: error: no such label' > asm.log; exit 2\n";
const char* const kEndlessToolChain =
    "echo $$ > runner.pid; sleep 1000 & echo $! > sleeper.pid; wait\n";
#endif

TEST(RealProcess, AToolChainThatFinishesAtOnceStillTakesTwoFullWaits) {
    Scene scene;
    useRealToolChain(scene, kCopyOutputs);
    SteadyClock clock;
    scene.useClock = &clock;

    const double start = clock.seconds();
    const BuildOutcome outcome = scene.build();
    const double elapsed = clock.seconds() - start;

    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_GE(elapsed, 4.0);
    expectDelivered(scene.work / "story.83p", CalculatorModel::TI83, "STORY");
    expectDelivered(scene.work / "story.8xp", CalculatorModel::TI83Plus, "STORY");
}

struct RealCase {
    const char* name;
    std::string script; // asm.bat
    bool earlierOutputs;
    bool ok;
    BuildStep step;
    std::vector<std::string> saying;
};

// The clock runs 40 times faster than real time: a 60-second limit passes in 1.5 seconds.
// Under wine a process takes about a second to start, so there it runs 10 times faster.
#ifdef _WIN32
constexpr double kClockSpeed = 10.0;
#else
constexpr double kClockSpeed = 40.0;
#endif

TEST(RealProcess, OnlyWhatTheToolChainWroteDuringTheBuildIsDelivered) {
    const RealCase cases[] = {
        {"a tool chain slower than the second wait",
         std::string(kSlowCopyOutputs) + kCopyOutputs,
         true,
         true,
         BuildStep::None,
         {}},
        {"a tool chain that never ends",
         kEndlessToolChain,
         false,
         false,
         BuildStep::ToolChain,
         {"not answering"}},
    };
    for (const RealCase& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        useRealToolChain(scene, c.script);
        DrivenClock fast(0.0, kClockSpeed);
        scene.useClock = &fast;
        if (c.earlierOutputs) {
            scene.produce();
            makeOld(scene.app / "tmp.83p");
            makeOld(scene.app / "tmp.8xp");
        }

        const BuildOutcome outcome = scene.build();

        EXPECT_EQ(outcome.ok, c.ok) << outcome.message;
        EXPECT_EQ(outcome.failedStep, c.step);
        for (const std::string& part : c.saying) {
            EXPECT_NE(outcome.message.find(part), std::string::npos) << outcome.message;
        }
        EXPECT_EQ(fs::exists(scene.work / "story.83p"), c.ok);
        EXPECT_EQ(outcome.deliveredSize.has_value(), c.ok);
#ifndef _WIN32
        if (c.step == BuildStep::ToolChain) {
            for (const char* pidFile : {"runner.pid", "sleeper.pid"}) {
                const std::string pid = readFile(scene.app / pidFile);
                ASSERT_FALSE(pid.empty()) << pidFile;
                EXPECT_TRUE(processGone(std::stoi(pid))) << pidFile;
            }
        }
#endif
    }
}

TEST(RealToolChain, AOneLineDocumentBuildsIntoBothProgramsWithTheirSize) {
    Scene scene;
    copyToolChain(scene.app);
    scene.launcher = makeSystemLauncher();
    // Slowed down from the other cases: asm83 may be a sanitizer build on a busy machine.
    DrivenClock fast(0.0, 5.0);
    scene.useClock = &fast;
    scene.request.calculatorFileName = "Tale1";

    const BuildOutcome outcome = scene.build();

    ASSERT_TRUE(outcome.ok) << outcome.message;
    expectDelivered(scene.work / "story.83p", CalculatorModel::TI83, "TALE1");
    expectDelivered(scene.work / "story.8xp", CalculatorModel::TI83Plus, "TALE1");
    EXPECT_EQ(outcome.deliveredSize, fs::file_size(scene.work / "story.83p"));
    EXPECT_EQ(fs::file_size(scene.work / "story.83p"), fs::file_size(scene.app / "tmp.83p"));
}

// A reader build of a text too long for one part of the smallest size delivers one pair per
// part, named story-1.83p ... under STORY1 ....
TEST(RealToolChain, AReaderInPartsDeliversOnePairPerPart) {
    Scene scene;
    copyToolChain(scene.app);
    scene.launcher = makeSystemLauncher();
    DrivenClock fast(0.0, 5.0);
    scene.useClock = &fast;
    std::string document = "My story\r\nstory\r\n";
    for (int line = 0; line < 300; ++line) {
        document += "A line of the story, " + std::to_string(line) + "\r\n";
    }
    writeFile(scene.work / "story.txt", document);
    scene.request.kind = ProgramKind::Reader;
    scene.request.partBytes = kReaderMinimumPartBytes;

    const BuildOutcome outcome = scene.build();

    ASSERT_TRUE(outcome.ok) << outcome.message;
    ASSERT_EQ(outcome.delivered.size() % 2, 0u);
    const std::size_t parts = outcome.delivered.size() / 2;
    ASSERT_GT(parts, 2u);
    for (std::size_t part = 1; part <= parts; ++part) {
        const std::string name = "STORY" + std::to_string(part);
        const std::string file = "story-" + std::to_string(part);
        expectDelivered(scene.work / (file + ".83p"), CalculatorModel::TI83, name);
        expectDelivered(scene.work / (file + ".8xp"), CalculatorModel::TI83Plus, name);
        EXPECT_LE(fs::file_size(scene.work / (file + ".8xp")), kReaderMinimumPartBytes + 80);
    }
    EXPECT_FALSE(fs::exists(scene.work / "story.8xp"));
}

TEST(BuildCommand, AReaderPartSizeOutsideItsLimitsIsRefused) {
    for (const std::size_t bytes : {kReaderMinimumPartBytes - 1, readerPartBytesLimit() + 1}) {
        Scene scene;
        scene.request.kind = ProgramKind::Reader;
        scene.request.partBytes = bytes;
        const BuildOutcome outcome = scene.build();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.failedStep, BuildStep::PartSize);
        EXPECT_NE(outcome.message.find("Compile as a reader failed while checking the part size"),
                  std::string::npos)
            << outcome.message;
        EXPECT_FALSE(fs::exists(scene.work / "temp.ett"));
    }
}

// The program folder's name reaches the command interpreter twice: in its command line and in
// comp.bat's "@cd" line. When CORVANE_KEEP_TOOLCHAIN_OUTPUT names a folder, the first case's
// tmp.z80, tmp.83p and tmp.8xp are kept there, for a comparison with another system's.
TEST(RealToolChain, BuildsInAProgramFolderWithBlanksParenthesesOrLettersBeyondAscii) {
    struct Case {
        const char* name;
        std::string folder; // in the file system's narrow encoding
        bool kept = false;
    };
    const Case cases[] = {
        {"a blank and parentheses", "Program Files (x86)", true},
#ifdef _WIN32
        // "Grüße" in the ANSI code page; comp.bat must carry it in the OEM one.
        {"letters beyond ASCII", "Gr\xFC\xDF"
                                 "e"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene(c.folder);
        // std::filesystem spells a narrow name in UTF-8 on Windows; the build takes the
        // system's code page, as the window hands it over.
        scene.request.appFolder = scene.root.path().string() + kPathSeparator + c.folder;
        copyToolChain(scene.app);
        scene.launcher = makeSystemLauncher();
        DrivenClock fast(0.0, 5.0);
        scene.useClock = &fast;

        const BuildOutcome outcome = scene.build();

        ASSERT_TRUE(outcome.ok) << outcome.message;
        expectDelivered(scene.work / "story.83p", CalculatorModel::TI83, "STORY");
        expectDelivered(scene.work / "story.8xp", CalculatorModel::TI83Plus, "STORY");
        if (const char* keep = std::getenv("CORVANE_KEEP_TOOLCHAIN_OUTPUT"); keep && c.kept) {
            fs::create_directories(keep);
            for (const char* file : {"tmp.z80", "tmp.83p", "tmp.8xp"}) {
                fs::copy_file(scene.app / file, fs::path(keep) / file,
                              fs::copy_options::overwrite_existing);
            }
        }
    }
}

} // namespace
} // namespace corvane::test
