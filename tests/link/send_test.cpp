// sendProgram against the stand-in calculator on the libraries' virtual link.

#include "calculator_link.h"
#include "files.h"
#include "standin.h"
#include "temp_folder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <ostream>
#include <thread>

namespace corvane::link {
namespace {

using test::TempFolder;
using Model = CalculatorModel;

// A program file for `model` named HELLO with a body of `size` bytes.
std::string writeProgram(const TempFolder& folder, Model model, std::size_t size,
                         std::string& body) {
    body.assign(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        body[i] = static_cast<char>(i * 7 + 1);
    }
    if (model == Model::TI83Plus) {
        body[0] = static_cast<char>(0xBB);
        body[1] = 0x6D;
    }
    const std::string path =
        folder.file(std::string("HELLO") + std::string(factsOf(model).extension));
    test::writeFile(path, tifile::buildProgramFile(model, "HELLO", body).bytes);
    return path;
}

struct Row {
    const char* name;
    Model fileModel;
    Model chosenModel;
    const char* standIn; // how the stand-in answers
    std::size_t size;
    bool cancelOnProgress;
    Failure failure;
    const char* messagePart;
    bool stored = false; // the stand-in stored the program although the send failed
};

// Rows print as their names in test listings.
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

const Row kRows[] = {
    {"StoresTi83PlusProgram", Model::TI83Plus, Model::TI83Plus, "store", 300, false, Failure::None,
     ""},
    {"StoresTi83Program", Model::TI83, Model::TI83, "store", 3000, false, Failure::None, ""},
    {"OutOfMemory", Model::TI83Plus, Model::TI83Plus, "full", 300, false, Failure::OutOfMemory,
     "out of memory"},
    {"SkipIsNoSuccess", Model::TI83Plus, Model::TI83Plus, "skip", 300, false, Failure::Refused,
     "did not store HELLO"},
    {"ExitEndsTheTransfer", Model::TI83Plus, Model::TI83Plus, "exit", 300, false, Failure::Refused,
     "The calculator ended the transfer"},
    {"Busy", Model::TI83Plus, Model::TI83Plus, "busy", 300, false, Failure::Busy, "busy"},
    {"NeverAnswers", Model::TI83Plus, Model::TI83Plus, "silent", 300, false, Failure::NoAnswer,
     "No calculator answered within 1 second."},
    {"ProgramNeverConfirmed", Model::TI83Plus, Model::TI83Plus, "mute", 300, false,
     Failure::Unconfirmed, "HELLO was sent, but the calculator did not confirm it"},
    // The data packet (the body, its length word and six bytes of framing) is a multiple of
    // twenty bytes: the library's last chunk is empty, and on this cable that write fails.
    {"LastChunkEmpty", Model::TI83Plus, Model::TI83Plus, "store", 2232, false, Failure::Unconfirmed,
     "HELLO was sent, but the calculator did not confirm it", true},
    {"CancelDuringData", Model::TI83Plus, Model::TI83Plus, "store", 8000, true, Failure::Cancelled,
     "Sending cancelled; nothing was stored."},
    {"Ti83PlusProgramToTi83", Model::TI83Plus, Model::TI83, "store", 300, false,
     Failure::OtherModel, "HELLO.8xp is a program for the TI-83 Plus"},
};

class SendTest : public testing::TestWithParam<Row> {};

TEST_P(SendTest, StandInReceivesOrSaysWhy) {
    const Row& row = GetParam();
    TempFolder folder;
    std::string body;
    const std::string path = writeProgram(folder, row.fileModel, row.size, body);

    // A stand-in that falls silent must outlast the library's wait, which counts the sending
    // process's processor time and so stretches on a loaded machine; it is hung up afterwards,
    // as is one the send never spoke to.
    const bool silent = row.failure == Failure::NoAnswer || row.failure == Failure::Unconfirmed;
    const bool hangUp = silent || row.failure == Failure::OtherModel;
    test::StandIn standIn(row.standIn, silent ? 60 : 4);
    ASSERT_TRUE(standIn.ready());
    std::atomic<bool> cancel = false;
    std::size_t progressCalls = 0;
    SendEvents events;
    events.cancel = &cancel;
    events.progress = [&](std::size_t sent, std::size_t total) {
        ++progressCalls;
        if (row.cancelOnProgress && sent > 0 && sent < total) {
            cancel = true;
        }
    };
    const auto start = std::chrono::steady_clock::now();
    const SendResult result = sendProgram({path, {Cable::Virtual, 1}, row.chosenModel, 1}, events);
    const auto took = std::chrono::steady_clock::now() - start;
    if (hangUp) {
        standIn.hangUp();
    }
    const std::vector<test::Stored> stored = standIn.finish();

    EXPECT_EQ(result.failure, row.failure) << result.message;
    EXPECT_NE(result.message.find(row.messagePart), std::string::npos) << result.message;
    ASSERT_EQ(stored.size(), row.failure == Failure::None || row.stored ? 1u : 0u);
    if (!stored.empty()) {
        EXPECT_EQ(stored[0].name, "HELLO");
        EXPECT_EQ(stored[0].type, tifile::kProtectedProgramType);
        EXPECT_EQ(stored[0].bytes.substr(4), test::hexOf(body)); // after the length word
    }
    if (row.failure == Failure::None) {
        EXPECT_GE(progressCalls, 2u);
    }
    if (silent) {
        // One second of the library's busy waiting, with room for a loaded machine.
        EXPECT_LT(took, std::chrono::seconds(15));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SendTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& row) { return row.param.name; });

// The library does not look at the cancel flag while it waits for an answer; a cancel then
// still ends the send as cancelled, not as a calculator that did not answer.
TEST(SendCancel, WhileWaitingForTheCalculatorEndsQuietly) {
    TempFolder folder;
    std::string body;
    const std::string path = writeProgram(folder, Model::TI83Plus, 300, body);
    test::StandIn standIn("silent", 60);
    ASSERT_TRUE(standIn.ready());
    std::atomic<bool> cancel = false;
    std::thread user([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    SendEvents events;
    events.cancel = &cancel;
    const SendResult result = sendProgram({path, {Cable::Virtual, 1}, Model::TI83Plus, 1}, events);
    user.join();
    standIn.hangUp();
    EXPECT_TRUE(standIn.finish().empty());
    EXPECT_EQ(result.failure, Failure::Cancelled) << result.message;
    EXPECT_EQ(result.message, "Sending cancelled; nothing was stored.");
}

// With nobody at the other end of the virtual link, nobody answered.
TEST(SendNobody, OnTheVirtualLinkIsNoAnswer) {
    TempFolder folder;
    std::string body;
    const std::string path = writeProgram(folder, Model::TI83Plus, 300, body);
    const SendResult result = sendProgram({path, {Cable::Virtual, 1}, Model::TI83Plus, 1}, {});
    EXPECT_EQ(result.failure, Failure::NoAnswer) << result.message;
    EXPECT_NE(result.message.find("No calculator answered"), std::string::npos) << result.message;
}

// Files and choices the send refuses before it opens a link, the TI-84 Plus CE's included.
TEST(SendWithoutLink, RefusesBeforeOpeningAnything) {
    TempFolder folder;
    std::string body;
    const std::string program = writeProgram(folder, Model::TI83, 100, body);
    std::string damaged = test::readFile(program);
    damaged.back() = static_cast<char>(damaged.back() + 1);
    test::writeFile(folder.file("DAMAGED.83p"), damaged);
    test::writeFile(folder.file("text.83p"), "not a program");
    const std::string basic = folder.file("story-ce.8xp");
    tifile::EntryFields fields;
    fields.type = tifile::kEditableProgramType;
    test::writeFile(basic,
                    tifile::buildProgramFile(Model::TI83Plus, "STORY", "\xE1\x3F", fields).bytes);
    const std::string assembly = folder.file("story.8xp");
    test::writeFile(assembly,
                    tifile::buildProgramFile(Model::TI83Plus, "STORY", "\xBB\x6D\xC9").bytes);

    struct Case {
        std::string path;
        CableChoice cable;
        bool ce;
        Failure failure;
        const char* messagePart;
    } cases[] = {
        {folder.file("missing.83p"), {Cable::Virtual, 1}, false, Failure::BadFile, "missing.83p"},
        {folder.file("text.83p"),
         {Cable::Virtual, 1},
         false,
         Failure::BadFile,
         "text.83p cannot be sent"},
        {folder.file("DAMAGED.83p"), {Cable::Virtual, 1}, false, Failure::BadFile, "checksum"},
        {program, {Cable::SilverLink, 4}, false, Failure::NoCable, "69-libticables2-8.rules"},
        {basic, {Cable::SilverLink, 4}, true, Failure::OtherModel, "direct USB cable only"},
        {basic, {Cable::Virtual, 1}, true, Failure::OtherModel, "direct USB cable only"},
        {assembly, {Cable::DirectUsb, 4}, true, Failure::OtherModel, "assembly program"},
        {program,
         {Cable::DirectUsb, 4},
         true,
         Failure::OtherModel,
         "the calculator chosen is a TI-84 Plus CE"},
        // A sound TI-BASIC program passes the checks and reaches the cable, which is not there.
        {basic, {Cable::DirectUsb, 4}, true, Failure::NoCable, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const SendResult result =
            sendProgram({c.path, c.cable, c.ce ? Model::TI83Plus : Model::TI83, 1, c.ce}, {});
        EXPECT_EQ(result.failure, c.failure) << result.message;
        EXPECT_NE(result.message.find(c.messagePart), std::string::npos) << result.message;
    }
}

} // namespace
} // namespace corvane::link
