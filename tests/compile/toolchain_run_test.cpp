// Builds that start a real process through comp.bat: stand-in asm.bat scripts, and the
// tool chain itself.
#include "scene.h"

namespace corvane::testing {
namespace {

// A scene whose comp.bat really runs, with `script` as asm.bat and the tool chain's two
// outputs at hand in the program folder as ready.83p and ready.8xp.
void useRealToolChain(Scene& scene, const std::string& script) {
    scene.launcher = makeSystemLauncher();
    writeFile(scene.app / "ready.83p", programBytes(tifile::Model::TI83));
    writeFile(scene.app / "ready.8xp", programBytes(tifile::Model::TI83Plus));
    if (!script.empty()) {
        writeFile(scene.app / "asm.bat", script);
    }
}

const char* const kCopyOutputs = "cp ready.83p tmp.83p && cp ready.8xp tmp.8xp\n";

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
    expectDelivered(scene.work / "story.83p", tifile::Model::TI83, "STORY");
    expectDelivered(scene.work / "story.8xp", tifile::Model::TI83Plus, "STORY");
}

struct RealCase {
    const char* name;
    std::string script; // asm.bat; empty for none
    bool earlierOutputs;
    bool ok;
    BuildStep step;
    std::vector<std::string> saying;
};

// The clock runs 20 times faster than real time: a 60-second limit passes in 3 seconds.
TEST(RealProcess, OnlyWhatTheToolChainWroteDuringTheBuildIsDelivered) {
    const RealCase cases[] = {
        {"a tool chain slower than the second wait",
         std::string("sleep 0.3\n") + kCopyOutputs,
         true,
         true,
         BuildStep::None,
         {}},
        {"a tool chain that fails and leaves an earlier build's programs",
         "echo 'tmp.z80:3: error: no such label' > asm.log; exit 2\n",
         true,
         false,
         BuildStep::DeliverTi83,
         {"status 2", "tmp.z80:3: error: no such label"}},
        {"no asm.bat", "", true, false, BuildStep::StartToolChain, {"asm.bat"}},
        {"a tool chain that never ends",
         "echo $$ > runner.pid; sleep 1000 & echo $! > sleeper.pid; wait\n",
         false,
         false,
         BuildStep::ToolChain,
         {"not answering"}},
    };
    for (const RealCase& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        useRealToolChain(scene, c.script);
        FakeClock fast(0.0, 20.0);
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
        if (c.step == BuildStep::ToolChain) {
            for (const char* pidFile : {"runner.pid", "sleeper.pid"}) {
                const std::string pid = readFile(scene.app / pidFile);
                ASSERT_FALSE(pid.empty()) << pidFile;
                EXPECT_TRUE(processGone(std::stoi(pid))) << pidFile;
            }
        }
    }
}

TEST(RealToolChain, AOneLineDocumentBuildsIntoBothProgramsWithTheirSize) {
    const fs::path bin = CORVANE_APP_DIR;
    if (!fs::exists(bin / "asm83") || !fs::exists(bin / "asm.bat")) {
        GTEST_SKIP() << "asm83 and asm.bat are not built in " << bin;
    }
    Scene scene;
    for (const char* tool : {"asm83", "ion.inc", "asm.bat"}) {
        fs::copy_file(bin / tool, scene.app / tool);
    }
    scene.launcher = makeSystemLauncher();
    // Slowed down from the other cases: asm83 may be a sanitizer build on a busy machine.
    FakeClock fast(0.0, 5.0);
    scene.useClock = &fast;
    scene.request.calculatorFileName = "Tale1";

    const BuildOutcome outcome = scene.build();

    ASSERT_TRUE(outcome.ok) << outcome.message;
    expectDelivered(scene.work / "story.83p", tifile::Model::TI83, "TALE1");
    expectDelivered(scene.work / "story.8xp", tifile::Model::TI83Plus, "TALE1");
    EXPECT_EQ(outcome.deliveredSize, fs::file_size(scene.work / "story.83p"));
    EXPECT_EQ(fs::file_size(scene.work / "story.83p"), fs::file_size(scene.app / "tmp.83p"));
}

} // namespace
} // namespace corvane::testing
