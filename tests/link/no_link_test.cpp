// A build without the link libraries: it looks for no cable, and a send of an intact program
// ends with the reason, not with a success.

#include "calculator_link.h"
#include "files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace corvane::link {
namespace {

TEST(NoLink, FindsNoCableAndSaysWhyItCannotSend) {
    EXPECT_FALSE(probe().has_value());
    ASSERT_FALSE(sendingUnavailable().empty());

    const test::TempFolder folder;
    const std::string path = folder.file("HELLO.8xp");
    test::writeFile(path,
                    tifile::buildProgramFile(CalculatorModel::TI83Plus, "HELLO", "\xBB\x6D").bytes);
    const SendResult result = sendProgram({path, {}, CalculatorModel::TI83Plus}, {});
    EXPECT_EQ(result.failure, Failure::NoCable);
    EXPECT_EQ(result.message, sendingUnavailable());
}

} // namespace
} // namespace corvane::link
