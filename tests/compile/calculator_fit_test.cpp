// How many calculator lines a program holds: the TI-83 Plus code limit and the RAM of a
// cleared calculator, each tested on both sides.
#include "calculator_fit.h"
#include "temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace corvane::test {
namespace {

struct FitCase {
    const char* name;
    std::string programName;
    std::string line; // every calculator line of temp.ett
    std::int64_t lines;
    std::int64_t linesThatFit; // equal to `lines` when the text fits
    const char* reason = "";
};

TEST(CalculatorFit, CountsTheLinesEachLimitAllows) {
    const std::string x23(23, 'x');
    const std::string spaces23(23, ' ');
    const FitCase cases[] = {
        // With a 4-character title the last code byte of 698 lines lies at BFFFh.
        {"code up to BFFFh", "Demo", "", 698, 698},
        {"code reaching C000h", "Demo", "", 699, 698, "below address C000h"},
        {"full lines within the TI-83 Plus's RAM", "My story", x23, 615, 615},
        {"full lines beyond it", "My story", x23, 616, 615, "24,000 bytes of RAM"},
        {"spaces take two bytes each", "My story", spaces23, 377, 377},
        {"spaces beyond the RAM", "My story", spaces23, 378, 377, "24,000 bytes of RAM"},
        {"a text of a million lines is read only as far as needed", "My story", "", 1000000, 697,
         "1,000,000 calculator lines"},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string ett = folder.file("temp.ett");
        {
            std::ofstream out(ett, std::ios::binary);
            const std::string line = c.line + "\r\n";
            for (std::int64_t i = 0; i < std::min<std::int64_t>(c.lines, 3000); ++i) {
                out << line;
            }
        }

        const CalculatorFit fit = checkCalculatorFit(ett, c.lines, c.programName.size(), 5);
        // The preview checks the lines in memory, and estimates the limit from their mean
        // size: for lines all alike, both agree with the build.
        if (c.lines <= 3000) {
            const CalculatorFit inMemory = checkCalculatorFit(
                std::vector<std::string>(std::size_t(c.lines), c.line), c.programName.size(), 5);
            EXPECT_EQ(inMemory.linesThatFit, fit.linesThatFit);
            EXPECT_EQ(inMemory.message, fit.message);
        }
        if (!fit.fits) {
            EXPECT_EQ(estimatedLineLimit(double(lineStringBytes(c.line)), c.programName.size(), 5),
                      c.linesThatFit);
        }

        EXPECT_EQ(fit.error, "");
        EXPECT_EQ(fit.fits, c.linesThatFit == c.lines);
        EXPECT_EQ(fit.linesThatFit, c.linesThatFit);
        EXPECT_EQ(fit.limiting, CalculatorModel::TI83Plus);
        if (!fit.fits) {
            EXPECT_NE(fit.message.find("TI-83 Plus program holds at most " +
                                       std::to_string(c.linesThatFit) + " of them"),
                      std::string::npos)
                << fit.message;
            EXPECT_NE(fit.message.find(c.reason), std::string::npos) << fit.message;
        } else {
            EXPECT_EQ(fit.message, "");
        }
    }
}

} // namespace
} // namespace corvane::test
