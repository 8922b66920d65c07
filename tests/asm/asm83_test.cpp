// asm83 run as a program, the way asm.bat runs it: its command line, the files it writes and
// the files it must leave alone. What the bytes are is the corpus's and the written sources'
// business.
#include "files.h"
#include "temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <ti_program_file.h>

namespace fs = std::filesystem;

namespace {

using corvane::test::readFile;
using corvane::test::writeFile;

class Asm83 : public testing::Test {
  protected:
    // The folder holds ion.inc and the source writer's worked example as tmp.z80.
    Asm83() {
        const fs::path source(CORVANE_SOURCE_DIR);
        fs::copy_file(source / "toolchain/ion/ion.inc", folder / "ion.inc");
        fs::copy_file(source / "tests/passes/golden/worked_example.z80", folder / "tmp.z80");
    }

    // Runs asm83 in the test's folder, by its full name or found through PATH; returns its
    // exit status, with its messages in `errors`.
    int run(const std::string& arguments, bool throughPath = false) {
#ifdef _WIN32
        const std::string program = throughPath ? "asm83" : "\"" CORVANE_APP_DIR "/asm83.exe\"";
        const std::string command = "cd /d \"" + folder.string() +
                                    "\" && set \"PATH=" + CORVANE_APP_DIR + ";%PATH%\" && " +
                                    program + " " + arguments + " 2> messages.txt";
        const int status = std::system(command.c_str());
#else
        const std::string program = throughPath ? "asm83" : "'" CORVANE_APP_DIR "/asm83'";
        const std::string command = "cd '" + folder.string() +
                                    "' && PATH='" CORVANE_APP_DIR "':\"$PATH\" " + program + " " +
                                    arguments + " 2> messages.txt";
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        errors = readFile(folder / "messages.txt");
        return status;
    }

    corvane::test::TempFolder temp;
    const fs::path folder = temp.path();
    std::string errors;
};

// The program is named after the output file unless -n names it; .83p is the TI-83, .8xp the
// TI-83 Plus, and -D TI83P reaches the source (which then starts with BB 6D); .bin is the bare
// image. Warnings go to the error stream and still write the program.
TEST_F(Asm83, CommandLineForms) {
    writeFile(folder / "big.z80", " .fill 25000\n");
    struct Case {
        const char* arguments;
        const char* output;
        const char* name; // the program name inside the output, or null for .bin
        const char* bodyStart;
        const char* message; // on the error stream
    };
    const Case cases[] = {
        {"-D TI83P tmp.z80 tmp.8xp", "tmp.8xp", "TMP", "\xBB\x6D\xC9", ""},
        {"tmp.z80 tmp.83p", "tmp.83p", "TMP", "\xC9\x30", ""},
        {"-n demo tmp.z80 out.83p", "out.83p", "DEMO", "\xC9", ""},
        {"-nDEMO2 tmp.z80 out.83p", "out.83p", "DEMO2", "\xC9", ""},
        {"-DTI83P tmp.z80 Shout.8XP", "Shout.8XP", "SHOUT", "\xBB\x6D", ""},
        {"-D TI83P=1 -I . tmp.z80 raw.BIN", "raw.BIN", nullptr, "\xBB\x6D\xC9", ""},
        {"-I /nonexistent -I . tmp.z80 a1.83p", "a1.83p", "A1", "\xC9", ""},
        {"big.z80 big.83p", "big.83p", "BIG", "",
         "asm83: warning: the program is 25000 bytes long; above 24 KB it may not fit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        fs::remove(folder / c.output);
        ASSERT_EQ(run(c.arguments), 0) << errors;
        EXPECT_EQ(errors.empty(), *c.message == '\0') << errors;
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        const std::string bytes = readFile(folder / c.output);
        if (c.name == nullptr) {
            EXPECT_EQ(bytes.substr(0, 3), c.bodyStart);
            continue;
        }
        const corvane::tifile::Parsed parsed = corvane::tifile::parseProgramFile(bytes);
        ASSERT_TRUE(parsed.file) << parsed.error;
        EXPECT_EQ(parsed.file->model, std::string(c.output).find("83") != std::string::npos
                                          ? corvane::CalculatorModel::TI83
                                          : corvane::CalculatorModel::TI83Plus);
        EXPECT_EQ(parsed.file->name, c.name);
        EXPECT_EQ(parsed.file->body.substr(0, std::string(c.bodyStart).size()), c.bodyStart);
        EXPECT_EQ(parsed.file->storedChecksum, parsed.file->computedChecksum);
    }
}

TEST_F(Asm83, FindsIonIncBesideItselfWhenTheSourceFolderHasNone) {
    fs::remove(folder / "ion.inc");
    for (const bool throughPath : {false, true}) {
        fs::remove(folder / "tmp.8xp");
        EXPECT_EQ(run("-D TI83P tmp.z80 tmp.8xp", throughPath), 0) << errors;
        EXPECT_TRUE(fs::exists(folder / "tmp.8xp")) << "through PATH: " << throughPath;
    }
}

TEST_F(Asm83, FailuresWriteNothingAndSayWhy) {
    writeFile(folder / "bad.z80", "#include \"ion.inc\"\n ld a,nowhere\n ld q,1\n jr nc,\n");
    writeFile(folder / "noinc.z80", "#include \"missing.inc\"\n nop\n");
    struct Case {
        const char* arguments;
        const char* output;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"bad.z80 bad.83p", "bad.83p", 1, "bad.z80:2: error: undefined symbol 'nowhere'"},
        {"bad.z80 bad.83p", "bad.83p", 1, "bad.z80:4: error:"},
        {"noinc.z80 noinc.83p", "noinc.83p", 1,
         "noinc.z80:1: error: cannot find include file 'missing.inc'"},
        {"-n 9LIVES tmp.z80 nine.83p", "nine.83p", 1, "'9LIVES' is not a valid program name"},
        {"tmp.z80 toolongname.83p", "toolongname.83p", 1, "is not a valid program name"},
        {"nosuch.z80 out.83p", "out.83p", 1, "cannot read 'nosuch.z80'"},
        {"tmp.z80 out.txt", "out.txt", 2, "must end in .bin, .83p or .8xp"},
        {"tmp.z80", "tmp.83p", 2, "usage"},
        {"-q tmp.z80 out.83p", "out.83p", 2, "unknown option '-q'"},
        {"tmp.z80 out.83p -I", "out.83p", 2, "needs a value"},
        {"tmp.z80 nofolder/out.83p", "nofolder/out.83p", 1, "nofolder/out.83p"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.arguments), c.status) << c.arguments;
        EXPECT_NE(errors.find(c.message), std::string::npos) << c.arguments << " said:\n" << errors;
        EXPECT_FALSE(fs::exists(folder / c.output)) << c.arguments;
    }
}

TEST_F(Asm83, AFailedAssemblyLeavesAnEarlierOutputWhole) {
    writeFile(folder / "tmp.83p", "earlier program");
    writeFile(folder / "tmp.z80", " ld a,\n" + readFile(folder / "tmp.z80"));
    EXPECT_EQ(run("tmp.z80 tmp.83p"), 1);
    EXPECT_EQ(readFile(folder / "tmp.83p"), "earlier program");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4)
        << "no partial file may be left beside the output";
}

} // namespace
