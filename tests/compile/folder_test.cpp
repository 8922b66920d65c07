// Which paths name one folder, and the program folder's lock: two editors building from one
// program folder at the same moment.
#include "folder_identity.h"
#include "scene.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

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
#ifdef _WIN32
        // Windows ignores letter case in names; a path that cannot be opened is compared as
        // written.
        {texts, root.path() / "TEXTS", true},
        {root.path() / "missing", root.path() / "missing", true},
#else
        {texts, root.path() / "link", true},
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
    Scene first;
    Scene second;
    const std::string texts[] = {"FIRSTTEXT", "SECONDTEXT"};
    Scene* const editors[] = {&first, &second};
    for (int e = 0; e < 2; ++e) {
        editors[e]->useRealToolChain();
        writeFile(editors[e]->work / "story.txt", "Story\r\nstory\r\n" + texts[e] + "\r\n");
    }
    second.request.appFolder = first.request.appFolder;

    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        _exit(second.build().ok ? 0 : 1);
    }
    const BuildOutcome outcome = first.build();
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);

    ASSERT_TRUE(outcome.ok) << outcome.message;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other editor's build";
    for (int e = 0; e < 2; ++e) {
        for (const char* program : {"story.83p", "story.8xp"}) {
            const std::string bytes = readFile(editors[e]->work / program);
            EXPECT_NE(bytes.find(texts[e]), std::string::npos) << program;
            EXPECT_EQ(bytes.find(texts[1 - e]), std::string::npos) << program;
        }
    }
}
#endif

} // namespace
} // namespace corvane::test
