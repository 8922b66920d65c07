// corvane --compile as an unprivileged user from the copies people run: an installed tree
// it may not write to, a portable copy in its own folder, and a portable copy unpacked by
// another user. Every one delivers the same programs, and they show the text when run.
#include "files.h"
#include "run_program.h"
#include "shows_text.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace corvane::install {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

void setOwner(const fs::path& path, std::pair<unsigned, unsigned> user) {
    ASSERT_EQ(::chown(path.c_str(), user.first, user.second), 0) << path;
}

void copyPortable(const fs::path& to) {
    fs::create_directories(to);
    for (const char* name : {"corvane", "asm83", "asm.bat", "ion.inc", "reader.inc"}) {
        fs::copy_file(fs::path(CORVANE_APP_DIR) / name, to / name);
    }
}

TEST(InstalledCopy, BuildsAsAnUnprivilegedUserAndDeliversTheSamePrograms) {
    const auto user = test::unprivilegedUser();
    TempFolder root;
    fs::permissions(root.path(), fs::perms(0755));
    const fs::path prefix = root.path() / "prefix";
    const test::ProgramRun install = test::runProgram(
        {CMAKE_COMMAND, "--install", CORVANE_BINARY_DIR, "--prefix", prefix.string()});
    ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    // Write permission taken away from the installed tree, for every user.
    ASSERT_EQ(test::runProgram({"/bin/chmod", "-R", "a-w", prefix.string()}).exitStatus, 0);
    copyPortable(root.path() / "portable");
    setOwner(root.path() / "portable", user);
    copyPortable(root.path() / "unpacked");

    // Each copy's program, and the folder it writes comp.bat into, under the test's root.
    const std::tuple<const char*, const char*, std::string> copies[] = {
        {"installed", "prefix/bin/corvane", "home/.local/share/corvane/toolchain"},
        {"portable", "portable/corvane", "portable"},
        {"portable copy of another user", "unpacked/corvane",
         "home/.local/share/corvane/toolchain"},
    };
    const fs::path home = root.path() / "home";
    const fs::path work = root.path() / "work";
    test::RunOptions options;
    options.folder = work.string();
    options.user = user;
    options.environment = {
        {"HOME", home.string()}, {"XDG_DATA_HOME", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    std::vector<std::string> firstPrograms;
    for (const auto& [name, corvane, toolChainFolder] : copies) {
        SCOPED_TRACE(name);
        for (const fs::path& folder : {home, work}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
            setOwner(folder, user);
        }
        writeFile(work / "story.txt", "My story\r\nstory\r\n" + test::kStoryText[0] + "\r\n" +
                                          test::kStoryText[1] + "\r\n");
        setOwner(work / "story.txt", user);

        const std::string program = (root.path() / corvane).string();
        test::ProgramRun result = test::runProgram({program, "--compile", "story.txt"}, options);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(fs::exists(root.path() / toolChainFolder / "comp.bat"));

        // The per-user folder is refreshed before each build: a damaged asm.bat there is
        // replaced by the installed one.
        if (toolChainFolder != "portable") {
            writeFile(root.path() / toolChainFolder / "asm.bat", "#!/bin/sh\nexit 3\n");
            result = test::runProgram({program, "--compile", "story.txt"}, options);
            ASSERT_EQ(result.exitStatus, 0) << result.err;
        }

        // Every copy delivers the programs of the first, which show the text.
        const std::vector<std::string> programs = {readFile(work / "story.83p"),
                                                   readFile(work / "story.8xp")};
        if (firstPrograms.empty()) {
            EXPECT_EQ(test::storyShowing(programs[0], harness::Model::TI83), "");
            EXPECT_EQ(test::storyShowing(programs[1], harness::Model::TI83Plus), "");
            firstPrograms = programs;
        }
        EXPECT_EQ(programs, firstPrograms);
    }
    // The installed asm83 on its own finds the installed ion.inc.
    const test::ProgramRun assembled = test::runProgram(
        {(prefix / "bin/asm83").string(), "-D", "TI83P", "tmp.z80", "alone.8xp"}, options);
    EXPECT_EQ(assembled.exitStatus, 0) << assembled.err;
    // Nothing was written into the installed tree.
    std::vector<std::string> installed;
    for (const auto& entry : fs::recursive_directory_iterator(prefix / "bin")) {
        installed.push_back(entry.path().filename().string());
    }
    std::sort(installed.begin(), installed.end());
    EXPECT_EQ(installed, (std::vector<std::string>{"asm83", "corvane"}));
}

} // namespace
} // namespace corvane::install
