#include "chain.h"

#include "files.h"
#include "layout.h"
#include "source_writer.h"
#include "tool_chain.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace corvane::programs {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> readIfThere(const fs::path& path) {
    return fs::exists(path) ? std::optional(test::readFile(path)) : std::nullopt;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

} // namespace

// A blank in the path checks that asm.bat quotes what it is given.
AppFolderCopy::AppFolderCopy() : app_(root_.path() / "app folder") {
    test::copyToolChain(app_);
}

Compiled AppFolderCopy::compile(const std::string& programName,
                                const std::vector<std::string>& textLines) {
    Compiled compiled;
    std::string document = programName + "\r\nREADER\r\n";
    for (const std::string& line : textLines) {
        document += line + "\r\n";
    }
    if (textLines.empty()) {
        document += "\r\n"; // an empty text is still written as one empty line
    }
    const fs::path documentPath = app_ / "reader.txt";
    std::ofstream(documentPath, std::ios::binary) << document;

    const LayoutOutcome layout =
        layoutLines(documentPath.string(), app_.string(), compiled.lineCount);
    if (!layout.ok) {
        compiled.error = "layout: " + layout.error;
        return compiled;
    }
    const SourceOutcome source =
        writeAssemblySource(app_.string(), compiled.lineCount, programName, kHeaderTemplate);
    if (!source.ok) {
        compiled.error = "source: " + source.error;
        return compiled;
    }
    return runAsmBat(compiled);
}

Compiled AppFolderCopy::assemble(const std::string& source) {
    Compiled compiled;
    std::ofstream(app_ / "tmp.z80", std::ios::binary) << source;
    return runAsmBat(compiled);
}

Compiled AppFolderCopy::runAsmBat(Compiled compiled) {
    // As the editor's runner does: the program folder is the current folder.
    const std::string command = "cd " + quoted(app_) + " && /bin/sh ./asm.bat";
    const int status = std::system(command.c_str());
    compiled.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    compiled.log = readIfThere(app_ / "asm.log").value_or("");
    compiled.file83 = readIfThere(app_ / "tmp.83p");
    compiled.file83Plus = readIfThere(app_ / "tmp.8xp");
    return compiled;
}

std::vector<std::string> cutLine(const std::string& line) {
    return cutTextLine(line);
}

std::string shownText(const std::string& calculatorLine, harness::Model model) {
    return shownCodes(calculatorLine, model);
}

std::vector<Screen> drawnScreens(const harness::RunResult& run) {
    std::vector<Screen> screens;
    for (const harness::Screen& drawn : run.keyWaits) {
        Screen& screen = screens.emplace_back();
        for (const harness::DrawnString& row : drawn) {
            screen.push_back({row.row, row.column, row.text, row.endColumn});
        }
    }
    return screens;
}

int widestEnd(const std::vector<Screen>& screens) {
    int widest = 0;
    for (const Screen& screen : screens) {
        for (const ScreenRow& row : screen) {
            widest = std::max(widest, row.endColumn);
        }
    }
    return widest;
}

std::string uncleanEnd(const harness::RunResult& run) {
    if (!run.failure.empty()) {
        return run.failure;
    }
    if (!run.screen.empty()) {
        return "the screen is not cleared at the end";
    }
    if (run.events.empty() || run.events.front().call != harness::RomCall::RunIndicOff ||
        run.events.back().call != harness::RomCall::ClrLCDFull) {
        return "the run indicator is not turned off first, or the screen not cleared last";
    }
    return {};
}

} // namespace corvane::programs
