#include "ansi_codec.h"
#include "calculator_fit.h"
#include "chain.h"
#include "layout.h"
#include "screen_model.h"
#include "ti_program_file.h"

#include <gtest/gtest.h>

namespace corvane::programs {
namespace {

using harness::Model;

struct Document {
    const char* name;
    std::string programName;
    std::vector<std::string> lines;
};

// Short lines: the code grows much faster than the strings.
std::vector<std::string> numbers(int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) {
        lines.push_back(std::to_string(i));
    }
    return lines;
}

// The document's text as the window holds it, cut into calculator lines as the preview cuts it.
std::vector<std::string> previewLines(const std::vector<std::string>& textLines) {
    std::string text;
    for (std::size_t i = 0; i < textLines.size(); ++i) {
        text += (i == 0 ? "" : "\r\n") + textLines[i];
    }
    return layoutText(text);
}

// Runs one program file and checks that it ends cleanly, every string ending by column 96, and
// shows the screens of the preview, which lays the text out in memory: 10 calculator lines to a
// screen, a key wait after every screen (an empty last screen too). Also that asm.bat named the
// program and gave its title.
void expectShowsText(const Compiled& compiled, Model model, const std::string& programName,
                     const std::vector<std::string>& textLines) {
    SCOPED_TRACE(model == Model::TI83 ? "TI-83" : "TI-83 Plus");
    const std::optional<std::string>& file =
        model == Model::TI83 ? compiled.file83 : compiled.file83Plus;
    ASSERT_TRUE(file) << compiled.log;
    const tifile::Parsed parsed = tifile::parseProgramFile(*file);
    ASSERT_TRUE(parsed.file) << parsed.error;
    EXPECT_EQ(parsed.file->name, "TMP");
    EXPECT_EQ(harness::ionTitle(model, parsed.file->body), shownTitle(programName, model));

    harness::Calculator calculator(model);
    ASSERT_EQ(calculator.loadProgramFile(*file), "");
    const harness::RunResult run = calculator.run();
    ASSERT_EQ(uncleanEnd(run), "");
    const std::vector<Screen> drawn = drawnScreens(run);
    const std::vector<std::string> lines = previewLines(textLines);
    ASSERT_EQ(drawn.size(), lines.size() / 10 + 1);
    EXPECT_EQ(drawn.back().size(), lines.size() % 10);
    EXPECT_LE(widestEnd(drawn), harness::kScreenColumns);
    EXPECT_EQ(drawn, layOutScreens(lines, lines.size(), model));
}

class WholeChain : public ::testing::TestWithParam<Document> {};

TEST_P(WholeChain, BothCalculatorsShowTheText) {
    AppFolderCopy app;
    const Compiled compiled = app.compile(GetParam().programName, GetParam().lines);
    ASSERT_EQ(compiled.error, "");
    ASSERT_EQ(compiled.exitStatus, 0) << compiled.log;
    ASSERT_EQ(compiled.lineCount, static_cast<std::int64_t>(previewLines(GetParam().lines).size()));
    expectShowsText(compiled, Model::TI83, GetParam().programName, GetParam().lines);
    expectShowsText(compiled, Model::TI83Plus, GetParam().programName, GetParam().lines);
}

const Document kDocuments[] = {
    {"empty", "EMPTY", {}},
    {"one_line", "One", {"Hello, calculator."}},
    {"nine_lines", "Nine", numbers(9)},
    {"ten_lines", "Ten", numbers(10)},
    {"eleven_lines", "Eleven", numbers(11)},
    {"twenty_five_lines", "TwentyFive", numbers(25)},
    {"three_hundred_lines", "Long read", numbers(300)},
    {"long_lines",
     "Cuts",
     {std::string(23, 'a'), std::string(24, 'b'), std::string(46, 'c'), std::string(69, 'd'),
      "The quick brown fox jumps over the lazy dog, twice: the quick brown fox jumps over"}},
    {"spaces", "Spaces", {"  two leading", "doubled  and   tripled", "trailing  ", " ", ""}},
    {"quotes", "Quotes", {"He said \"hi\"", "\"", "\"\"\"\"", "\"start", "end\"", "'single'"}},
    {"backslashes", "Slashes", {"a\\b", "\\", "C:\\dir\\", "\\ \\\\ \\", "x \\ ld a,1"}},
    {"assembler_characters", "Marks", {"a;b ; c", "#include", "$ and %", "'", "lng001:", "end"}},
    {"tabs", "Tabs", {"\tindented", "a\tb\t"}},
    {"currency_sign", "Price", {"\xA4", "5\xA4 each", "\xA4\xA4 \xA4"}},
    {"title", "My \"Book\" 2", {"The title is the program name."}},
    {"wide_characters",
     "Wide",
     {std::string(23, 'm'), std::string(50, 'w'), "#$*@#$*@#$*@#$*@#$*@#$*@",
      "\xD6\xD3\xD2\xD4\xD5\xD6\xD3\xD2\xD4\xD6\xD3\xD2\xD4\xD6\xD3\xD2\xD4\xD6\xD3\xD2\xD4",
      std::string(23, '\xDF'), "mmmmmmmmmmmmmmm m m m m", std::string(15, 'm') + "if"}},
    {"control_bytes", "Controls", {std::string(23, '\x01'), "\x7F\x1B[0m\x08", "a\tb\tc"}},
};

INSTANTIATE_TEST_SUITE_P(Documents, WholeChain, ::testing::ValuesIn(kDocuments),
                         [](const auto& row) { return row.param.name; });

// Typed accented text, brackets, inverted marks and characters the calculator has no glyph
// for (œ, €, ©, Å, ø: each shows '?').
const Document kLanguages[] = {
    {"french",
     encodeAnsi(u"Élise à l'école"),
     {encodeAnsi(u"À l'école, Élise a reçu un cadeau."),
      encodeAnsi(u"Ça coûte [cher] : où ? Ève, Noël, maïs"), encodeAnsi(u"ÂÊÎÔÛ âêîôû ÈÉËÏÜ"),
      encodeAnsi(u"èéëïü ÀÁ àá"), "c\x9Cur \x9C"}},
    {"spanish",
     encodeAnsi(u"Año"),
     {encodeAnsi(u"¿Dónde está el niño?"), encodeAnsi(u"¡Qué año! Ñandú, pingüino"),
      encodeAnsi(u"ÁÉÍÓÚ áéíóú"), encodeAnsi(u"ÌÒÙ ìòù Ç ç")}},
    {"german",
     encodeAnsi(u"Grüße"),
     {encodeAnsi(u"Grüße aus Köln: Äpfel, Öl, Übel"), encodeAnsi(u"Straße [B] ß"),
      encodeAnsi(u"ÄÖÜ äöü"), encodeAnsi(u"5 \u20AC, © 2024, Åse, Søren")}},
    // Pasted from a word processor: quotes, dashes, bullets and the ellipsis.
    {"typographic",
     "\x93Quotes\x94",
     {"She said \x93"
      "don\x92t go\x94 \x97 and left\x85",
      "\x91q\x92 \x82x\x84 \xABy\xBB \x8Bz\x9B", "\x95 item \x96 1\x96 2",
      std::string(22, 'w') + "\x85"}},
};

INSTANTIATE_TEST_SUITE_P(Languages, WholeChain, ::testing::ValuesIn(kLanguages),
                         [](const auto& row) { return row.param.name; });

// About twelve bytes of code per line: a thousand lines reach past C000h, which only the TI-83 Plus
// refuses. The refused build leaves no earlier program behind, and asm.log is replaced on every
// run.
TEST(CalculatorLimit, CodeReachingC000IsRefusedForTheTI83PlusOnly) {
    AppFolderCopy app;
    ASSERT_EQ(app.compile("Fine", {"short"}).exitStatus, 0);
    const std::vector<std::string> text = numbers(1005);
    const Compiled compiled = app.compile("Too long", text);
    ASSERT_EQ(compiled.error, "");
    EXPECT_NE(compiled.exitStatus, 0);
    EXPECT_NE(compiled.log.find("C000"), std::string::npos) << compiled.log;
    EXPECT_FALSE(compiled.file83Plus);
    // The TI-83 runs it, labels past lng999 included.
    expectShowsText(compiled, Model::TI83, "Too long", text);
    const Compiled again = app.compile("Fine", {"short"});
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_EQ(again.log.find("C000"), std::string::npos);
}

// The line limit the build checks before the tool chain runs is where asm83 draws it.
TEST(CalculatorLimit, TheCodeLineLimitIsWhereTheTI83PlusCodeReachesC000) {
    AppFolderCopy app;
    for (const std::string title : {"Demo", "My story"}) {
        SCOPED_TRACE(title);
        const std::int64_t limit = codeLineLimit(corvane::CalculatorModel::TI83Plus, title.size());
        const Compiled atLimit = app.compile(title, std::vector<std::string>(limit, ""));
        EXPECT_EQ(atLimit.exitStatus, 0) << atLimit.log;
        EXPECT_TRUE(atLimit.file83Plus);
        const Compiled past = app.compile(title, std::vector<std::string>(limit + 1, ""));
        EXPECT_NE(past.log.find("C000"), std::string::npos) << past.log;
        EXPECT_FALSE(past.file83Plus);
    }
}

TEST(ProgramFolder, HoldsARunnableToolChain) {
    namespace fs = std::filesystem;
    for (const char* name : {"asm83", "asm.bat"}) {
        const fs::perms perms = fs::status(fs::path(CORVANE_APP_DIR) / name).permissions();
        EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none) << name;
    }
    EXPECT_TRUE(fs::is_regular_file(fs::path(CORVANE_APP_DIR) / "ion.inc"));
}

} // namespace
} // namespace corvane::programs
