#include "basic_build.h"
#include "basic_interpreter.h"
#include "files.h"
#include "temp_folder.h"
#include "ti_program_file.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace corvane {
namespace {

std::u16string shownText(std::span<const BasicToken> tokens) {
    std::u16string text;
    for (const BasicToken token : tokens) {
        text.push_back(basicTokenCharacter(token));
    }
    return text;
}

// The characters of each screen (or row).
std::vector<std::u16string> shownScreens(const std::vector<std::vector<BasicToken>>& screens) {
    std::vector<std::u16string> shown;
    for (const auto& screen : screens) {
        shown.push_back(shownText(screen));
    }
    return shown;
}

TEST(BasicLayout, RowsBreakAtTheLastSpaceThatFits) {
    const struct {
        std::u16string line;
        std::vector<std::u16string> rows;
    } cases[] = {
        {u"", {u""}},
        {u"hello", {u"hello"}},
        {u"hello world", {u"hello", u"world"}},
        {u"abcdefghij", {u"abcde", u"fghij"}},
        {u"abcdefghijkl", {u"abcde", u"fghij", u"kl"}},
        {u"abcde fgh", {u"abcde", u"fgh"}},
        {u"ab cdefghij", {u"ab", u"cdefg", u"hij"}},
        {u"a b c d e f", {u"a b c", u"d e f"}},
        {u"abcd  efg", {u"abcd ", u"efg"}},
        {u" abcdefg", {u" abcd", u"efg"}},
    };
    for (const auto& [line, rows] : cases) {
        EXPECT_EQ(shownScreens(basicRows(basicTextLines(line).front(), 5)), rows)
            << std::string(line.begin(), line.end());
    }
}

TEST(BasicLayout, StatusRowIsRightAligned) {
    EXPECT_EQ(shownText(basicStatusRow(0, 12, 40, 16)), u"           12/40");
    EXPECT_EQ(shownText(basicStatusRow(2, 1, 3, 26)), u"                     2:1/3");
}

Document documentOf(std::string text) {
    Document document;
    document.programName = "Demo";
    document.calculatorFileName = "demo";
    document.text = std::move(text);
    return document;
}

// The one program of `kind` the document becomes: its version byte and its body.
std::pair<int, std::string> onlyProgram(const Document& document, const BasicKind& kind) {
    const BasicBuilt built = buildBasicPrograms(document, "demo", kind, kind.defaultPartSize);
    EXPECT_EQ(built.files.size(), 1u) << built.error;
    const auto parsed = tifile::parseProgramFile(built.files.at(0).bytes);
    EXPECT_TRUE(parsed.file) << parsed.error;
    return parsed.file ? std::pair{int{parsed.file->version}, parsed.file->body}
                       : std::pair{-1, std::string()};
}

class BasicRunTest : public ::testing::TestWithParam<BasicKind> {};

// A text of exactly three screens on either home screen (7 text rows of 16 columns on the
// monochrome models, 9 of 26 on the CE), paged by key scripts in the interpreter.
TEST_P(BasicRunTest, KeyScriptsShowThePlannedScreens) {
    const BasicKind& kind = GetParam();
    std::string text;
    for (int line = 1; line <= 3 * (kind.screen.rows - 1); ++line) {
        text += (line == 1 ? "" : "\r\n") + ("Line " + std::to_string(line) + " \"q\"");
    }
    const Document document = documentOf(text);
    const BasicPlan plan = planBasicProgram(document, kind, kind.defaultPartSize);
    ASSERT_EQ(plan.parts.size(), 1u);
    const std::vector<std::u16string> planned = shownScreens(plan.parts[0].screens);
    ASSERT_EQ(planned.size(), 3u);
    const std::string body = onlyProgram(document, kind).second;

    const struct {
        const char* name;
        std::vector<int> keys;
        std::vector<int> screensShown; // 1-based screen at each key
    } scripts[] = {
        {"forward to the end, then ENTER",
         {kKeyDown, kKeyRight, kKeyDown, kKeyRight, kKeyEnter},
         {1, 2, 3, 3, 3}},
        {"back to the start",
         {kKeyDown, kKeyDown, kKeyUp, kKeyLeft, kKeyUp, kKeyClear},
         {1, 2, 3, 2, 1, 1}},
        {"ENTER pages forward", {kKeyEnter, kKeyEnter, kKeyEnter}, {1, 2, 3}},
        {"CLEAR in the middle", {kKeyDown, kKeyClear}, {1, 2}},
        {"other keys do nothing", {92, 21, 105 + 1, kKeyClear}, {1, 1, 1, 1}},
    };
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.name);
        const test::BasicRun run = test::runBasicProgram(body, kind.screen, script.keys);
        ASSERT_TRUE(run.ended) << run.error;
        std::vector<std::u16string> expected;
        for (const int screen : script.screensShown) {
            expected.push_back(planned[static_cast<std::size_t>(screen - 1)]);
        }
        EXPECT_EQ(shownScreens(run.screensAtKeys), expected);
        EXPECT_EQ(run.finalScreen, std::vector<BasicToken>(kind.screen.cells(), kBasicSpace));
        EXPECT_FALSE(run.str1Left);
        // Only the two documented real variables are touched.
        for (const auto& [variable, value] : run.reals) {
            EXPECT_TRUE(variable == kScreenVariable || variable == kKeyVariable) << variable;
        }
    }
}

TEST_P(BasicRunTest, EveryWindows1252CharacterShowsAsPlanned) {
    const BasicKind& kind = GetParam();
    std::string text;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n') {
            text.push_back(static_cast<char>(byte));
        }
    }
    const Document document = documentOf(text);
    const BasicPlan plan = planBasicProgram(document, kind, kind.defaultPartSize);
    ASSERT_EQ(plan.parts.size(), 1u);
    EXPECT_TRUE(plan.unshown.find(u'\u00E9') == std::u16string::npos);
    EXPECT_TRUE(plan.unshown.find(u'\u20AC') != std::u16string::npos);

    const auto [version, body] = onlyProgram(document, kind);
    EXPECT_EQ(version, 3); // … and ß need the TI-83 Plus OS 1.16 tokens
    std::vector<int> keys(plan.parts[0].screens.size() - 1, kKeyDown);
    keys.push_back(kKeyEnter);
    const test::BasicRun run = test::runBasicProgram(body, kind.screen, keys);
    ASSERT_TRUE(run.ended) << run.error;
    EXPECT_EQ(run.screensAtKeys, plan.parts[0].screens);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BasicRunTest, ::testing::Values(kBasicColour, kBasicMonochrome),
                         [](const auto& row) {
                             return std::string(row.param.screen.rows == 10 ? "Colour"
                                                                            : "Monochrome");
                         });

// Every line once, in order, on the screens of parts within the size, each with its status row.
TEST(BasicParts, LongTextSplitsWithinTheSizeEveryLineOnceInOrder) {
    std::string text;
    std::vector<std::u16string> expected;
    for (int line = 1; line <= 900; ++line) {
        const std::string shown = "line " + std::to_string(line);
        text += (line == 1 ? "" : "\r\n") + shown;
        expected.emplace_back(shown.begin(), shown.end());
    }
    for (const BasicKind& kind : {kBasicColour, kBasicMonochrome}) {
        SCOPED_TRACE(kind.fileSuffix);
        constexpr std::size_t kPartSize = 3000;
        const BasicBuilt built = buildBasicPrograms(documentOf(text), "story", kind, kPartSize);
        ASSERT_GT(built.files.size(), 2u) << built.error;
        std::vector<std::u16string> lines;
        const auto columns = static_cast<std::size_t>(kind.screen.columns);
        for (std::size_t part = 1; part <= built.files.size(); ++part) {
            const BasicProgramFile& file = built.files[part - 1];
            EXPECT_LE(file.programSize, kPartSize);
            EXPECT_EQ(file.fileName,
                      "story" + std::string(kind.fileSuffix) + "-" + std::to_string(part) + ".8xp");
            EXPECT_EQ(file.variableName, "DEMO" + std::to_string(part));
            const auto parsed = tifile::parseProgramFile(file.bytes);
            ASSERT_TRUE(parsed.file);
            EXPECT_EQ(parsed.file->name, file.variableName);
            std::vector<int> keys(file.screenCount - 1, kKeyDown);
            keys.push_back(kKeyEnter);
            const test::BasicRun run = test::runBasicProgram(parsed.file->body, kind.screen, keys);
            ASSERT_TRUE(run.ended) << run.error;
            const std::vector<std::u16string> screens = shownScreens(run.screensAtKeys);
            for (std::size_t s = 0; s < screens.size(); ++s) {
                for (std::size_t at = 0; at + columns < screens[s].size(); at += columns) {
                    std::u16string line = screens[s].substr(at, columns);
                    line.erase(line.find_last_not_of(u' ') + 1);
                    if (!line.empty()) {
                        lines.push_back(line);
                    }
                }
                const std::string status = std::to_string(part) + ":" + std::to_string(s + 1) +
                                           "/" + std::to_string(file.screenCount);
                std::u16string last = screens[s].substr(screens[s].size() - columns);
                last.erase(0, last.find_first_not_of(u' '));
                EXPECT_EQ(last, std::u16string(status.begin(), status.end()));
            }
        }
        EXPECT_EQ(lines, expected);
    }
}

TEST(BasicParts, PartSizeOfEachKind) {
    const struct {
        std::optional<std::size_t> requested;
        std::size_t colour; // 0: refused
        std::size_t monochrome;
    } rows[] = {
        {std::nullopt, 65505, 10000}, {1999, 0, 0},          {2000, 2000, 2000},
        {30000, 30000, 12000},        {65505, 65505, 12000}, {65506, 0, 0},
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_EQ(basicPartSize(kBasicColour, row.requested, error).value_or(0), row.colour);
        EXPECT_EQ(basicPartSize(kBasicMonochrome, row.requested, error).value_or(0),
                  row.monochrome);
        EXPECT_EQ(error.empty(), row.colour != 0) << error;
    }
}

TEST(BasicBuild, WritesBothKindsOrNothing) {
    test::TempFolder folder;
    BasicBuildRequest request{documentOf("Price: 5\x80"), folder.path().string(), "demo",
                              std::nullopt};
    const BasicBuildOutcome outcome = runBasicBuild(request);
    ASSERT_TRUE(outcome.ok) << outcome.message;
    ASSERT_EQ(outcome.delivered.size(), 2u);
    EXPECT_EQ(outcome.unshown, u"\u20AC");
    for (const BasicProgramFile& file : outcome.delivered) {
        EXPECT_EQ(test::readFile(folder.file(file.fileName)), file.bytes);
    }
    EXPECT_EQ(outcome.delivered[0].fileName, "demo-ce.8xp");
    EXPECT_EQ(outcome.delivered[1].fileName, "demo-84.8xp");

    test::TempFolder empty;
    request.outputFolder = empty.path().string();
    request.document.calculatorFileName = "9lives";
    const BasicBuildOutcome refused = runBasicBuild(request);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("9LIVES"), std::string::npos) << refused.message;
    EXPECT_TRUE(std::filesystem::is_empty(empty.path()));
}

// The worked example's two programs, byte for byte.
TEST(BasicGolden, WorkedExample) {
    const Document document =
        documentOf("Hello world\r\nLine two\r\nBye\r\nThe quick brown fox jumps over");
    for (const BasicKind& kind : {kBasicColour, kBasicMonochrome}) {
        const BasicBuilt built = buildBasicPrograms(document, "demo", kind, kind.defaultPartSize);
        ASSERT_EQ(built.files.size(), 1u) << built.error;
        const std::string golden = std::string(CORVANE_GOLDEN_DIR) + "/" + built.files[0].fileName;
        if (std::getenv("CORVANE_WRITE_GOLDEN")) {
            test::writeFile(golden, built.files[0].bytes);
        }
        EXPECT_EQ(built.files[0].bytes, test::readFile(golden)) << golden;
    }
}

} // namespace
} // namespace corvane
