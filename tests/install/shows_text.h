#pragma once

// Whether a delivered program shows what was typed, run in the emulator: for the tests that build
// as a user does, from the window or the command line.

#include "chain.h"
#include "ti_program_file.h"

#include <string>
#include <vector>

namespace corvane::test {

// The text typed: one line for a calculator line, one the layout pass cuts in two.
inline const std::vector<std::string> kStoryText = {"Hello calculator",
                                                    "A line longer than twenty-three characters"};

// Empty when `file` is a whole program named STORY that shows kStoryText's lines, as the layout
// pass cuts them for the calculator, on its one screen; otherwise what is wrong with it.
inline std::string storyShowing(const std::string& file, harness::Model model) {
    const tifile::Parsed parsed = tifile::parseProgramFile(file);
    if (!parsed.file || parsed.file->name != "STORY" ||
        parsed.file->storedChecksum != parsed.file->computedChecksum) {
        return "not a whole program named STORY: " + parsed.error;
    }
    std::string expected;
    for (const std::string& line : kStoryText) {
        for (const std::string& piece : programs::cutLine(line)) {
            expected += programs::shownText(piece, model) + "\n";
        }
    }
    harness::Calculator calculator(model);
    if (const std::string loading = calculator.loadProgramFile(file); !loading.empty()) {
        return loading;
    }
    const harness::RunResult run = calculator.run();
    if (!run.failure.empty() || run.keyWaits.size() != 1) {
        return "no run to one screen: " + run.failure;
    }
    std::string shown;
    for (const auto& row : run.keyWaits[0]) {
        shown += row.text + "\n";
    }
    return shown == expected ? "" : "shows\n" + shown + "instead of\n" + expected;
}

} // namespace corvane::test
