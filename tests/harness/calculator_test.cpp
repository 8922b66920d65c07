#include "calculator.h"

#include <gtest/gtest.h>

namespace corvane::harness {
namespace {

// Hand assembly of small ION programs: the header, then code and strings in the order given.
class Program {
  public:
    Program(Model model, std::string_view title) : model_(model) {
        if (model == Model::TI83Plus) {
            body_ = "\xBB\x6D";
        }
        body_ += "\xC9\x30";
        body_.push_back(static_cast<char>(title.size() + 1)); // jr nc past the title
        body_ += title;
        body_.push_back('\0');
    }
    Program& bytes(const std::vector<int>& values) {
        for (const int value : values) {
            body_.push_back(static_cast<char>(value));
        }
        return *this;
    }
    Program& word(std::uint16_t value) { return bytes({value & 0xFF, value >> 8}); }
    Program& bcall(std::uint16_t routine) {
        return bytes({model_ == Model::TI83Plus ? 0xEF : 0xCD}).word(routine);
    }
    // ld hl,row*256+column \ ld (penCol),hl, unless the pen stays where it stopped; then
    // ld hl,text \ bcall(_VPutS).
    Program& draw(std::uint16_t text, int row = -1, int column = 0) {
        if (row >= 0) {
            bytes({0x21, column, row, 0x22}).word(addressesOf(model_).penCol);
        }
        return bytes({0x21}).word(text).bcall(addressesOf(model_).vputs);
    }
    // A jr over the zero-terminated string; returns the string's address.
    std::uint16_t text(std::string_view characters) {
        bytes({0x18, static_cast<int>(characters.size() + 1)});
        const auto at = static_cast<std::uint16_t>(
            progstart(model_) - (model_ == Model::TI83Plus ? 2 : 0) + body_.size());
        body_ += characters;
        body_.push_back('\0');
        return at;
    }
    const std::string& body() const { return body_; }

  private:
    Model model_;
    std::string body_;
};

class Harness : public ::testing::TestWithParam<Model> {};

TEST_P(Harness, ShowsScreensAndWaitsForKeysAsTheCalculatorWould) {
    const Model model = GetParam();
    const Addresses& sys = addressesOf(model);
    Program program(model, "DEMO");
    const std::uint16_t hi = program.text("Hi"), mil = program.text("mil W"),
                        accents = program.text("\x96\x8A\xBA");
    program.bcall(sys.runIndicOff)
        .bcall(sys.clrLcdFull)
        .draw(hi, 1, 1)
        .draw(mil, 7, 1)
        .draw(accents) // continues where the pen stopped
        .bcall(sys.getKey)
        .bcall(sys.clrLcdFull)
        .draw(hi, 0x37, 1)
        .bcall(sys.getKey)
        .bcall(sys.clrLcdFull)
        .bytes({0xC9});

    Calculator calculator(model);
    ASSERT_EQ(calculator.loadBody(program.body()), "");
    const RunResult result = calculator.run();
    ASSERT_EQ(result.failure, "");

    // H 4 + i 2; m 6 + i 2 + l 3 + space 1 + W 4; then 4 + 5 + 2 for the accented codes.
    const std::vector<Screen> keyWaits = {
        {{1, 1, 7, "Hi"}, {7, 1, 17, "mil W"}, {7, 17, 28, "\x96\x8A\xBA"}}, {{0x37, 1, 7, "Hi"}}};
    EXPECT_EQ(result.keyWaits, keyWaits);
    EXPECT_TRUE(result.screen.empty());
    std::vector<RomCall> calls;
    for (const RomEvent& event : result.events) {
        calls.push_back(event.call);
    }
    EXPECT_EQ(calls, (std::vector<RomCall>{RomCall::RunIndicOff, RomCall::ClrLCDFull,
                                           RomCall::VPutS, RomCall::VPutS, RomCall::VPutS,
                                           RomCall::GetKey, RomCall::ClrLCDFull, RomCall::VPutS,
                                           RomCall::GetKey, RomCall::ClrLCDFull}));
}

TEST_P(Harness, StartsAsIonDoesAndReturnsScriptedKeys) {
    const Model model = GetParam();
    const Addresses& sys = addressesOf(model);
    Program program(model, "K");
    // A, then the flags (carry in bit 0), go to RAM; then three key codes.
    program.bytes({0x32, 0x00, 0x81, 0xF5, 0xE1, 0x7D, 0x32, 0x01, 0x81})
        .bcall(sys.getKey)
        .bytes({0x32, 0x02, 0x81})
        .bcall(sys.getKey)
        .bytes({0x32, 0x03, 0x81})
        .bcall(sys.getKey)
        .bytes({0x32, 0x04, 0x81, 0xC9});
    Calculator calculator(model);
    ASSERT_EQ(calculator.loadBody(program.body()), "");
    calculator.scriptKeys({kKeyClear, 0x9A});
    const RunResult result = calculator.run();
    ASSERT_EQ(result.failure, "");
    EXPECT_EQ(calculator.peek(0x8100), 0);
    EXPECT_EQ(calculator.peek(0x8101) & 0x01, 0);
    EXPECT_EQ(calculator.peek(0x8102), kKeyClear);
    EXPECT_EQ(calculator.peek(0x8103), 0x9A);
    EXPECT_EQ(calculator.peek(0x8104), kKeyEnter); // the script has run out
    EXPECT_EQ(result.keyWaits.size(), 3u);
}

// Runs `code`, then ret, as an ION program; returns why the run failed.
std::string failureOf(Model model, const std::vector<int>& code) {
    Program program(model, "BAD");
    program.bytes(code).bytes({0xC9});
    Calculator calculator(model);
    EXPECT_EQ(calculator.loadBody(program.body()), "");
    return calculator.run(100'000).failure;
}

TEST_P(Harness, FailsProgramsThatWouldMisbehave) {
    const Model model = GetParam();
    const std::pair<std::vector<int>, const char*> faults[] = {
        {{model == Model::TI83Plus ? 0xEF : 0xCD, 0x00, 0x40}, "unsupported ROM call"}, // 4000h
        {{0x32, 0x34, 0x12}, "into the ROM at 1234h"}, // ld (1234h),a
        {{0x18, 0xFE}, "budget"},                      // jr $
        {{0x76}, "halted"},
        {{0xC3, 0x00, 0x00}, "0000h"}, // jp 0
    };
    for (const auto& [code, reason] : faults) {
        const std::string failure = failureOf(model, code);
        EXPECT_NE(failure.find(reason), std::string::npos) << reason << ": " << failure;
    }
}

INSTANTIATE_TEST_SUITE_P(BothModels, Harness, ::testing::Values(Model::TI83, Model::TI83Plus),
                         [](const auto& row) {
                             return row.param == Model::TI83 ? "TI83" : "TI83Plus";
                         });

TEST(Harness83Plus, RefusesCodeAtOrAboveC000AndDirectRomCalls) {
    const std::pair<std::vector<int>, const char*> cases[] = {
        {{0xC3, 0x00, 0xC0}, "C000h"},              // jp C000h
        {{0xC3, 0xFF, 0xBF}, "C000h"},              // jp BFFFh: a nop there runs on into C000h
        {{0xCD, 0x61, 0x45}, "outside a ROM call"}, // call _VPutS without rst 28h
    };
    for (const auto& [code, reason] : cases) {
        const std::string failure = failureOf(Model::TI83Plus, code);
        EXPECT_NE(failure.find(reason), std::string::npos) << failure;
    }
    // The TI-83 has no such limit: ld a,0C9h \ ld (0C000h),a \ jp 0C000h.
    EXPECT_EQ(failureOf(Model::TI83, {0x3E, 0xC9, 0x32, 0x00, 0xC0, 0xC3, 0x00, 0xC0}), "");
}

TEST(HarnessLoading, ChecksTheFileBeforeRunningIt) {
    const std::string body = Program(Model::TI83Plus, "OK").bytes({0xC9}).body();
    const auto file = [](const std::string& programBody,
                         std::uint8_t type = tifile::kProtectedProgramType) {
        return tifile::buildProgramFile(Model::TI83Plus, "OK", programBody, {type}).bytes;
    };
    const std::string sound = file(body);
    std::string badChecksum = sound;
    badChecksum.back() ^= 1;
    const std::pair<Model, std::string> refused[] = {
        {Model::TI83, sound}, // the other calculator's file
        {Model::TI83Plus, badChecksum},
        {Model::TI83Plus, file(body, tifile::kEditableProgramType)}, // ION does not list it
        {Model::TI83Plus, sound.substr(1)},                          // not a program file
        {Model::TI83Plus, file("\xBB\x6D\x3E\x01\xC9")},             // no ION header
        {Model::TI83Plus, file(body + std::string(0x6200, '\0'))},   // runs into the stack
    };
    for (const auto& [model, bytes] : refused) {
        Calculator calculator(model);
        EXPECT_NE(calculator.loadProgramFile(bytes), "");
        EXPECT_NE(calculator.run().failure, "");
    }
    Calculator calculator(Model::TI83Plus);
    ASSERT_EQ(calculator.loadProgramFile(sound), "");
    EXPECT_EQ(calculator.run().failure, "");
}

TEST(HarnessTitles, ReadsTheIonHeader) {
    const std::tuple<Model, std::string, std::optional<std::string>> cases[] = {
        {Model::TI83Plus, std::string("\xBB\x6D\xC9\x30\x03HI\0\xC9", 9), "HI"},
        {Model::TI83Plus, std::string("\xBB\x6D\xAF\x30\x01\0\xC9", 7), ""},
        {Model::TI83, std::string("\xC9\x30\x03HI\0\xC9", 7), "HI"},
        {Model::TI83, std::string("\xBB\x6D\xC9\x30\x03HI\0", 8), std::nullopt},
        {Model::TI83Plus, std::string("\xC9\x30\x03HI\0", 6), std::nullopt},
        {Model::TI83Plus, "\xBB\x6D\xC9\x30\x03HI", std::nullopt}, // no terminator
        {Model::TI83, "\xC9\x18\x03HI", std::nullopt},             // jr, not jr nc
        {Model::TI83, "", std::nullopt},
    };
    for (const auto& [model, body, title] : cases) {
        EXPECT_EQ(ionTitle(model, body), title);
    }
}

} // namespace
} // namespace corvane::harness
