// Times runBuild with the bundled tool chain (asm83, ion.inc, asm.bat copied into a scratch
// program folder) for a one-line document and for the largest document a TI-83 Plus
// program holds (at the line limit), and prints each time less the four seconds of the two
// fixed waits; then how soon a document one line past the limit is refused.
#include "build_command.h"
#include "source_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace corvane;

namespace {

// Real time made `speed` times faster: lets the search for the largest document skip the
// fixed waits while the tool chain still runs for real.
class FastClock final : public Clock {
  public:
    double seconds() override { return now_; }
    void pause(double seconds) override {
        now_ += seconds;
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 50));
    }

  private:
    double now_ = 0;
};

struct Scratch {
    fs::path app;
    fs::path work;
};

// A document of `lines` text lines of 23 characters each: one calculator line apiece.
void writeDocument(const Scratch& scratch, int lines) {
    std::ofstream out(scratch.work / "story.txt", std::ios::binary);
    out << "Benchmark\r\nbench\r\n";
    for (int i = 0; i < lines; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Line %06d of the text.", i);
        out << line << "\r\n";
    }
}

BuildOutcome build(const Scratch& scratch, Clock& clock, ProcessLauncher& launcher) {
    BuildRequest request;
    request.documentPath = (scratch.work / "story.txt").string();
    request.workingFolder = scratch.work.string();
    request.appFolder = scratch.app.string();
    request.baseName = "story";
    request.programName = "Benchmark";
    request.calculatorFileName = "bench";
    return runBuild(request, BuildCollaborators{{}, {}, clock, launcher});
}

int largestDocument(const Scratch& scratch, ProcessLauncher& launcher) {
    int low = 1;
    int high = 4000;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        writeDocument(scratch, middle);
        FastClock clock;
        if (build(scratch, clock, launcher).ok) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

void measure(const Scratch& scratch, ProcessLauncher& launcher, const char* what, int lines) {
    writeDocument(scratch, lines);
    SteadyClock clock;
    double best = 1e9;
    std::uintmax_t size = 0;
    for (int run = 0; run < 3; ++run) {
        const double start = clock.seconds();
        const BuildOutcome outcome = build(scratch, clock, launcher);
        const double elapsed = clock.seconds() - start;
        if (!outcome.ok) {
            std::printf("%s: the build failed: %s\n", what, outcome.message.c_str());
            return;
        }
        size = outcome.deliveredSize.value_or(0);
        best = std::min(best, elapsed - 4.0);
    }
    std::printf("%-40s %5d lines  .83p %6ju bytes  %7.1f ms beyond the 4 s of waits "
                "(target < 200 ms)\n",
                what, lines, size, best * 1000);
}

void measureRefusal(const Scratch& scratch, ProcessLauncher& launcher, int lines) {
    writeDocument(scratch, lines);
    SteadyClock clock;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const double start = clock.seconds();
        const BuildOutcome outcome = build(scratch, clock, launcher);
        const double elapsed = clock.seconds() - start;
        if (outcome.failedStep != BuildStep::CalculatorFit) {
            std::printf("one line past the limit: not refused as too long: %s\n",
                        outcome.message.c_str());
            return;
        }
        best = std::min(best, elapsed);
    }
    std::printf("%-40s %5d lines  refused after %7.1f ms (target < 50 ms with the save)\n",
                "one line past the limit", lines, best * 1000);
}

} // namespace

int main() {
    const fs::path bin = CORVANE_APP_DIR;
    const fs::path root = fs::temp_directory_path() / ("build_bench_" + std::to_string(getpid()));
    const Scratch scratch{root / "app", root / "work"};
    fs::create_directories(scratch.app);
    fs::create_directories(scratch.work);
    for (const char* tool : {"asm83", "ion.inc", "asm.bat"}) {
        fs::copy_file(bin / tool, scratch.app / tool);
    }
    const auto launcher = makeSystemLauncher();

    const int largest = largestDocument(scratch, *launcher);
    measure(scratch, *launcher, "one-line document", 1);
    measure(scratch, *launcher, "largest TI-83 Plus document", largest);
    measureRefusal(scratch, *launcher, largest + 1);
    fs::remove_all(root);
    return 0;
}
