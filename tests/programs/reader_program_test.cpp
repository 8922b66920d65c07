#include "chain.h"
#include "layout.h"
#include "reader_program.h"

#include <gtest/gtest.h>
#include <numeric>

namespace corvane::programs {
namespace {

using harness::Model;
using harness::Start;

struct Target {
    Model model;
    Start start;
    const char* name;
};

constexpr Target kTargets[] = {
    {Model::TI83, Start::Ion, "TI-83 under ION"},
    {Model::TI83Plus, Start::Ion, "TI-83 Plus under ION"},
    {Model::TI83Plus, Start::AsmCarryReset, "TI-83 Plus by Asm( with carry reset"},
    {Model::TI83Plus, Start::AsmCarrySet, "TI-83 Plus by Asm( with carry set"},
};

struct Built {
    std::vector<std::string> lines;
    ReaderPart part;
    std::string file83;
    std::string file83Plus;
};

// The calculator lines of `text`, one part of them, assembled for both calculators.
Built build(AppFolderCopy& app, const std::vector<std::string>& lines, const ReaderPart& part) {
    const Compiled compiled = app.assemble(readerSource(lines, part));
    EXPECT_EQ(compiled.exitStatus, 0) << compiled.log;
    return {lines, part, compiled.file83.value_or(""), compiled.file83Plus.value_or("")};
}

ReaderPart wholeText(const std::vector<std::string>& lines, std::string title = "Story") {
    return {0, 1, 0, lines.size(), std::move(title)};
}

// Runs the program with `keys` to its end and checks that it ends cleanly, changes no system RAM
// but the pen position, and shows at each key wait the preview's screen of the index in `shown`.
// Without keys, ENTER pages through every screen.
void expectRun(const Built& built, const Target& target, std::vector<std::uint8_t> keys = {},
               std::vector<std::size_t> shown = {}) {
    if (keys.empty()) {
        shown.resize(built.part.screenCount());
        std::iota(shown.begin(), shown.end(), 0);
        keys.assign(shown.size(), harness::kKeyEnter);
    }
    harness::Calculator calculator(target.model);
    ASSERT_EQ(
        calculator.loadProgramFile(target.model == Model::TI83 ? built.file83 : built.file83Plus),
        "");
    calculator.scriptKeys(std::move(keys));
    // The pen position is the only system RAM the program may leave changed.
    const std::uint16_t pen = harness::addressesOf(target.model).penCol;
    const auto systemRam = [&] {
        std::string ram;
        for (std::uint16_t at = 0x8000; at < harness::progstart(target.model) - 2; ++at) {
            ram.push_back(at == pen || at == pen + 1 ? 0 : static_cast<char>(calculator.peek(at)));
        }
        return ram;
    };
    const std::string before = systemRam();
    const harness::RunResult result = calculator.run(200'000'000, target.start);
    ASSERT_EQ(uncleanEnd(result), "");
    EXPECT_TRUE(systemRam() == before) << "system RAM changed";
    std::vector<Screen> expected;
    for (const std::size_t screen : shown) {
        expected.push_back(readerScreen(built.lines, built.part, screen, target.model));
    }
    const std::vector<Screen> drawn = drawnScreens(result);
    EXPECT_EQ(drawn, expected);
    EXPECT_LE(widestEnd(drawn), harness::kScreenColumns);
}

std::vector<std::string> storyLines(int textLines) {
    std::string text;
    for (int i = 1; i <= textLines; ++i) {
        text += "Line " + std::to_string(i) + ": a b  c\xA4" + "d\t\"q\" \xA0x\r\n";
    }
    text.pop_back();
    text.pop_back();
    return layoutText(text);
}

using harness::kKeyAdd, harness::kKeyClear, harness::kKeyDown, harness::kKeyEnter,
    harness::kKeyLeft, harness::kKeyRight, harness::kKeySub, harness::kKeyUp;
constexpr std::uint8_t kKeyZero = 0x8E;

TEST(ReaderProgram, KeyScriptsShowThePreviewsScreens) {
    AppFolderCopy app;
    const std::vector<std::string> lines = storyLines(20);
    ASSERT_EQ(wholeText(lines).screenCount(), 4u);
    const Built built = build(app, lines, wholeText(lines));
    const struct {
        const char* name;
        std::vector<std::uint8_t> keys;
        std::vector<std::size_t> shown; // the screen shown at each key wait
    } scripts[] = {
        {"next to the end",
         {kKeyDown, kKeyRight, kKeyAdd, kKeyDown, kKeyRight, kKeyAdd, kKeyClear},
         {0, 1, 2, 3, 3, 3, 3}},
        {"back to the start",
         {kKeyDown, kKeyDown, kKeyDown, kKeyUp, kKeyLeft, kKeySub, kKeyUp, kKeyClear},
         {0, 1, 2, 3, 2, 1, 0, 0}},
        {"Enter on the last screen quits",
         {kKeyEnter, kKeyEnter, kKeyEnter, kKeyEnter},
         {0, 1, 2, 3}},
        {"Clear from the middle", {kKeyDown, kKeyDown, kKeyClear}, {0, 1, 2}},
        {"other keys do nothing", {kKeyZero, kKeyDown, kKeyZero, kKeyClear}, {0, 0, 1, 1}},
    };
    for (const Target& target : kTargets) {
        for (const auto& script : scripts) {
            SCOPED_TRACE(std::string(target.name) + ": " + script.name);
            expectRun(built, target, script.keys, script.shown);
        }
    }
}

// Body bytes of a program file on the TI-83 Plus.
std::size_t bodySize(const std::string& file) {
    const tifile::Parsed parsed = tifile::parseProgramFile(file);
    return parsed.file ? parsed.file->body.size() : 0;
}

TEST(ReaderProgram, TheLargestTextOfOnePart) {
    // Lines of 23 characters take 24 bytes each; fill the default part size exactly.
    const std::string line = "The quick brown fox jum";
    std::vector<std::string> lines(1, line);
    const std::size_t fixed = readerProgramBytes(lines, wholeText(lines)) - 24;
    lines.assign((kReaderDefaultPartBytes - fixed) / 24, line);
    ReaderPlan plan = planReaderParts(lines, "Story", kReaderDefaultPartBytes);
    ASSERT_EQ(plan.parts.size(), 1u);
    EXPECT_EQ(plan.parts[0].number, 0);

    AppFolderCopy app;
    const Built built = build(app, lines, plan.parts[0]);
    const std::size_t bytes = readerProgramBytes(lines, plan.parts[0]);
    EXPECT_LE(bytes, kReaderDefaultPartBytes);
    EXPECT_EQ(bodySize(built.file83Plus), bytes);
    EXPECT_EQ(bodySize(built.file83), bytes - 2);
    for (const Target& target : kTargets) {
        SCOPED_TRACE(target.name);
        expectRun(built, target);
    }

    lines.push_back(line);
    EXPECT_EQ(planReaderParts(lines, "Story", kReaderDefaultPartBytes).parts.size(), 2u);
}

TEST(ReaderProgram, AThreePartText) {
    const std::vector<std::string> lines = storyLines(170);
    const ReaderPlan plan = planReaderParts(lines, "Story", kReaderMinimumPartBytes);
    ASSERT_EQ(plan.parts.size(), 3u);
    std::size_t nextLine = 0;
    AppFolderCopy app;
    for (const ReaderPart& part : plan.parts) {
        SCOPED_TRACE("part " + std::to_string(part.number));
        EXPECT_EQ(part.count, 3);
        EXPECT_EQ(part.firstLine, nextLine);
        EXPECT_EQ(part.firstLine % kReaderRowsPerScreen, 0u);
        nextLine += part.lineCount;
        const Built built = build(app, lines, part);
        EXPECT_LE(bodySize(built.file83Plus), kReaderMinimumPartBytes);
        EXPECT_EQ(harness::ionTitle(Model::TI83Plus,
                                    tifile::parseProgramFile(built.file83Plus).file->body),
                  "Story " + std::to_string(part.number) + "/3");
        expectRun(built, kTargets[1]);
    }
    EXPECT_EQ(nextLine, lines.size());
}

TEST(ReaderProgram, EveryCodeAndTheWidestCharacters) {
    std::string text;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n') {
            text += static_cast<char>(byte);
        }
    }
    for (const char wide : {'@', 'm', 'W', '#', '\xD6', '\xC4'}) {
        text += "\r\n" + std::string(40, wide);
    }
    text += "\r\n" + std::string(40, ' ') + "\r\n" + std::string(40, '\xA4');
    const std::vector<std::string> lines = layoutText(text);
    AppFolderCopy app;
    const Built built = build(app, lines, wholeText(lines));
    for (const Target& target : {kTargets[0], kTargets[1]}) {
        SCOPED_TRACE(target.name);
        expectRun(built, target);
    }
}

TEST(ReaderProgram, DataPastTheCodeLimitIsPagedBothWays) {
    const std::vector<std::string> lines(1000, "Data past the code end.");
    const ReaderPart part = wholeText(lines);
    ASSERT_GT(harness::progstart(Model::TI83Plus) + readerProgramBytes(lines, part), 0xC000u);
    AppFolderCopy app;
    const Built built = build(app, lines, part);
    const std::size_t screens = part.screenCount();
    std::vector<std::uint8_t> keys(screens - 1, kKeyDown);
    keys.insert(keys.end(), screens - 1, kKeyUp);
    keys.push_back(kKeyClear);
    std::vector<std::size_t> shown; // to the last screen and back
    for (std::size_t i = 0; i < 2 * screens - 1; ++i) {
        shown.push_back(i < screens ? i : 2 * screens - 2 - i);
    }
    for (const Target& target : {kTargets[1], kTargets[2]}) {
        SCOPED_TRACE(target.name);
        expectRun(built, target, keys, shown);
    }
}

} // namespace
} // namespace corvane::programs
