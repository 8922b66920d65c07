#include "chain.h"
#include "files.h"
#include "tool_chain.h"

#include <assembler.h>
#include <gtest/gtest.h>

namespace corvane::programs {
namespace {

using harness::Model;

// Assembles `body` after an include of the program folder's ion.inc, for one calculator, into
// bare bytes; nothing may give a message.
class IonInclude : public ::testing::TestWithParam<Model> {
  protected:
    std::string assemble(const std::string& body) {
        asm83::AssemblyInput input;
        input.sourcePath = "probe.z80";
        input.sourceText = "#include \"ion.inc\"\r\n        .org 0\r\n" + body;
        if (GetParam() == Model::TI83Plus) {
            input.defines.emplace_back("TI83P", "");
        }
        input.resolveInclude = [](const std::string& file, const std::string&) {
            return std::optional(asm83::IncludedFile{file, test::readFile(test::appDir() / file)});
        };
        const asm83::AssemblyResult result = asm83::assemble(input);
        EXPECT_EQ(result.messages, std::vector<std::string>{});
        return result.image;
    }
};

std::string word(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

TEST_P(IonInclude, NamesTheCalculatorsAddresses) {
    const bool plus = GetParam() == Model::TI83Plus;
    // Symbol, TI-83 Plus value, TI-83 value, as TI's published tables give them.
    const std::tuple<const char*, unsigned, unsigned> symbols[] = {
        {"progstart", 0x9D95, 0x9327},   {"pencol", 0x86D7, 0x8252},
        {"penrow", 0x86D8, 0x8253},      {"_indicatorOff", 0x4570, 0x4795},
        {"_clrlcdf", 0x4540, 0x4755},    {"_clrlcdfull", 0x4540, 0x4755},
        {"_vputs", 0x4561, 0x4781},      {"_getkey", 0x4972, 0x4CFE},
        {"_vputmap", 0x455E, 0x477D},    {"_homeup", 0x4558, 0x4775},
        {"currow", 0x844B, 0x800C},      {"curcol", 0x844C, 0x800D},
        {"plotsscreen", 0x9340, 0x8E29}, {"saferam1", 0x9872, 0x8265},
        {"_GetKey", 0x4972, 0x4CFE},     {"_VPUTS", 0x4561, 0x4781},
    };
    std::string source;
    std::string expected;
    for (const auto& [name, valuePlus, value83] : symbols) {
        source += std::string("        .dw ") + name + "\r\n";
        expected += word(plus ? valuePlus : value83);
    }
    EXPECT_EQ(assemble(source), expected);
}

TEST_P(IonInclude, RomCallsTakeTheCalculatorsForm) {
    const bool plus = GetParam() == Model::TI83Plus;
    const std::string call = plus ? std::string("\xEF") : std::string("\xCD");
    EXPECT_EQ(assemble("        bcall(_vputs)\r\n        bcall(_getkey) \\ ret\r\n"),
              call + word(plus ? 0x4561 : 0x4781) + call + word(plus ? 0x4972 : 0x4CFE) + "\xC9");
}

// ion.inc's map and the editor's (which the layout and the preview use) are one map: every
// byte a calculator line can hold goes through ion.inc here (a double quote as a character
// literal, a lone LF inside the string; a CR always ends a line) and must give the editor's
// code.
TEST_P(IonInclude, MapsEveryByteOfStringsAsTheEditorDoes) {
    std::string literal;
    std::string expected;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == '"' || byte == '\r') {
            continue;
        }
        literal.push_back(static_cast<char>(byte));
        expected.push_back(
            static_cast<char>(calculatorCode(static_cast<std::uint8_t>(byte), GetParam())));
    }
    expected.push_back(static_cast<char>(calculatorCode('"', GetParam())));
    // Numbers are never mapped, only literals.
    EXPECT_EQ(assemble("        .db \"" + literal + "\", '\"', 5Bh, 0E9h, '[', '\xE9'\r\n"),
              expected + "\x5B\xE9\xC1\x96");
}

INSTANTIATE_TEST_SUITE_P(BothModels, IonInclude, ::testing::Values(Model::TI83, Model::TI83Plus),
                         [](const auto& row) {
                             return row.param == Model::TI83 ? "TI83" : "TI83Plus";
                         });

} // namespace
} // namespace corvane::programs
