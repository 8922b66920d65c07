#include "scene.h"

#include <gtest/gtest.h>

namespace corvane::test {
namespace {

TEST(CompBat, IsThreeLinesEndedByCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"D:\\Program Files\\Corvane", "@D:\r\n@cd D:\\Program Files\\Corvane\r\n@asm.bat\r\n"},
        {"c:\\", "@c:\r\n@cd c:\\\r\n@asm.bat\r\n"},
        {"/opt/my tools/corvane", "@\r\n@cd /opt/my tools/corvane\r\n@asm.bat\r\n"},
        {"\\\\server\\share", "@\r\n@cd \\\\server\\share\r\n@asm.bat\r\n"},
    };
    for (const auto& [folder, expected] : cases) {
        EXPECT_EQ(compBatContents(folder), expected) << folder;
    }
}

TEST(CompBat, NamesTheProgramFolderAsTheCommandInterpreterCanReadIt) {
    struct Case {
        const char* name;
        std::string folder;
        std::string shortName;
        std::string chosen; // empty: refused
        std::string saying;
    };
    const Case cases[] = {
        {"a plain folder", "C:\\Corvane", "", "C:\\Corvane", ""},
        {"a plain folder with a short name", "C:\\Program Files\\Corvane", "C:\\PROGRA~1\\Corvane",
         "C:\\Program Files\\Corvane", ""},
#ifdef _WIN32
        // Under wine the OEM code page is 437: it has "ó" but neither "Ł" nor "ź".
        {"a letter the code page lacks, with a short name", "C:\\Łódź\\Corvane",
         "C:\\LDZ~1\\Corvane", "C:\\LDZ~1\\Corvane", ""},
        {"a letter the code page lacks, without a short name", "C:\\Łódź\\Corvane", "", "",
         "C:\\Łódź\\Corvane holds a character the command interpreter cannot read"},
        {"a short name that still lacks it", "C:\\Łódź\\Corvane", "C:\\Łó~1\\Corvane", "",
         "move Corvane"},
        {"an ampersand, even with a short name", "C:\\A&B\\Corvane", "C:\\AB~1\\Corvane", "",
         "\"&\""},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CompBatFolder chosen = chooseCompBatFolder(c.folder, c.shortName);
        EXPECT_EQ(chosen.folder, c.chosen);
        EXPECT_EQ(chosen.problem.empty(), !c.chosen.empty()) << chosen.problem;
        EXPECT_NE(chosen.problem.find(c.saying), std::string::npos) << chosen.problem;
    }
}

TEST(ToolChainStatus, NamesWhatTheSystemsOwnStatusesMean) {
    const std::pair<int, std::string> cases[] = {
        {0, ""},
        {1, ""},
        {2, ""},
        {-1, ""},
        {static_cast<int>(0xC0000135U), "asm83.exe could not start: a DLL is missing (0xC0000135)"},
        {static_cast<int>(0xC0000005U), "asm83.exe crashed: access violation (0xC0000005)"},
        {static_cast<int>(0xC0001234U),
         "the tool chain ended with the Windows error status 0xC0001234"},
    };
    for (const auto& [status, meaning] : cases) {
        EXPECT_EQ(describeToolChainStatus(status), meaning) << status;
    }
}

TEST(CalculatorFileName, AllowsOneToEightLettersAndDigitsStartingWithALetter) {
    const std::pair<const char*, bool> cases[] = {
        {"story", true},    {"STORY1", true},   {"a", true},       {"abcdefgh", true},
        {"", false},        {"my prog", false}, {"9lives", false}, {"abcdefghi", false},
        {"caf\xE9", false}, {"x-1", false},
    };
    for (const auto& [name, valid] : cases) {
        const std::string problem = checkCalculatorFileName(name);
        EXPECT_EQ(problem.empty(), valid) << name;
        if (!valid) {
            EXPECT_NE(problem.find("1 to 8 letters A-Z or digits 0-9, starting with a letter"),
                      std::string::npos);
        }
    }
}

// The tool chain works on its own copy of the source, started once through comp.bat, after
// the first fixed wait; its programs are delivered after the second, or when a slow tool chain
// ends. Without the fixed waits it starts at once and its programs are delivered as it ends.
TEST(RunBuild, DeliversFreshProgramsUnderTheCalculatorNameAfterTheWaits) {
    struct Case {
        bool fixedWaits;
        double runsFor;
        double startsAfter;    // the screen count
        double deliveredAfter; // the start
    };
    const Case cases[] = {{true, 0, 2, 2}, {true, 7, 2, 7}, {false, 0, 0, 0}, {false, 7, 0, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.fixedWaits << ", " << c.runsFor);
        Scene scene;
        scene.produceEarlier();
        writeFile(scene.work / "story.83p", "an earlier build's program");
        scene.fixedWaits = c.fixedWaits;
        scene.chain.runsFor = c.runsFor;
        scene.chain.atEnd = [&] { scene.produce(); };

        const BuildOutcome outcome = scene.build();

        ASSERT_TRUE(outcome.ok) << outcome.message;
        EXPECT_EQ(outcome.message, "");
        EXPECT_EQ(std::tuple(outcome.lineCount, outcome.screenCount, scene.shownScreenCount),
                  std::tuple(1, 1, 1));
        expectDelivered(scene.work / "story", "STORY");
        EXPECT_EQ(outcome.deliveredSize, fs::file_size(scene.work / "story.83p"));
        EXPECT_EQ(outcome.deliveredSize, programBytes(CalculatorModel::TI83).size());
        EXPECT_EQ(readFile(scene.app / "tmp.z80"), readFile(scene.work / "tmp.z80"));
        EXPECT_EQ(readFile(scene.app / "comp.bat"), compBatContents(scene.app.string()));
        EXPECT_EQ(scene.chain.batchPath, (scene.app / "comp.bat").string());
        EXPECT_EQ(scene.chain.starts, 1);
        EXPECT_NEAR(scene.chain.startedAt - scene.screenCountAt, c.startsAfter + 0.05, 0.05);
        EXPECT_NEAR(scene.deliveredAt - scene.chain.startedAt, c.deliveredAfter + 0.05, 0.05);
    }
}

struct FailureCase {
    const char* name;
    std::function<void(Scene&)> arrange;
    BuildStep step;
    std::vector<std::string> saying;
    std::vector<std::string> notSaying = {};
    bool ti83Delivered = false;
};

TEST(RunBuild, AFailingStepEndsTheBuildAndSaysWhy) {
    const FailureCase cases[] = {
        {"a calculator file name with a blank",
         [](Scene& s) { s.request.calculatorFileName = "my prog"; },
         BuildStep::CalculatorFileName,
         {"\"my prog\"", "1 to 8 letters"}},
        {"a document file name that leaves no base name",
         [](Scene& s) { s.request.baseName.clear(); },
         BuildStep::ProgramFileNames,
         {"no name for the programs once its extension is dropped", "Save as"}},
        {"the document saved as the working folder's tmp.z80",
         [](Scene& s) { s.saveDocumentAs(s.work / "tmp.z80"); },
         BuildStep::DocumentFile,
         {"tmp.z80, which the build replaces", "Save as"}},
        {"the document saved as the program it would become",
         [](Scene& s) { s.saveDocumentAs(s.work / "story.83p"); },
         BuildStep::DocumentFile,
         {"story.83p, which the build replaces"},
         {},
         true},
        {"another editor builds in the program folder for a whole minute",
         [](Scene& s) {
             s.otherEditor = std::make_unique<FolderLock>((s.app / "corvane.lock").string());
             ASSERT_EQ(s.otherEditor->tryLock(), FolderLock::Attempt::Held);
         },
         BuildStep::ProgramFolderLock,
         {"another Corvane is building in the program folder", "60 seconds"}},
        {"a text too long for the calculators",
         [](Scene& s) {
             writeFile(s.work / "story.txt", "My story\r\nstory\r\n" + std::string(5000, '\n'));
         },
         BuildStep::CalculatorFit,
         {"5,000 calculator lines", "TI-83 Plus program holds at most 697", "C000h"}},
        {"the document file is gone",
         [](Scene& s) { fs::remove(s.work / "story.txt"); },
         BuildStep::LineLayout,
         {"story.txt"}},
        {"the program folder does not exist",
         [](Scene& s) { s.request.appFolder = (s.root.path() / "nowhere").string(); },
         BuildStep::CopySource,
         {"Could not copy", "tmp.z80", "No such file or directory"}},
        {"comp.bat cannot be written",
         [](Scene& s) { fs::create_directories(s.app / "comp.bat"); },
         BuildStep::WriteCompBat,
         {"comp.bat"}},
#ifdef _WIN32
        // comp.bat's unquoted "@cd" line, read in the OEM code page (437 under wine).
        {"a program folder with a percent sign",
         [](Scene& s) {
             s.request.appFolder = s.app.string() + "%PATH%";
             fs::create_directories(s.request.appFolder);
         },
         BuildStep::WriteCompBat,
         {"\"%\""}},
#endif
        {"the tool chain cannot be started",
         [](Scene& s) { s.chain.startError = "asm.bat: cannot be run"; },
         BuildStep::StartToolChain,
         {"asm.bat: cannot be run"}},
        {"the tool chain fails and leaves an earlier build's programs",
         [](Scene& s) {
             s.produceEarlier();
             s.chain.exitStatus = 1;
             s.chain.atStart = [&s] {
                 writeFile(s.app / "asm.log", "tmp.z80:12: error: unknown instruction\n");
             };
         },
         BuildStep::DeliverTi83,
         {"left from an earlier build", "status 1", "tmp.z80:12: error: unknown instruction"}},
        {"asm83 cannot start for want of a DLL",
         [](Scene& s) {
             s.chain.exitStatus = static_cast<int>(0xC0000135U);
             s.chain.atStart = [&s] { writeFile(s.app / "asm.log", ""); };
         },
         BuildStep::DeliverTi83,
         {"did not write", "asm83.exe could not start: a DLL is missing (0xC0000135)"}},
        {"an earlier build's asm.log is not quoted",
         [](Scene& s) {
             writeFile(s.app / "asm.log", "messages of an earlier build");
             makeOld(s.app / "asm.log");
         },
         BuildStep::DeliverTi83,
         {"did not write", "tmp.83p"},
         {"messages of an earlier build"}},
        {"only the TI-83 program is written",
         [](Scene& s) { s.chain.atStart = [&s] { s.produce(true, false); }; },
         BuildStep::DeliverTi83Plus,
         {"did not write", "tmp.8xp"},
         {},
         true},
        {"the tool chain leaves a damaged program",
         [](Scene& s) {
             writeFile(s.work / "story.83p", "an earlier build's program");
             s.chain.atStart = [&s] {
                 std::string bytes = programBytes(CalculatorModel::TI83);
                 bytes.back() ^= 0x5A;
                 writeFile(s.app / "tmp.83p", bytes);
             };
         },
         BuildStep::DeliverTi83,
         {"checksum"},
         {},
         true},
        {"the tool chain never ends",
         [](Scene& s) { s.chain.runsFor = std::numeric_limits<double>::infinity(); },
         BuildStep::ToolChain,
         {"not answering", "60 seconds"}},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        c.arrange(scene);
        const std::string document = readFile(scene.request.documentPath);
        // A program an earlier build delivered stays whole.
        const std::string earlier = readFile(scene.work / "story.83p");
        const auto before = filesIn(scene.work);

        const BuildOutcome outcome = scene.build();

        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.failedStep, c.step);
        EXPECT_FALSE(outcome.deliveredSize);
        EXPECT_TRUE(outcome.message.starts_with("Compile for ion failed while " +
                                                std::string(describeStep(c.step))))
            << outcome.message;
        for (const std::string& part : c.saying) {
            EXPECT_NE(outcome.message.find(part), std::string::npos) << outcome.message;
        }
        for (const std::string& part : c.notSaying) {
            EXPECT_EQ(outcome.message.find(part), std::string::npos) << outcome.message;
        }
        // A message names each file once.
        const std::size_t named = outcome.message.find(scene.request.documentPath);
        EXPECT_EQ(outcome.message.find(scene.request.documentPath, named + 1), std::string::npos)
            << outcome.message;
        EXPECT_EQ(readFile(scene.request.documentPath), document);
        EXPECT_EQ(fs::exists(scene.work / "story.83p"), c.ti83Delivered);
        if (!earlier.empty()) {
            EXPECT_EQ(readFile(scene.work / "story.83p"), earlier);
        }
        EXPECT_FALSE(fs::exists(scene.work / "story.83p.part"));
        EXPECT_FALSE(fs::exists(scene.work / "story.8xp"));
        EXPECT_EQ(scene.chain.starts, c.step >= BuildStep::StartToolChain ? 1 : 0);
        if (c.step < BuildStep::LineLayout) {
            EXPECT_EQ(filesIn(scene.work), before) << "nothing is written";
        }
        if (c.step >= BuildStep::LineLayout && c.step <= BuildStep::CalculatorFit) {
            EXPECT_FALSE(fs::exists(scene.work / "tmp.z80"));
        }
        if (c.step == BuildStep::ProgramFolderLock) {
            EXPECT_GE(scene.clock.now() - 1000.0, kToolChainLimitSeconds);
            EXPECT_GT(scene.events, 100) << "the window repaints while the build waits";
        }
        if (c.step == BuildStep::ToolChain) {
            EXPECT_TRUE(scene.chain.stopped);
            EXPECT_GE(scene.clock.now() - scene.chain.startedAt, kToolChainLimitSeconds);
        }
    }
}

TEST(BuildCommand, AReaderPartSizeOutsideItsLimitsIsRefused) {
    for (const std::size_t bytes : {kReaderMinimumPartBytes - 1, readerPartBytesLimit() + 1}) {
        Scene scene;
        scene.request.kind = ProgramKind::Reader;
        scene.request.partBytes = bytes;
        const BuildOutcome outcome = scene.build();
        EXPECT_EQ(outcome.failedStep, BuildStep::PartSize);
        EXPECT_TRUE(
            outcome.message.starts_with("Compile as a reader failed while checking the part size"))
            << outcome.message;
        EXPECT_FALSE(fs::exists(scene.work / "temp.ett"));
    }
}

// A long asm.log: the message box shows its first 20 lines, and the rest of its first 8,000
// bytes is there on request.
TEST(RunBuild, QuotesTheStartOfALongAsmLogAndKeepsTheRestAsDetails) {
    const auto logLine = [](int n) { return "tmp.z80:" + std::to_string(n) + ": error: no"; };
    struct Case {
        const char* name;
        int lines;
        std::size_t padding; // bytes added to every line
        bool detailsCut;
    };
    const Case cases[] = {{"twenty lines", 20, 0, false},
                          {"thirty lines", 30, 0, false},
                          {"a log of megabytes", 100000, 40, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        scene.chain.exitStatus = 1;
        scene.chain.atStart = [&] {
            std::string log;
            for (int n = 1; n <= c.lines; ++n) {
                log += logLine(n) + std::string(c.padding, '.') + "\n";
            }
            writeFile(scene.app / "asm.log", log);
        };

        const BuildOutcome outcome = scene.build();

        ASSERT_EQ(outcome.failedStep, BuildStep::DeliverTi83);
        EXPECT_NE(outcome.message.find(logLine(20)), std::string::npos) << outcome.message;
        EXPECT_EQ(outcome.message.find(logLine(21)), std::string::npos) << outcome.message;
        EXPECT_EQ(outcome.details.empty(), c.lines <= 20) << outcome.details;
        if (c.lines > 20) {
            EXPECT_TRUE(outcome.details.starts_with(logLine(21))) << outcome.details;
            EXPECT_EQ(outcome.details.ends_with("[...]"), c.detailsCut);
        }
        EXPECT_LE(outcome.details.size(), kLogBytesQuoted);
    }
}

} // namespace
} // namespace corvane::test
