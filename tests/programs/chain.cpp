#include "chain.h"

#include "layout.h"
#include "source_writer.h"
#include "tool_chain.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace corvane::programs {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> readIfThere(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
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
    compiled.folder = app_;
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
    compiled.folder = app_;
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

} // namespace corvane::programs
