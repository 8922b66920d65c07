#include "chain.h"

#include "layout.h"
#include "source_writer.h"
#include "tool_chain.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace corvane::programs {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> readIfThere(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
    if (line.size() <= 23) {
        return {line};
    }
    std::vector<std::string> pieces;
    std::size_t at = 0;
    for (; at + 23 <= line.size(); at += 23) {
        pieces.push_back(line.substr(at, 23));
    }
    pieces.push_back(line.substr(at));
    return pieces;
}

std::uint8_t calculatorCode(std::uint8_t ansi, harness::Model model) {
    if (ansi == '[') {
        return 0xC1;
    }
    if (ansi < 0x80) {
        return ansi;
    }
    // Windows-1252 letters and signs the calculator's small font draws, with their codes.
    // 92h and 93h follow the small font's own glyphs (È and É), where the include files
    // name them the other way round.
    static const std::pair<std::uint8_t, std::uint8_t> kGlyphs[] = {
        {0xC1, 0x8A}, {0xC0, 0x8B}, {0xC2, 0x8C}, {0xC4, 0x8D}, {0xE1, 0x8E}, {0xE0, 0x8F},
        {0xE2, 0x90}, {0xE4, 0x91}, {0xC8, 0x92}, {0xC9, 0x93}, {0xCA, 0x94}, {0xCB, 0x95},
        {0xE9, 0x96}, {0xE8, 0x97}, {0xEA, 0x98}, {0xEB, 0x99}, {0xCD, 0x9A}, {0xCC, 0x9B},
        {0xCE, 0x9C}, {0xCF, 0x9D}, {0xED, 0x9E}, {0xEC, 0x9F}, {0xEE, 0xA0}, {0xEF, 0xA1},
        {0xD3, 0xA2}, {0xD2, 0xA3}, {0xD4, 0xA4}, {0xD6, 0xA5}, {0xF3, 0xA6}, {0xF2, 0xA7},
        {0xF4, 0xA8}, {0xF6, 0xA9}, {0xDA, 0xAA}, {0xD9, 0xAB}, {0xDB, 0xAC}, {0xDC, 0xAD},
        {0xFA, 0xAE}, {0xF9, 0xAF}, {0xFB, 0xB0}, {0xFC, 0xB1}, {0xC7, 0xB2}, {0xE7, 0xB3},
        {0xD1, 0xB4}, {0xF1, 0xB5}, {0xBF, 0xB9}, {0xA1, 0xBA}, {0xA0, 0x20},
    };
    for (const auto& [from, to] : kGlyphs) {
        if (from == ansi) {
            return to;
        }
    }
    if (ansi == 0xDF && model == harness::Model::TI83Plus) {
        return 0xF4; // ß
    }
    return '?';
}

std::string shownText(const std::string& calculatorLine, harness::Model model) {
    std::string shown;
    for (const char c : calculatorLine) {
        if (c == ' ') {
            shown += "  ";
        } else if (c == '\xA4') {
            shown += ' ';
        } else {
            shown += static_cast<char>(calculatorCode(static_cast<std::uint8_t>(c), model));
        }
    }
    return shown;
}

} // namespace corvane::programs
