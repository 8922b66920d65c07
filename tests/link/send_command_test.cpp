// `corvane --send` against the stand-in calculator on the virtual link.

#include "files.h"
#include "send_command.h"
#include "standin.h"
#include "temp_folder.h"
#include "ti_program_file.h"

#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <sstream>

namespace corvane {
namespace {

struct Row {
    const char* name;
    const char* files; // in the test's folder, separated by spaces
    std::optional<std::string> cable;
    std::optional<std::string> model;
    const char* standIn; // how the stand-in answers; none when null
    int status;
    const char* stored; // the names it stored, separated by spaces
    const char* errorPart;
};

// Rows print as their names in test listings.
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

std::vector<std::string> words(const char* text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

class SendCommandTest : public testing::TestWithParam<Row> {};

TEST_P(SendCommandTest, ExitsZeroOnlyWhenEveryFileArrived) {
    const Row& row = GetParam();
    test::TempFolder folder;
    SendOptions options{{}, row.cable, row.model};
    // A .txt file holds text, a "missing" one is not there, a .bin one holds a TI-83 Plus
    // program.
    for (const std::string& file : words(row.files)) {
        const std::string name = file.substr(0, file.find('.'));
        const bool ti83 = file.ends_with(".83p");
        const std::string body = ti83 ? std::string("\xC9", 1) : std::string("\xBB\x6D\xC9", 3);
        const auto model = ti83 ? CalculatorModel::TI83 : CalculatorModel::TI83Plus;
        if (file.ends_with(".txt")) {
            test::writeFile(folder.file(file), "Once upon a time\r\n");
        } else if (!file.starts_with("missing")) {
            test::writeFile(folder.file(file), tifile::buildProgramFile(model, name, body).bytes);
        }
        options.files.push_back(folder.file(file));
    }
    std::optional<test::StandIn> standIn;
    if (row.standIn != nullptr) {
        standIn.emplace(row.standIn, 4);
        ASSERT_TRUE(standIn->ready());
    }
    std::ostringstream out, err;
    EXPECT_EQ(runSendCommand(options, out, err), row.status) << err.str();
    EXPECT_NE(err.str().find(row.errorPart), std::string::npos) << err.str();
    for (const std::string& path : options.files) {
        const std::size_t first = err.str().find(path);
        EXPECT_EQ(err.str().find(path, first + 1), std::string::npos) << err.str();
    }
    if (standIn) {
        std::vector<std::string> stored;
        for (const test::Stored& variable : standIn->finish()) {
            stored.push_back(variable.name);
        }
        EXPECT_EQ(stored, words(row.stored));
    }
}

const auto none = std::nullopt;
const Row kRows[] = {
    {"EveryFileArrives", "HELLO.8xp WORLD.8xp", "virtual", "83p", "store", 0, "HELLO WORLD", ""},
    {"ModelFromTheFile", "HELLO.83p", "virtual", none, "store", 0, "HELLO", ""},
    {"OneRefused", "HELLO.8xp WORLD.83p", "virtual", "83p", "store", 1, "HELLO",
     "WORLD.83p is a program for the TI-83,"},
    {"UnknownModel", "HELLO.8xp", "virtual", "84", nullptr, 2, "", "--model must be 83, 83p or ce"},
    {"UnknownCable", "HELLO.8xp", "parallel", "83p", nullptr, 2, "", "--cable must be"},
    {"NoCalculatorOnUsb", "HELLO.8xp", none, "83p", nullptr, 1, "", "--cable"},
    // A file's own fault is named before any cable is looked for, with or without --cable.
    {"MissingFile", "missing.8xp", none, none, nullptr, 1, "", "missing.8xp: cannot be read"},
    {"TextFile", "story.txt", none, none, nullptr, 1, "", "story.txt cannot be sent"},
    {"OtherModelWithoutCable", "HELLO.83p", none, "83p", nullptr, 1, "",
     "HELLO.83p is a program for the TI-83,"},
    {"ProgramWithAnotherExtension", "PROG.bin", "virtual", none, nullptr, 1, "",
     "PROG.bin holds a TI-83 Plus program, but only files named .8xp can be sent"},
};

INSTANTIATE_TEST_SUITE_P(Rows, SendCommandTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& row) { return row.param.name; });

} // namespace
} // namespace corvane
