// Runs every corpus/*.asm through the assembler. Expected bytes stand beside the source lines
// as ";= 3E 05" comments, in the order they are placed; expected messages stand in NAME.err
// beside the source, one per line (no .err file: no messages). Header lines ";; form: 8xp",
// ";; name: X" and ";; defines: A B=1" set the output form, program name and -D macros;
// ";; padding: 1" says the program file's body ends in one zero more than the image.
// With CORVANE_UPDATE_GOLDEN set, the .err files are rewritten from what the assembler says.
#include "files.h"

#include <assembler.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <ti_program_file.h>

namespace fs = std::filesystem;
using namespace corvane::asm83;

namespace {

const fs::path kCorpus = fs::path(CORVANE_SOURCE_DIR) / "tests" / "asm" / "corpus";

using corvane::test::readFile;

// The value of a ";; key: value" header line, or empty.
std::string header(const std::string& source, const std::string& key) {
    const std::string marker = ";; " + key + ": ";
    const std::size_t at = source.find(marker);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t end = source.find_first_of("\r\n", at);
    return source.substr(at + marker.size(), end - at - marker.size());
}

// The bytes of every ";=" comment, in order; empty optional when there is none.
std::optional<std::string> expectedBytes(const std::string& source) {
    std::optional<std::string> bytes;
    for (std::size_t at = source.find(";="); at != std::string::npos;
         at = source.find(";=", at + 2)) {
        const std::size_t end = source.find_first_of("\r\n", at);
        std::istringstream in(source.substr(at + 2, end - at - 2));
        if (!bytes) {
            bytes.emplace();
        }
        for (std::string hex; in >> hex;) {
            bytes->push_back(static_cast<char>(std::stoi(hex, nullptr, 16)));
        }
    }
    return bytes;
}

// Bytes in lower-case hex, 32 to a line, as tests/asm/written holds them, so that a failed
// comparison shows a diff of the lines.
std::string hexLines(const std::string& bytes) {
    std::string text;
    char cell[3];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, "%02x", static_cast<unsigned char>(bytes[i]));
        text += cell;
        if (i % 32 == 31 || i + 1 == bytes.size()) {
            text += '\n';
        }
    }
    return text;
}

std::vector<std::string> corpusCases() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kCorpus)) {
        if (entry.path().extension() == ".asm") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Corpus : public testing::TestWithParam<std::string> {};

TEST_P(Corpus, AssemblesAsAnnotated) {
    const std::string name = GetParam();
    const std::string source = readFile(kCorpus / (name + ".asm"));

    AssemblyInput input;
    input.sourcePath = name + ".asm";
    input.sourceText = source;
    const std::string form = header(source, "form");
    input.form = form == "8xp"   ? OutputForm::TI83Plus
                 : form == "83p" ? OutputForm::TI83
                                 : OutputForm::Binary;
    input.programName = header(source, "name").empty() ? "TEST" : header(source, "name");
    std::istringstream defines(header(source, "defines"));
    for (std::string define; defines >> define;) {
        const std::size_t equals = define.find('=');
        input.defines.emplace_back(define.substr(0, equals),
                                   equals == std::string::npos ? "" : define.substr(equals + 1));
    }
    input.resolveInclude = [](const std::string& file,
                              const std::string&) -> std::optional<IncludedFile> {
        if (!fs::exists(kCorpus / file)) {
            return std::nullopt;
        }
        return IncludedFile{file, readFile(kCorpus / file)};
    };

    const AssemblyResult result = assemble(input);

    const fs::path errFile = kCorpus / (name + ".err");
    std::string said;
    for (const std::string& message : result.messages) {
        said += message + "\n";
    }
    if (std::getenv("CORVANE_UPDATE_GOLDEN") != nullptr) {
        if (said.empty()) {
            fs::remove(errFile);
        } else {
            std::ofstream(errFile, std::ios::binary) << said;
        }
    }
    EXPECT_EQ(said, fs::exists(errFile) ? readFile(errFile) : "");

    if (!result.ok()) {
        EXPECT_TRUE(result.output.empty()) << "an assembly with errors must produce no output";
        return;
    }
    if (const std::optional<std::string> bytes = expectedBytes(source)) {
        EXPECT_EQ(hexLines(result.image), hexLines(*bytes));
    }
    if (input.form == OutputForm::Binary) {
        EXPECT_EQ(result.output, result.image);
        return;
    }
    const corvane::tifile::Parsed parsed = corvane::tifile::parseProgramFile(result.output);
    ASSERT_TRUE(parsed.file) << parsed.error;
    EXPECT_EQ(parsed.file->model, input.form == OutputForm::TI83Plus
                                      ? corvane::CalculatorModel::TI83Plus
                                      : corvane::CalculatorModel::TI83);
    EXPECT_EQ(parsed.file->name, input.programName);
    EXPECT_EQ(parsed.file->type, corvane::tifile::kProtectedProgramType);
    EXPECT_EQ(parsed.file->body,
              result.image + std::string(header(source, "padding") == "1", '\0'));
    EXPECT_EQ(parsed.file->storedChecksum, parsed.file->computedChecksum);
}

INSTANTIATE_TEST_SUITE_P(Asm, Corpus, testing::ValuesIn(corpusCases()),
                         [](const testing::TestParamInfo<std::string>& row) { return row.param; });

// The source writer's golden sources, with ion.inc, assemble to the bytes they gave before
// expressions were evaluated left to right (written/NAME.FORM.hex), and without a warning:
// nothing the writer or ion.inc produces reads differently under C precedence.
TEST(WrittenSources, AssembleToTheBytesTheyAlwaysGave) {
    const fs::path golden = fs::path(CORVANE_SOURCE_DIR) / "tests" / "passes" / "golden";
    const fs::path ion = fs::path(CORVANE_SOURCE_DIR) / "toolchain" / "ion";
    for (const char* name : {"worked_example", "twelve_lines"}) {
        for (const bool plus : {false, true}) {
            SCOPED_TRACE(std::string(name) + (plus ? " 8xp" : " 83p"));
            AssemblyInput input;
            input.sourcePath = std::string(name) + ".z80";
            input.sourceText = readFile(golden / input.sourcePath);
            if (plus) {
                input.defines.emplace_back("TI83P", "");
            }
            input.resolveInclude = [&ion](const std::string& file,
                                          const std::string&) -> std::optional<IncludedFile> {
                return IncludedFile{file, readFile(ion / file)};
            };
            const AssemblyResult result = assemble(input);
            EXPECT_EQ(result.messages, std::vector<std::string>{});

            EXPECT_EQ(hexLines(result.image),
                      readFile(kCorpus.parent_path() / "written" /
                               (std::string(name) + (plus ? ".8xp" : ".83p") + ".hex")));
        }
    }
}

} // namespace
