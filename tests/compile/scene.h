#pragma once

// One build as the tests stage it: a program folder, a working folder with a saved document,
// and a tool chain that runs on a driven clock and records when things happen.

#include "build_command.h"
#include "driven_clock.h"
#include "files.h"
#include "folder_lock.h"
#include "native_path.h"
#include "process_launcher.h"
#include "source_writer.h"
#include "temp_folder.h"
#include "ti_program_file.h"
#include "tool_chain.h"

#include <chrono>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <set>

namespace corvane::test {

namespace fs = std::filesystem;

// Program files as the tool chain leaves them: named TMP after tmp.z80.
inline std::string programBytes(CalculatorModel model) {
    const std::string body =
        model == CalculatorModel::TI83Plus ? std::string("\xBB\x6D\xC9", 3) : std::string("\xC9");
    return tifile::buildProgramFile(model, "TMP", body).bytes;
}

// A tool chain that runs for `runsFor` seconds of the driven clock, and records what the build
// did with it.
struct FakeToolChain final : ProcessLauncher {
    explicit FakeToolChain(DrivenClock& drivenBy) : clock(drivenBy) {}

    class Process final : public RunningProcess {
      public:
        explicit Process(FakeToolChain& chain)
            : chain_(chain), endAt_(chain.clock.now() + chain.runsFor) {}
        bool running() override {
            if (!ended_ && chain_.clock.now() >= endAt_) {
                ended_ = true;
                if (chain_.atEnd) {
                    chain_.atEnd();
                }
            }
            return !ended_;
        }
        std::optional<int> exitStatus() override {
            return ended_ ? std::optional<int>(chain_.exitStatus) : std::nullopt;
        }
        void stop() override { chain_.stopped = ended_ = true; }

      private:
        FakeToolChain& chain_;
        double endAt_;
        bool ended_ = false;
    };

    LaunchOutcome start(const std::string& path) override {
        ++starts;
        startedAt = clock.now();
        batchPath = path;
        if (atStart) {
            atStart();
        }
        if (!startError.empty()) {
            return {nullptr, startError};
        }
        return {std::make_unique<Process>(*this), ""};
    }

    DrivenClock& clock;
    std::function<void()> atStart;
    std::function<void()> atEnd;
    double runsFor = 0;
    int exitStatus = 0;
    // When set, the tool chain cannot be started and the launcher says this.
    std::string startError;
    int starts = 0;
    double startedAt = NAN;
    bool stopped = false;
    std::string batchPath;
};

// Moves a file's time an hour back, as if an earlier build had left it.
inline void makeOld(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

struct Scene {
    explicit Scene(const std::string& appName = "Corvane", const std::string& workName = "Texts")
        : app(root.path() / nativePath(appName)), work(root.path() / nativePath(workName)) {
        fs::create_directories(app);
        fs::create_directories(work);
        writeFile(work / "story.txt", "My story\r\nstory\r\nHello calculator\r\n");
        request = {narrowPath(work / "story.txt"),
                   narrowPath(work),
                   narrowPath(app),
                   "story",
                   "My story",
                   "story"};
    }

    // The document saved under another file name.
    void saveDocumentAs(const fs::path& path) {
        fs::rename(work / "story.txt", path);
        request.documentPath = narrowPath(path);
    }

    // The tool chain's outputs in the program folder, or those of an earlier build.
    void produce(bool ti83 = true, bool ti83Plus = true) const {
        if (ti83) {
            writeFile(app / "tmp.83p", programBytes(CalculatorModel::TI83));
        }
        if (ti83Plus) {
            writeFile(app / "tmp.8xp", programBytes(CalculatorModel::TI83Plus));
        }
    }
    void produceEarlier() const {
        produce();
        makeOld(app / "tmp.83p");
        makeOld(app / "tmp.8xp");
    }

    // The real tool chain in the program folder, on a clock `speed` times faster than real
    // time: the tool chain's limit of a minute stays six seconds, time enough for a sanitizer
    // build of asm83 on a busy machine, or for wine to start a process.
    void useRealToolChain(double speed = 10.0) {
        copyToolChain(app);
        systemLauncher = makeSystemLauncher();
        launcher = systemLauncher.get();
        realPaced = std::make_unique<DrivenClock>(0.0, speed);
        useClock = realPaced.get();
    }

    BuildOutcome build() {
        BuildCollaborators with{[this] {
                                    ++events;
                                    if (deliveredAt < 0 && fs::exists(work / "story.8xp")) {
                                        deliveredAt = clock.now();
                                    }
                                },
                                [this](std::int64_t count) {
                                    shownScreenCount = count;
                                    screenCountAt = clock.now();
                                },
                                *useClock, *launcher};
        with.fixedWaits = fixedWaits;
        return runBuild(request, with);
    }

    TempFolder root;
    fs::path app;
    fs::path work;
    BuildRequest request;
    DrivenClock clock;
    std::unique_ptr<DrivenClock> realPaced;
    Clock* useClock = &clock;
    bool fixedWaits = true;
    FakeToolChain chain{clock};
    ProcessLauncher* launcher = &chain;
    std::unique_ptr<ProcessLauncher> systemLauncher;
    // The program folder's lock, held as another editor would.
    std::unique_ptr<FolderLock> otherEditor;
    int events = 0;
    std::int64_t shownScreenCount = -1;
    double screenCountAt = -1;
    double deliveredAt = -1;
};

// The names of the files in `folder`, with their sizes.
inline std::set<std::pair<std::string, std::uintmax_t>> filesIn(const fs::path& folder) {
    std::set<std::pair<std::string, std::uintmax_t>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        files.emplace(narrowPath(entry.path().filename()),
                      entry.is_regular_file() ? entry.file_size() : 0);
    }
    return files;
}

// `base`.83p and `base`.8xp: whole programs for their calculators, named `name`.
inline void expectDelivered(const fs::path& base, const std::string& name) {
    for (const CalculatorModel model : {CalculatorModel::TI83, CalculatorModel::TI83Plus}) {
        fs::path path = base;
        path += model == CalculatorModel::TI83 ? ".83p" : ".8xp";
        const tifile::Parsed parsed = tifile::parseProgramFile(readFile(path));
        ASSERT_TRUE(parsed.file) << path << ": " << parsed.error;
        EXPECT_EQ(parsed.file->model, model);
        EXPECT_EQ(parsed.file->name, name);
        EXPECT_EQ(parsed.file->storedChecksum, parsed.file->computedChecksum);
    }
}

} // namespace corvane::test
