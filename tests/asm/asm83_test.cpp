// asm83 run as a program, the way asm.bat runs it: its command line, the files it writes and
// the files it must leave alone.
#include "files.h"
#include "source_writer.h"
#include "temp_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <ti_program_file.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The source writer's header, then what it writes for the worked example.
const std::string kWorkedExample = std::string(corvane::kHeaderTemplate) +
                                   "\r\n"
                                   " .db \"Demo\",0\r\n"
                                   "debut:\r\n"
                                   "   bcall(_indicatorOff)\r\n"
                                   "   bcall(_clrlcdf)\r\n"
                                   "    ld hl,0101h \\ ld (pencol),hl \\ ld hl,lng001 \\ "
                                   "bcall(_vputs)\r\n"
                                   "    bcall(_getkey)\r\n"
                                   "    bcall(_clrlcdf)\r\n"
                                   "   ret\r\n"
                                   "lng001:\r\n"
                                   "    .db \"Hello  world\",0\r\n"
                                   ".end\r\n"
                                   "END\r\n";

using corvane::test::readFile;
using corvane::test::writeFile;

class Asm83 : public testing::Test {
  protected:
    Asm83() {
        fs::copy_file(fs::path(CORVANE_SOURCE_DIR) / "toolchain/ion/ion.inc", folder / "ion.inc");
        writeFile(folder / "tmp.z80", kWorkedExample);
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

TEST_F(Asm83, WritesBothProgramFilesOfTheWorkedExample) {
    ASSERT_EQ(run("-D TI83P tmp.z80 tmp.8xp"), 0) << errors;
    ASSERT_EQ(run("tmp.z80 tmp.83p"), 0) << errors;
    EXPECT_EQ(errors, "");

    struct Expected {
        const char* file;
        corvane::CalculatorModel model;
        std::string bodyStart;
    };
    const Expected cases[] = {
        {"tmp.8xp", corvane::CalculatorModel::TI83Plus,
         std::string("\xBB\x6D\xC9\x30\x05"
                     "Demo\0",
                     10)},
        {"tmp.83p", corvane::CalculatorModel::TI83,
         std::string("\xC9\x30\x05"
                     "Demo\0",
                     8)},
    };
    for (const Expected& c : cases) {
        const corvane::tifile::Parsed parsed =
            corvane::tifile::parseProgramFile(readFile(folder / c.file));
        ASSERT_TRUE(parsed.file) << c.file << ": " << parsed.error;
        EXPECT_EQ(parsed.file->model, c.model) << c.file;
        EXPECT_EQ(parsed.file->name, "TMP") << c.file;
        EXPECT_EQ(parsed.file->type, 0x06) << c.file;
        EXPECT_EQ(parsed.file->body.substr(0, c.bodyStart.size()), c.bodyStart) << c.file;
        EXPECT_EQ(parsed.file->storedChecksum, parsed.file->computedChecksum) << c.file;
    }
    // The TI-83 Plus calls ROM routines with rst 28h, the TI-83 calls them directly.
    const std::string plus =
        corvane::tifile::parseProgramFile(readFile(folder / "tmp.8xp")).file->body;
    const std::string ti83 =
        corvane::tifile::parseProgramFile(readFile(folder / "tmp.83p")).file->body;
    EXPECT_EQ(plus.substr(10, 3), "\xEF\x70\x45");
    EXPECT_EQ(ti83.substr(8, 3), "\xCD\x95\x47");
}

TEST_F(Asm83, FindsIonIncBesideItselfWhenTheSourceFolderHasNone) {
    fs::remove(folder / "ion.inc");
    for (const bool throughPath : {false, true}) {
        fs::remove(folder / "tmp.8xp");
        EXPECT_EQ(run("-D TI83P tmp.z80 tmp.8xp", throughPath), 0) << errors;
        EXPECT_TRUE(fs::exists(folder / "tmp.8xp")) << "through PATH: " << throughPath;
    }
}

TEST_F(Asm83, CommandLineForms) {
    struct Case {
        const char* arguments;
        const char* output;
        const char* name; // the program name inside the output, or null for .bin
    };
    const Case cases[] = {
        {"-n demo tmp.z80 out.83p", "out.83p", "DEMO"},
        {"-nDEMO2 tmp.z80 out.83p", "out.83p", "DEMO2"},
        {"-DTI83P tmp.z80 Shout.8XP", "Shout.8XP", "SHOUT"},
        {"-D TI83P=1 -I . tmp.z80 raw.BIN", "raw.BIN", nullptr},
        {"-I /nonexistent -I . tmp.z80 a1.83p", "a1.83p", "A1"},
    };
    for (const Case& c : cases) {
        fs::remove(folder / c.output);
        ASSERT_EQ(run(c.arguments), 0) << c.arguments << ": " << errors;
        const std::string bytes = readFile(folder / c.output);
        if (c.name == nullptr) {
            EXPECT_EQ(bytes.substr(0, 3), "\xBB\x6D\xC9") << c.arguments;
            continue;
        }
        const corvane::tifile::Parsed parsed = corvane::tifile::parseProgramFile(bytes);
        ASSERT_TRUE(parsed.file) << c.arguments;
        EXPECT_EQ(parsed.file->name, c.name) << c.arguments;
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
        {"bad.z80 bad.83p", "bad.83p", 1, "bad.z80:3: error:"},
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
    writeFile(folder / "tmp.z80", " ld a,\n" + kWorkedExample);
    EXPECT_EQ(run("tmp.z80 tmp.83p"), 1);
    EXPECT_EQ(readFile(folder / "tmp.83p"), "earlier program");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4)
        << "no partial file may be left beside the output";
}

TEST_F(Asm83, TheTI83PlusRefusesCodePastC000hAndWarnsAboveTwentyFourKilobytes) {
    // 700 rows of code reach past C000h on the TI-83 Plus; the TI-83 runs code anywhere.
    std::string source = kWorkedExample.substr(0, kWorkedExample.find("   ret\r\nlng001"));
    for (int i = 0; i < 750; ++i) {
        source += "    ld hl,0101h \\ ld (pencol),hl \\ ld hl,lng001 \\ bcall(_vputs)\r\n";
    }
    source += "   ret\r\nlng001:\r\n    .db \"Hello\",0\r\n    .fill 17000\r\n";
    writeFile(folder / "long.z80", source);

    EXPECT_EQ(run("-D TI83P long.z80 long.8xp"), 1);
    EXPECT_NE(errors.find("error: code reaches C0"), std::string::npos) << errors;
    EXPECT_NE(errors.find("the TI-83 Plus cannot run code at or above C000h"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "long.8xp"));

    EXPECT_EQ(run("long.z80 long.83p"), 0) << errors;
    EXPECT_NE(errors.find("asm83: warning: the program is"), std::string::npos) << errors;
    EXPECT_NE(errors.find("above 24 KB it may not fit"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "long.83p"));
}

// A program whose data packet on the link (body, length word, six bytes of framing) would be a
// multiple of twenty bytes gets one zero after its end; the sizes around it stay as they are.
TEST_F(Asm83, PadsProgramsTheLinkWouldSendWithAnEmptyLastChunk) {
    const std::pair<int, std::size_t> bodies[] = {
        {2231, 2231}, {2232, 2233}, {2233, 2233}, {612, 612}, {632, 633}};
    for (const auto& [size, written] : bodies) {
        SCOPED_TRACE(size);
        writeFile(folder / "fill.z80",
                  "        .org 9D93h\r\n        .db 0BBh,6Dh\r\n        .fill " +
                      std::to_string(size - 2) + ", 0C9h\r\n.end\r\n");
        ASSERT_EQ(run("-D TI83P fill.z80 fill.8xp"), 0) << errors;
        const auto parsed = corvane::tifile::parseProgramFile(readFile(folder / "fill.8xp"));
        ASSERT_TRUE(parsed.file) << parsed.error;
        EXPECT_EQ(parsed.file->body.size(), written);
        EXPECT_EQ(parsed.file->body.substr(0, std::size_t(size)),
                  "\xBB\x6D" + std::string(std::size_t(size - 2), '\xC9'));
        EXPECT_EQ(parsed.file->body.substr(std::size_t(size)), std::string(written - size, '\0'));
    }
}

} // namespace
