// Inputs the fuzzers found to hang or exhaust memory, kept so that they stay fixed: each
// must end quickly in a clear error.
#include "assembler.h"

#include <gtest/gtest.h>
#include <map>

namespace corvane::test {
namespace {

// main.z80 includes l0.inc twice, l0.inc includes l1.inc twice, and so on: no file includes
// itself, yet the files opened double at every level.
std::map<std::string, std::string> includeTree(int levels) {
    std::map<std::string, std::string> files{
        {"main.z80", "#include \"l0.inc\"\n#include \"l0.inc\"\n"}};
    for (int level = 0; level < levels; ++level) {
        const std::string next = "#include \"l" + std::to_string(level + 1) + ".inc\"\n";
        files["l" + std::to_string(level) + ".inc"] = level + 1 < levels ? next + next : " nop\n";
    }
    return files;
}

TEST(Regression, MacrosAndIncludesThatGrowWithoutEndEndInOneClearError) {
    // Each case's files ("main.z80" is the source) and the start of its one message.
    const std::tuple<const char*, std::map<std::string, std::string>, const char*> cases[] = {
        {"a macro that names itself ten times",
         {{"main.z80", "#define a a a a a a a a a a\n .db a\n"}},
         "macro 'a' expands"},
        {"two macros that name each other four times",
         {{"main.z80", "#define a b b b b\n#define b a a a a\n .db a\n"}},
         "macro '"},
        {"one long body used many times over",
         {{"main.z80", "#define x " + std::string(1000, '1') +
                           "\n#define y x x x x x x x x\n"
                           "#define z y y y y y y y y\n .db z\n"}},
         "expands to more than"},
        {"an include file that includes itself twice",
         {{"main.z80", "#include \"a.inc\"\n"},
          {"a.inc", "#include \"a.inc\"\n#include \"a.inc\"\n"}},
         "includes nested too deeply at 'a.inc'"},
        {"ten levels of files that each include the next twice", includeTree(10),
         "more than 256 include files"},
    };
    for (const auto& [name, files, message] : cases) {
        SCOPED_TRACE(name);
        asm83::AssemblyInput input;
        input.sourcePath = "main.z80";
        input.sourceText = files.at("main.z80");
        input.resolveInclude = [&sources = files](const std::string& file, const std::string&) {
            const auto found = sources.find(file);
            return found == sources.end() ? std::nullopt
                                          : std::optional(asm83::IncludedFile{file, found->second});
        };
        const asm83::AssemblyResult result = asm83::assemble(input);
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.output.empty());
        ASSERT_FALSE(result.messages.empty());
        EXPECT_LE(result.messages.size(), 4u) << "one cause, one message";
        EXPECT_NE(result.messages.front().find(message), std::string::npos)
            << result.messages.front();
    }
}

} // namespace
} // namespace corvane::test
