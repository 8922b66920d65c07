// Which paths name one folder, and the program folder's lock: two editors building from one
// program folder at the same moment.
#include "build_command.h"
#include "folder_identity.h"
#include "stand_ins.h"

#include <gtest/gtest.h>

namespace corvane::test {
namespace {

TEST(SameFileOrFolder, DecidesByIdentityNotByHowThePathIsWritten) {
    TempFolder root;
    const fs::path texts = root.path() / "Texts";
    fs::create_directories(texts);
    fs::create_directories(root.path() / "TEXTS");
#ifndef _WIN32
    fs::create_directory_symlink(texts, root.path() / "link");
#endif
    struct Case {
        fs::path a;
        fs::path b;
        bool same;
    };
    const Case cases[] = {
        {texts, texts, true},
        {texts, texts / ".", true},
        {texts, texts.string() + "/", true},
#ifndef _WIN32
        {texts, root.path() / "link", true},
#endif
#ifdef _WIN32
        // Windows ignores letter case in names; a path that cannot be opened is compared as
        // written.
        {texts, root.path() / "TEXTS", true},
        {root.path() / "missing", root.path() / "missing", true},
#else
        {texts, root.path() / "TEXTS", false},
        {root.path() / "missing", root.path() / "missing", false},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sameFileOrFolder(c.a.string(), c.b.string()), c.same) << c.a << " | " << c.b;
    }
}

#ifndef _WIN32
// Without the lock the second build's tmp.z80 replaces the first one's before the tool chain
// reads it, and both editors deliver the same program.
TEST(FolderLock, TwoEditorsBuildingFromOneProgramFolderEachDeliverTheirOwnText) {
    const fs::path bin = CORVANE_APP_DIR;
    if (!fs::exists(bin / "asm83") || !fs::exists(bin / "asm.bat")) {
        GTEST_SKIP() << "asm83 and asm.bat are not built in " << bin;
    }
    TempFolder root;
    const fs::path app = root.path() / "app";
    fs::create_directories(app);
    for (const char* tool : {"asm83", "ion.inc", "asm.bat"}) {
        fs::copy_file(bin / tool, app / tool);
    }
    struct Editor {
        fs::path work;
        std::string text;
    };
    const Editor editors[] = {{root.path() / "first", "FIRSTTEXT"},
                              {root.path() / "second", "SECONDTEXT"}};
    for (const Editor& e : editors) {
        fs::create_directories(e.work);
        writeFile(e.work / "story.txt", "Story\r\nstory\r\n" + e.text + "\r\n");
    }
    const auto build = [&app](const Editor& e) {
        DrivenClock clock(0.0, 5.0);
        const auto launcher = makeSystemLauncher();
        const BuildRequest request{(e.work / "story.txt").string(),
                                   e.work.string(),
                                   app.string(),
                                   "story",
                                   "Story",
                                   "story"};
        return runBuild(request, BuildCollaborators{{}, {}, clock, *launcher});
    };

    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        _exit(build(editors[1]).ok ? 0 : 1);
    }
    const BuildOutcome outcome = build(editors[0]);
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);

    ASSERT_TRUE(outcome.ok) << outcome.message;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other editor's build";
    for (const Editor& e : editors) {
        const std::string& otherText = &e == &editors[0] ? editors[1].text : editors[0].text;
        for (const char* program : {"story.83p", "story.8xp"}) {
            const std::string bytes = readFile(e.work / program);
            EXPECT_NE(bytes.find(e.text), std::string::npos) << e.work / program;
            EXPECT_EQ(bytes.find(otherText), std::string::npos) << e.work / program;
        }
    }
}

#endif

} // namespace
} // namespace corvane::test
