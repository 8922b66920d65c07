// corvane's command line as a user meets it: every form with its output and exit status, and
// the hostile documents through --compile, run without a display.
#include "files.h"
#include "hostile_inputs.h"
#include "run_program.h"
#include "temp_folder.h"
#include "version.h"

#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <sstream>

namespace corvane::install {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

const std::string kCorvane = std::string(CORVANE_APP_DIR) + "/corvane";

// Runs corvane in `folder` as a script would, with no display to open a window on or with
// one it cannot reach.
test::ProgramRun corvane(const std::vector<std::string>& arguments, const std::string& folder,
                         const char* display = "") {
    std::vector<std::string> argv{kCorvane};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    test::RunOptions options;
    options.folder = folder;
    options.environment = {{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
    return test::runProgram(argv, options);
}

// The output matches `pattern`, and every size it says is that of the program it names.
void expectDeliveries(const std::string& out, const std::string& pattern) {
    EXPECT_TRUE(std::regex_match(out, std::regex(pattern))) << out;
    const std::regex said("(.*): (\\d+) bytes\n");
    for (std::sregex_iterator it(out.begin(), out.end(), said), end; it != end; ++it) {
        EXPECT_EQ(std::filesystem::file_size((*it)[1].str()), std::stoull((*it)[2])) << (*it)[0];
    }
}

// The output line of each program `stem` delivers, wherever it lies.
std::string programs(const std::string& stem, const char* first = "\\.83p",
                     const char* second = "\\.8xp") {
    return "/.*/" + stem + first + ": \\d+ bytes\n/.*/" + stem + second + ": \\d+ bytes\n";
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(CommandLine, EveryFormEndsWithItsStatusAndSaysWhatItDid) {
    struct Form {
        const char* name;
        const char* arguments; // "out" and "in" name the test's two folders
        int status;
        std::string out; // a regular expression the whole output matches
        std::string err;
        const char* display = "";
    };
    const Form forms[] = {
        {"help", "--help", 0, "Usage: [^]*--compile[^]*--output[^]*--import[^]*", ""},
        {"version", "--version", 0, std::string("corvane ") + kVersion + "\n", ""},
        {"unknown option", "--bogus", 2, "", "corvane: Unknown option 'bogus'.\n[^]*--help[^]*"},
        {"compile without a document", "--compile", 2, "", "[^]*at least one document[^]*"},
        {"output without compile", "--output out in/story.txt", 2, "",
         "[^]*--output goes only with --compile[^]*"},
        {"output without a value", "--compile in/story.txt --output", 2, "",
         "[^]*Missing value after '--output'[^]*"},
        {"import with compile", "--compile in/story.txt --import in/story.txt", 2, "",
         "[^]*--import[^]*"},
        {"import with a file to open", "--import in/story.txt in/story.txt", 2, "",
         "[^]*--import[^]*"},
        {"output into a missing folder", "--compile in/story.txt --output nowhere", 2, "",
         "nowhere: --output names no folder\n"},
        {"one document", "--compile in/story.txt", 0, programs("in/story"), ""},
        {"into another folder", "--compile in/story.txt --output out", 0, programs("out/story"),
         ""},
        {"a missing document", "--compile in/missing.txt", 1, "",
         "/.*/in/missing\\.txt: cannot be opened: No such file or directory\n"},
        {"a folder given as document", "--compile in", 1, "", "/.*/in: [^]+"},
        {"an invalid calculator file name", "--compile in/9lives.txt", 1, "",
         "in/9lives\\.txt: Compile for ion failed while checking the calculator file name:\n"
         "The calculator file name \"9lives\" cannot be used[^]*"},
        {"a header line longer than its field", "--compile in/long.txt", 1, "",
         "in/long\\.txt: it is not a Corvane document as it stands: its first line has 21 "
         "characters, more than the 20 its field holds\n"},
        // UTF-8 is read as Open reads it and built from the code page, the file unchanged.
        {"UTF-8 text", "--compile in/utf8.txt", 0, programs("in/utf8"), ""},
        {"UTF-8 text the code page cannot hold", "--compile in/greek.txt", 1, "",
         "in/greek\\.txt: it is UTF-8 text, and a Corvane document cannot store these "
         "characters: \u03B1 \u03B2\\. [^]*"},
        {"characters the calculator shows as ?", "--compile in/signs.txt", 0, programs("in/signs"),
         "in/signs\\.txt: warning: 2 characters show as \\? on the calculator: \u2122 \u00A9\n"},
        {"two documents delivering the same programs",
         "--compile in/story.txt in/b/story.txt --output out", 1, programs("out/story"),
         "in/b/story\\.txt: its programs would replace those that in/story\\.txt had delivered "
         "in this call; nothing was built[^]*"},
        {"a reader", "--compile --reader in/story.txt", 0, programs("in/story"), ""},
        {"a reader in parts", "--compile --reader --part-size 2000 in/long-story.txt", 0,
         programs("in/long-story-1") + programs("in/long-story-2") +
             "(/.*/in/long-story-\\d\\.8(3|x)p: \\d+ bytes\n)*",
         ""},
        {"a part size too small", "--compile --reader --part-size 1999 in/story.txt", 2, "",
         "[^]*--part-size takes a number of bytes from 2000 to \\d+[^]*"},
        {"a part size that is no number", "--compile --reader --part-size 16k in/story.txt", 2, "",
         "[^]*--part-size needs a number of bytes[^]*"},
        {"reader with basic", "--compile --basic --reader in/story.txt", 2, "",
         "[^]*give one of them[^]*"},
        {"reader without compile", "--reader in/story.txt", 2, "",
         "[^]*--basic, --reader and --part-size go only with --compile[^]*"},
        {"no display", "", 2, "",
         "corvane: no display: neither DISPLAY nor WAYLAND_DISPLAY is set; --compile and "
         "--send need none\n"},
        {"no display for a document", "in/story.txt", 2, "", "corvane: no display: [^\n]*\n"},
        // A display that is named but cannot be reached ends the same way, with Qt's reason.
        {"an unreachable display", "", 2, "",
         "corvane: no display: [^\n]*:97; --compile and --send need none\n", ":97"},
        {"TI-BASIC programs", "--compile --basic in/story.txt", 0,
         programs("in/story", "-ce\\.8xp", "-84\\.8xp"), ""},
        {"TI-BASIC parts too small", "--compile --basic --part-size 100 in/story.txt", 1, "",
         "in/story\\.txt: The part size must be between 2000 and 65505 bytes, not 100\\.\n"},
        {"part size without --basic", "--compile --part-size 3000 in/story.txt", 2, "",
         "corvane: --part-size goes only with --basic or --reader\\.\n[^]*"},
        {"--basic without --compile", "--basic in/story.txt", 2, "",
         "corvane: --basic, --reader and --part-size go only with --compile\\.\n[^]*"},
        {"several documents, the worst status",
         "--compile in/story.txt in/missing.txt in/other.txt", 1,
         programs("in/story") + programs("in/other"), "/.*/in/missing\\.txt: [^\n]*\n"},
        // Files no editor wrote end in programs or in one message, in time. Of the large ones
        // only the million lines come here: the library tests take both through the readers and
        // the passes. Most of them name no program in their header.
        {"an empty file", "--compile in/empty.txt", 1, "", "in/empty\\.txt: [^]+\n"},
        {"NUL bytes", "--compile in/nul.txt", 1, "", "in/nul\\.txt: [^]+\n"},
        {"bytes 80h-FFh", "--compile in/high.txt", 1, "", "in/high\\.txt: [^]+\n"},
        {"a million empty lines", "--compile in/million.txt", 1, "", "in/million\\.txt: [^]+\n"},
        {"CR-only line ends", "--compile in/cr.txt", 0, programs("in/cr"), ""},
        {"LF-only line ends", "--compile in/lf.txt", 0, programs("in/lf"), ""},
        {"a binary file", "--compile in/asm83.txt", 1, "", "in/asm83\\.txt: [^]+\n"},
    };
    const std::string story = "My story\r\nstory\r\nHello calculator\r\n";
    std::string longStory = "Long story\r\nlong\r\n";
    for (int line = 0; line < 200; ++line) {
        longStory += "A line of a longer story\r\n";
    }
    const std::pair<const char*, std::string> documents[] = {
        {"in/story.txt", story},
        {"in/b/story.txt", story},
        {"in/other.txt", "Other\r\nother\r\nAnother text\r\n"},
        {"in/9lives.txt", "Nine\r\n9lives\r\nText\r\n"},
        {"in/long.txt", std::string(21, 'L') + "\r\nlong\r\nText\r\n"},
        {"in/utf8.txt", "Caf\xC3\xA9\r\ncafe\r\nText\r\n"},
        {"in/greek.txt", "Greek\r\ngreek\r\n\xCE\xB1\xCE\xB2\xCE\xB1\r\n"},
        {"in/signs.txt", "Signs\r\nsigns\r\nBrand\x99 \xA9 \x93ok\x94\r\n"},
        {"in/long-story.txt", longStory},
        {"in/empty.txt", test::hostileInput("an empty file").make()},
        {"in/nul.txt", test::hostileInput("NUL bytes").make()},
        {"in/high.txt", test::hostileInput("bytes 80h-FFh").make()},
        {"in/million.txt", test::hostileInput("a million empty lines").make()},
        {"in/cr.txt", test::hostileInput("CR-only line ends").make()},
        {"in/lf.txt", test::hostileInput("LF-only line ends").make()},
        {"in/asm83.txt", test::hostileInput("a binary file (asm83 itself)").make()},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        TempFolder root;
        std::filesystem::create_directories(root.path() / "in/b");
        std::filesystem::create_directories(root.path() / "out");
        // The documents the form names, and one it names nowhere.
        std::vector<std::pair<std::string, std::string>> given;
        for (const auto& [name, bytes] : documents) {
            if (name == std::string("in/story.txt") ||
                std::string(form.arguments).find(name) != std::string::npos) {
                writeFile(root.file(name), bytes);
                given.emplace_back(name, bytes);
            }
        }
        const test::ProgramRun result =
            corvane(words(form.arguments), root.path().string(), form.display);

        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitStatus, form.status);
        expectDeliveries(result.out, form.out);
        EXPECT_TRUE(std::regex_match(result.err, std::regex(form.err))) << result.err;
        for (const auto& [name, bytes] : given) {
            EXPECT_EQ(readFile(root.file(name)), bytes) << name << ": --compile never saves";
        }
    }
}

} // namespace
} // namespace corvane::install
