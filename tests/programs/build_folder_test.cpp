// The build brings tmp.z80 to the tool chain unless the working folder is the program folder
// itself: on a file system where letter case matters, a folder named like it in other letters
// is another folder, and the program built there shows its own text.
#include "build_command.h"
#include "chain.h"
#include "driven_clock.h"
#include "files.h"

#include <gtest/gtest.h>

namespace corvane::programs {
namespace {

using corvane::test::DrivenClock;
using corvane::test::readFile;
using corvane::test::writeFile;
namespace fs = std::filesystem;

BuildOutcome buildIn(const fs::path& work, const fs::path& app, const std::string& text) {
    writeFile(work / "story.txt", "Story\r\nstory\r\n" + text + "\r\n");
    DrivenClock clock(0.0, 5.0);
    const auto launcher = makeSystemLauncher();
    const BuildRequest request{
        (work / "story.txt").string(), work.string(), app.string(), "story", "Story", "story"};
    return runBuild(request, BuildCollaborators{{}, {}, clock, *launcher});
}

TEST(ProgramFolder, AFolderNamedLikeItInOtherLettersGetsItsOwnProgram) {
    AppFolderCopy copy;
    const fs::path app = copy.folder();
    const fs::path other = app.parent_path() / "APP FOLDER";
    ASSERT_NE(app.filename(), other.filename());
    fs::create_directories(other);

    const BuildOutcome first = buildIn(app, app, "First text");
    ASSERT_TRUE(first.ok) << first.message;
    const BuildOutcome second = buildIn(other, app, "Second text");
    ASSERT_TRUE(second.ok) << second.message;

    for (const auto& [program, model] : {std::pair{"story.83p", harness::Model::TI83},
                                         std::pair{"story.8xp", harness::Model::TI83Plus}}) {
        SCOPED_TRACE(program);
        harness::Calculator calculator(model);
        ASSERT_EQ(calculator.loadProgramFile(readFile(other / program)), "");
        const harness::RunResult run = calculator.run();
        ASSERT_EQ(run.failure, "");
        ASSERT_EQ(run.keyWaits.size(), 1u);
        ASSERT_EQ(run.keyWaits[0].size(), 1u);
        EXPECT_EQ(run.keyWaits[0][0].text, shownCodes("Second text", model));
    }
}

} // namespace
} // namespace corvane::programs
