// corvane --compile as an unprivileged user from the copies people run: an installed tree
// it may not write to, a portable copy in its own folder, and a portable copy unpacked by
// another user. Every one delivers the same programs, and they show the text when run.
#include "chain.h"
#include "files.h"
#include "run_program.h"
#include "temp_folder.h"
#include "ti_program_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace corvane::install {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

const std::vector<std::string> kText = {"Hello calculator",
                                        "A line longer than twenty-three characters"};

std::string document() {
    std::string bytes = "My story\r\nstory\r\n";
    for (const std::string& line : kText) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// The program file shows the text's calculator lines on its first screen.
void expectShowsText(const std::string& file, harness::Model model) {
    const tifile::Parsed parsed = tifile::parseProgramFile(file);
    ASSERT_TRUE(parsed.file) << parsed.error;
    EXPECT_EQ(parsed.file->name, "STORY");
    std::vector<std::string> lines;
    for (const std::string& line : kText) {
        for (const std::string& piece : programs::cutLine(line)) {
            lines.push_back(piece);
        }
    }
    harness::Calculator calculator(model);
    ASSERT_EQ(calculator.loadProgramFile(file), "");
    const harness::RunResult run = calculator.run();
    ASSERT_EQ(run.failure, "");
    ASSERT_EQ(run.keyWaits.size(), 1u);
    ASSERT_EQ(run.keyWaits[0].size(), lines.size());
    for (std::size_t row = 0; row < lines.size(); ++row) {
        EXPECT_EQ(run.keyWaits[0][row].text, programs::shownText(lines[row], model));
    }
}

void setOwner(const fs::path& path, std::pair<unsigned, unsigned> user) {
    ASSERT_EQ(::chown(path.c_str(), user.first, user.second), 0) << path;
}

// Takes write permission away from everything under `folder`, and from `folder`.
void makeReadOnly(const fs::path& folder) {
    constexpr fs::perms kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        fs::permissions(entry.path(), kWrite, fs::perm_options::remove);
    }
    fs::permissions(folder, kWrite, fs::perm_options::remove);
}

void copyPortable(const fs::path& to) {
    fs::create_directories(to);
    for (const char* name : {"corvane", "asm83", "asm.bat", "ion.inc", "reader.inc"}) {
        fs::copy_file(fs::path(CORVANE_APP_DIR) / name, to / name);
    }
}

struct Copy {
    const char* name;
    const char* program;         // under the test's root
    const char* toolChainFolder; // where comp.bat is written
};

TEST(InstalledCopy, BuildsAsAnUnprivilegedUserAndDeliversTheSamePrograms) {
    const auto user = test::unprivilegedUser();
    TempFolder root;
    fs::permissions(root.path(), fs::perms::owner_all | fs::perms::group_exec |
                                     fs::perms::others_exec | fs::perms::group_read |
                                     fs::perms::others_read);
    const fs::path prefix = root.path() / "prefix";
    const test::ProgramRun install = test::runProgram(
        {CMAKE_COMMAND, "--install", CORVANE_BINARY_DIR, "--prefix", prefix.string()});
    ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    makeReadOnly(prefix);
    copyPortable(root.path() / "portable");
    setOwner(root.path() / "portable", user);
    copyPortable(root.path() / "unpacked");

    const Copy copies[] = {
        {"installed", "prefix/bin/corvane", "home/.local/share/corvane/toolchain"},
        {"portable", "portable/corvane", "portable"},
        {"portable copy of another user", "unpacked/corvane",
         "home/.local/share/corvane/toolchain"},
    };
    std::optional<std::pair<std::string, std::string>> firstPrograms;
    for (const Copy& copy : copies) {
        SCOPED_TRACE(copy.name);
        const fs::path home = root.path() / "home";
        const fs::path work = root.path() / "work";
        fs::remove_all(home);
        fs::remove_all(work);
        fs::create_directories(home);
        fs::create_directories(work);
        setOwner(home, user);
        setOwner(work, user);
        writeFile(work / "story.txt", document());
        setOwner(work / "story.txt", user);

        test::RunOptions options;
        options.folder = work.string();
        options.user = user;
        options.environment = {{"HOME", home.string()},
                               {"XDG_DATA_HOME", ""},
                               {"DISPLAY", ""},
                               {"WAYLAND_DISPLAY", ""}};
        const std::string program = (root.path() / copy.program).string();
        test::ProgramRun result = test::runProgram({program, "--compile", "story.txt"}, options);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(fs::exists(root.path() / copy.toolChainFolder / "comp.bat"));

        // The per-user folder is refreshed before each build: a damaged asm.bat there is
        // replaced by the installed one.
        const fs::path userScript = root.path() / copy.toolChainFolder / "asm.bat";
        if (copy.toolChainFolder != std::string("portable")) {
            writeFile(userScript, "#!/bin/sh\nexit 3\n");
            result = test::runProgram({program, "--compile", "story.txt"}, options);
            ASSERT_EQ(result.exitStatus, 0) << result.err;
        }

        const std::string ti83 = readFile(work / "story.83p");
        const std::string ti83Plus = readFile(work / "story.8xp");
        expectShowsText(ti83, harness::Model::TI83);
        expectShowsText(ti83Plus, harness::Model::TI83Plus);
        if (firstPrograms) {
            EXPECT_EQ(ti83, firstPrograms->first);
            EXPECT_EQ(ti83Plus, firstPrograms->second);
        } else {
            firstPrograms.emplace(ti83, ti83Plus);
        }
    }
    // The installed asm83 on its own finds the installed ion.inc.
    test::RunOptions alone;
    alone.folder = (root.path() / "work").string();
    alone.user = user;
    const test::ProgramRun assembled = test::runProgram(
        {(prefix / "bin/asm83").string(), "-D", "TI83P", "tmp.z80", "alone.8xp"}, alone);
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
