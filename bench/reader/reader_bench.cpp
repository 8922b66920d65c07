// Reader programs, measured and printed beside their targets:
//  - the program's own T-states per page turn (ROM calls excluded), forward and back, in the
//    emulator harness on both calculators, for a prose text and for the slowest screen there
//    is (nine lines of 23 spaces, each drawn twice);
//  - bytes per character of text, for the worked example and a 20 KB text;
//  - the time to build the largest part (source written, asm.bat run for both calculators).
#include "chain.h"
#include "layout.h"
#include "reader_program.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::programs;
using harness::Model;

namespace {

constexpr std::uint64_t kPageTurnTarget = 20000;

const char* const kWorkedExample =
    "Hello world\r\nLine two\r\nBye\r\nThe quick brown fox jumps over";

// About 20 KB of prose: sentences of ordinary words, paragraphs of a few hundred characters.
std::string proseText(std::size_t characters) {
    const char* const words[] = {"the",  "reader", "turns", "a",      "page",   "of",    "her",
                                 "book", "while",  "rain",  "falls",  "on",     "quiet", "streets",
                                 "and",  "lamps",  "glow",  "softly", "beyond", "window"};
    std::string text;
    std::size_t word = 0;
    std::size_t paragraph = 0;
    while (text.size() < characters) {
        text += words[(word * 7 + paragraph) % std::size(words)];
        ++word;
        if (word % 60 == 0) {
            text += ".\r\n";
            ++paragraph;
        } else {
            text += word % 12 == 0 ? ". " : " ";
        }
    }
    return text;
}

std::size_t textCharacters(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return c != '\r' && c != '\n'; }));
}

struct Turns {
    std::uint64_t forwardWorst = 0;
    std::uint64_t backWorst = 0;
    double forwardMean = 0;
};

// Pages to the end and back to the start; the T-states between two key waits are one turn.
Turns pageTurns(AppFolderCopy& app, const std::vector<std::string>& lines, Model model) {
    const ReaderPart part{0, 1, 0, lines.size(), "Bench"};
    const Compiled compiled = app.assemble(readerSource(lines, part));
    harness::Calculator calculator(model);
    calculator.loadProgramFile(model == Model::TI83 ? *compiled.file83 : *compiled.file83Plus);
    const std::size_t screens = part.screenCount();
    std::vector<std::uint8_t> keys(screens - 1, harness::kKeyDown);
    keys.insert(keys.end(), screens - 1, harness::kKeyUp);
    keys.push_back(harness::kKeyClear);
    calculator.scriptKeys(keys);
    const harness::RunResult result = calculator.run();
    if (!result.failure.empty()) {
        std::printf("run failed: %s\n", result.failure.c_str());
    }
    std::vector<std::uint64_t> waits;
    for (const harness::RomEvent& event : result.events) {
        if (event.call == harness::RomCall::GetKey) {
            waits.push_back(event.tStates);
        }
    }
    Turns turns;
    std::uint64_t forwardSum = 0;
    for (std::size_t i = 1; i < waits.size(); ++i) {
        const std::uint64_t turn = waits[i] - waits[i - 1];
        if (i < screens) {
            turns.forwardWorst = std::max(turns.forwardWorst, turn);
            forwardSum += turn;
        } else {
            turns.backWorst = std::max(turns.backWorst, turn);
        }
    }
    turns.forwardMean = screens > 1 ? double(forwardSum) / double(screens - 1) : 0;
    return turns;
}

void printTurns(const char* name, AppFolderCopy& app, const std::vector<std::string>& lines) {
    for (const Model model : {Model::TI83, Model::TI83Plus}) {
        const Turns turns = pageTurns(app, lines, model);
        std::printf("  %-28s %-10s forward worst %6llu, mean %8.0f; back worst %6llu  "
                    "(target <= %llu)\n",
                    name, model == Model::TI83 ? "TI-83" : "TI-83 Plus",
                    static_cast<unsigned long long>(turns.forwardWorst), turns.forwardMean,
                    static_cast<unsigned long long>(turns.backWorst),
                    static_cast<unsigned long long>(kPageTurnTarget));
    }
}

void printBytes(const char* name, const std::string& text) {
    const std::vector<std::string> lines = layoutText(text);
    const ReaderPart part{0, 1, 0, lines.size(), "Bench"};
    std::size_t data = 0;
    for (const std::string& line : lines) {
        data += readerLineBytes(line);
    }
    const std::size_t characters = textCharacters(text);
    const std::size_t program = readerProgramBytes(lines, part);
    std::printf("  %-18s %6zu characters, %5zu calculator lines: data %6zu bytes = %.3f per "
                "character (target <= 1 per character + 1 per line = %.3f); whole program "
                "%6zu bytes = %.3f per character\n",
                name, characters, lines.size(), data, double(data) / double(characters),
                double(characters + lines.size()) / double(characters), program,
                double(program) / double(characters));
}

} // namespace

int main() {
    AppFolderCopy app;
    const std::string prose = proseText(20000);

    std::printf("Own T-states per page turn (ROM calls excluded):\n");
    printTurns("20 KB prose", app, layoutText(prose));
    printTurns("23 spaces on every line", app, std::vector<std::string>(45, std::string(23, ' ')));

    std::printf("Bytes per character:\n");
    printBytes("worked example", kWorkedExample);
    printBytes("20 KB prose", prose);

    // The largest part of the default size, built as the build command builds it.
    const std::vector<std::string> lines = layoutText(proseText(60000));
    const ReaderPlan plan = planReaderParts(lines, "Bench", kReaderDefaultPartBytes);
    const ReaderPart& largest = *std::max_element(
        plan.parts.begin(), plan.parts.end(), [&](const ReaderPart& a, const ReaderPart& b) {
            return readerProgramBytes(lines, a) < readerProgramBytes(lines, b);
        });
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const Compiled compiled = app.assemble(readerSource(lines, largest));
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (compiled.exitStatus != 0) {
            std::printf("build failed: %s\n", compiled.log.c_str());
            return 1;
        }
        best = std::min(best, ms);
    }
    std::printf("Build of the largest part (%zu bytes, source and asm.bat for both calculators): "
                "%.1f ms, best of 5 (target <= 1000 ms)\n",
                readerProgramBytes(lines, largest), best);
    return 0;
}
