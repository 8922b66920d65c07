#pragma once

#include "build_command.h"
#include "folder_lock.h"
#include "source_writer.h"
#include "stand_ins.h"
#include "ti_program_file.h"

#include <gtest/gtest.h>
#include <set>

namespace corvane::test {

// Program files as the tool chain leaves them: named TMP after tmp.z80.
inline std::string programBytes(CalculatorModel model) {
    const std::string body =
        model == CalculatorModel::TI83Plus ? std::string("\xBB\x6D\xC9", 3) : std::string("\xC9");
    return tifile::buildProgramFile(model, "TMP", body).bytes;
}

// One build: a program folder, a working folder with a saved document, and stand-ins for the
// clock and the tool chain that record when things happen.
struct Scene {
    explicit Scene(const std::string& appName = "Corvane", const std::string& workName = "Texts")
        : app(root.path() / appName), work(root.path() / workName) {
        fs::create_directories(app);
        fs::create_directories(work);
        writeFile(work / "story.txt", "My story\r\nstory\r\nHello calculator\r\n");
        request.documentPath = (work / "story.txt").string();
        request.workingFolder = work.string();
        request.appFolder = app.string();
        request.baseName = "story";
        request.programName = "My story";
        request.calculatorFileName = "story";
    }

    // The document saved under another file name.
    void saveDocumentAs(const fs::path& path) {
        fs::rename(work / "story.txt", path);
        request.documentPath = path.string();
    }

    // The tool chain's outputs in the program folder.
    void produce(bool ti83 = true, bool ti83Plus = true) const {
        if (ti83) {
            writeFile(app / "tmp.83p", programBytes(CalculatorModel::TI83));
        }
        if (ti83Plus) {
            writeFile(app / "tmp.8xp", programBytes(CalculatorModel::TI83Plus));
        }
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
    Clock* useClock = &clock;
    bool fixedWaits = true;
    FakeToolChain chain;
    std::unique_ptr<ProcessLauncher> launcher = std::make_unique<FakeLauncher>(clock, chain);
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
        files.emplace(entry.path().filename().string(),
                      entry.is_regular_file() ? entry.file_size() : 0);
    }
    return files;
}

inline void expectDelivered(const fs::path& path, CalculatorModel model, const std::string& name) {
    const tifile::Parsed parsed = tifile::parseProgramFile(readFile(path));
    ASSERT_TRUE(parsed.file) << path << ": " << parsed.error;
    EXPECT_EQ(parsed.file->model, model);
    EXPECT_EQ(parsed.file->name, name);
    EXPECT_EQ(parsed.file->storedChecksum, parsed.file->computedChecksum);
}

} // namespace corvane::test
