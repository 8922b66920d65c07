#include "program_parts.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

struct SplitRow {
    const char* name;
    std::vector<std::size_t> screenBytes;
    std::size_t fixedBytes;
    std::size_t maxBytes;
    std::optional<std::vector<std::size_t>> parts;
};

using Parts = std::vector<std::size_t>;

TEST(ProgramParts, SplitsAtScreenBoundaries) {
    const SplitRow rows[] = {
        {"no screen is one part", {}, 100, 200, Parts{0}},
        {"everything fits one part", {50, 50}, 100, 200, Parts{0}},
        {"a part filled to the byte", {50, 50, 1}, 100, 200, Parts{0, 2}},
        {"three parts", {60, 60, 60, 60, 60}, 80, 200, Parts{0, 2, 4}},
        {"a large screen after small ones", {10, 100, 10}, 100, 200, Parts{0, 1, 2}},
        {"one screen too large", {50, 101}, 100, 200, std::nullopt},
        {"the fixed part too large", {}, 201, 200, std::nullopt},
    };
    for (const SplitRow& row : rows) {
        EXPECT_EQ(splitIntoParts(row.screenBytes, row.fixedBytes, row.maxBytes), row.parts)
            << row.name;
    }
}

TEST(ProgramParts, NamesTitlesAndFiles) {
    EXPECT_EQ(partCalculatorName("STORY", 0), "STORY");
    EXPECT_EQ(partCalculatorName("STORY", 1), "STORY1");
    EXPECT_EQ(partCalculatorName("LONGNAME", 2), "LONGNAM2");
    EXPECT_EQ(partCalculatorName("LONGNAME", 12), "LONGNA12");

    EXPECT_EQ(partTitle("Title", 0, 1, 30), "Title");
    EXPECT_EQ(partTitle("Title", 1, 3, 30), "Title 1/3");
    EXPECT_EQ(partTitle("A long title", 2, 3, 10), "A long 2/3");
    EXPECT_EQ(partTitle("A long title", 10, 12, 10), "A lo 10/12");
    EXPECT_EQ(partTitle("Title", 10, 12, 5), "10/12");
    EXPECT_EQ(partTitle("", 1, 2, 30), "1/2");
    EXPECT_EQ(partTitle("Two words", 1, 2, 8), "Two 1/2");

    EXPECT_EQ(partFileName("story", "", 0, ".83p"), "story.83p");
    EXPECT_EQ(partFileName("story", "", 1, ".8xp"), "story-1.8xp");
    EXPECT_EQ(partFileName("story", "-ce", 2, ".8xp"), "story-ce-2.8xp");
    EXPECT_EQ(partFileName("story", "-ce", 0, ".8xp"), "story-ce.8xp");
}

} // namespace
} // namespace corvane
