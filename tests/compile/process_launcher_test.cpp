#include "build_command.h"
#include "process_launcher.h"
#include "stand_ins.h"

#include <csignal>
#include <gtest/gtest.h>

namespace corvane::test {
namespace {

// Real processes end in their own time: wait for them, but never for ever.
template <typename Condition> bool eventually(Condition condition) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

struct PlanCase {
    const char* name;
    std::vector<std::string> lines;
    std::string folder;
    std::string script;
    std::string error; // a part of the expected error; empty when none
};

TEST(PlanBatch, CarriesOutDriveCdAndScriptLines) {
    const PlanCase cases[] = {
#ifdef _WIN32
        {"comp.bat of a drive",
         {"@D:", "@cd D:\\Corvane", "@asm.bat"},
         "D:\\Corvane",
         "asm.bat",
         ""},
        {"relative cd", {"cd sub dir", "ASM.BAT"}, "/start\\sub dir", "ASM.BAT", ""},
#else
        {"comp.bat of a drive",
         {"@D:", "@cd D:\\Corvane", "@asm.bat"},
         "/start/D:\\Corvane",
         "asm.bat",
         ""},
        {"relative cd", {"cd sub dir", "ASM.BAT"}, "/start/sub dir", "ASM.BAT", ""},
#endif
        {"comp.bat without a drive",
         {"@", "@cd /opt/my tools", "@asm.bat"},
         "/opt/my tools",
         "asm.bat",
         ""},
        {"bare cd shows the folder", {"@CD", "@asm.bat"}, "/start", "asm.bat", ""},
        {"lines after the script are not reached",
         {"@asm.bat", "@cd /elsewhere", "rm -rf /"},
         "/start",
         "asm.bat",
         ""},
        {"no script at all", {"@C:", "@cd /opt"}, "/opt", "", ""},
        {"a command it does not know", {"@cd /opt", "@del *.*"}, "", "", "line 2"},
        {"a script with arguments", {"@asm.bat now"}, "", "", "asm.bat now"},
        {"cd glued to its path", {"@cd/opt"}, "", "", "line 1"},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const BatchPlan plan = planBatch(c.lines, "/start");
        if (c.error.empty()) {
            EXPECT_EQ(plan.error, "");
            EXPECT_EQ(plan.folder, c.folder);
            EXPECT_EQ(plan.script, c.script);
        } else {
            EXPECT_NE(plan.error.find(c.error), std::string::npos) << plan.error;
        }
    }
}

class Launcher : public ::testing::Test {
  protected:
    // comp.bat in its own folder that changes into `folder` and runs `script` there. asm.bat
    // is written without execute permission: the launcher hands it to /bin/sh.
    std::string prepare(const fs::path& folder, const std::string& script) {
        fs::create_directories(folder);
        writeFile(folder / "asm.bat", script);
        const std::string batch = (root.path() / "comp.bat").string();
        writeFile(batch, compBatContents(folder.string()));
        return batch;
    }

    TempFolder root;
    std::unique_ptr<ProcessLauncher> launcher = makeSystemLauncher();
};

#ifdef _WIN32

TEST_F(Launcher, RunsTheScriptDetachedAndReportsHowItEnded) {
    struct Case {
        const char* script;
        int status;
    };
    const Case cases[] = {
        {"@exit /b 0\r\n", 0},
        {"@exit /b 3\r\n", 3},
        // It runs in the folder comp.bat changes into, blanks and parentheses and all.
        {"@cd > where.txt\r\n", 0},
    };
    const fs::path folder = root.path() / "app folder (x86)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        auto started = launcher->start(prepare(folder, c.script));
        ASSERT_TRUE(started.process) << started.error;
        ASSERT_TRUE(eventually([&] { return !started.process->running(); }));
        EXPECT_EQ(started.process->exitStatus(), c.status);
    }
    EXPECT_EQ(readFile(folder / "where.txt"), folder.string() + "\r\n");
}

TEST_F(Launcher, RefusesWhatItCannotCarryOut) {
    struct Case {
        const char* name;
        std::string batch;
        std::string error;
    };
    const fs::path folder = root.path() / "app";
    fs::create_directories(folder);
    writeFile(root.path() / "noscript.bat", "@cd " + folder.string() + "\r\n@asm.bat\r\n");
    const Case cases[] = {
        {"no comp.bat", (root.path() / "missing.bat").string(), "missing.bat"},
        {"no asm.bat", (root.path() / "noscript.bat").string(), "asm.bat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto started = launcher->start(c.batch);
        EXPECT_FALSE(started.process);
        EXPECT_NE(started.error.find(c.error), std::string::npos) << started.error;
    }
}

TEST_F(Launcher, StopEndsTheScript) {
    const fs::path folder = root.path() / "app";
    auto started = launcher->start(prepare(folder, "@ping -n 1000 127.0.0.1 >nul\r\n"));
    ASSERT_TRUE(started.process) << started.error;
    EXPECT_TRUE(started.process->running());

    started.process->stop();

    EXPECT_FALSE(started.process->running());
    EXPECT_EQ(started.process->exitStatus(), 1);
}

#else

TEST_F(Launcher, RunsTheScriptDetachedAndReportsHowItEnded) {
    struct Case {
        const char* script;
        int status;
    };
    const Case cases[] = {
        {"exit 0", 0},
        {"exit 3", 3},
        {"kill -TERM $$", 128 + SIGTERM},
        // Its input is empty, never the editor's terminal.
        {"if read line; then exit 1; fi; exit 0", 0},
        // Its output goes nowhere: a pipe the editor never reads could stall it.
        {"[ \"$(readlink /proc/$$/fd/1)\" = /dev/null ] && [ \"$(readlink /proc/$$/fd/2)\" = "
         "/dev/null ]",
         0},
        // It runs in the folder comp.bat changes into, blanks and all.
        {"pwd > where.txt", 0},
    };
    const fs::path folder = root.path() / "app folder";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        auto started = launcher->start(prepare(folder, c.script));
        ASSERT_TRUE(started.process) << started.error;
        ASSERT_TRUE(eventually([&] { return !started.process->running(); }));
        EXPECT_EQ(started.process->exitStatus(), c.status);
    }
    EXPECT_EQ(readFile(folder / "where.txt"), folder.string() + "\n");
}

TEST_F(Launcher, RefusesWhatItCannotCarryOut) {
    struct Case {
        const char* name;
        std::string batch;
        std::string error;
    };
    const fs::path folder = root.path() / "app";
    fs::create_directories(folder);
    writeFile(root.path() / "unknown.bat", "@cd " + folder.string() + "\r\n@format c:\r\n");
    writeFile(root.path() / "nofolder.bat", "@cd " + folder.string() + "/gone\r\n@asm.bat\r\n");
    writeFile(root.path() / "noscript.bat", "@cd " + folder.string() + "\r\n@asm.bat\r\n");
    const Case cases[] = {
        {"no comp.bat", (root.path() / "missing.bat").string(), "missing.bat"},
        {"a line it does not know", (root.path() / "unknown.bat").string(), "format c:"},
        {"a folder that does not exist", (root.path() / "nofolder.bat").string(),
         "No such file or directory"},
        {"no asm.bat", (root.path() / "noscript.bat").string(), "asm.bat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto started = launcher->start(c.batch);
        EXPECT_FALSE(started.process);
        EXPECT_NE(started.error.find(c.error), std::string::npos) << started.error;
    }
}

TEST_F(Launcher, StopEndsTheScriptAndWhatItStarted) {
    const fs::path folder = root.path() / "app";
    auto started = launcher->start(prepare(folder, "sleep 1000 & echo $! > sleeper.pid; wait"));
    ASSERT_TRUE(started.process) << started.error;
    ASSERT_TRUE(eventually([&] { return readFile(folder / "sleeper.pid").ends_with("\n"); }));
    const pid_t sleeper = std::stoi(readFile(folder / "sleeper.pid"));
    EXPECT_TRUE(started.process->running());

    started.process->stop();

    EXPECT_FALSE(started.process->running());
    EXPECT_EQ(started.process->exitStatus(), 128 + SIGTERM);
    EXPECT_TRUE(eventually([&] { return processGone(sleeper); }));
}

#endif

} // namespace
} // namespace corvane::test
