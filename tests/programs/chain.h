#pragma once

#include "calculator.h"
#include "screen_model.h"
#include "small_font.h"
#include "temp_folder.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace corvane {

// How a failed check shows a row of a screen.
inline void PrintTo(const ScreenRow& row, std::ostream* out) {
    *out << row.penRow << ',' << row.penColumn << " \"" << row.codes << "\" to " << row.endColumn;
}

} // namespace corvane

namespace corvane::programs {

// What one document became after the whole build chain: the layout pass, the source
// writer and asm.bat run in a private copy of the program folder.
struct Compiled {
    std::string error;   // a step before asm.bat failed
    int exitStatus = -1; // asm.bat's
    std::string log;     // asm.log
    std::int64_t lineCount = 0;
    std::optional<std::string> file83;     // tmp.83p, when written
    std::optional<std::string> file83Plus; // tmp.8xp, when written
};

// A fresh folder holding copies of asm83, ion.inc, reader.inc and asm.bat from the build's program
// folder; removed when the object goes.
class AppFolderCopy {
  public:
    AppFolderCopy();
    AppFolderCopy(const AppFolderCopy&) = delete;
    AppFolderCopy& operator=(const AppFolderCopy&) = delete;

    // Writes the document (the program name, a calculator file name, then the text lines,
    // each followed by CR LF) and builds it there.
    Compiled compile(const std::string& programName, const std::vector<std::string>& textLines);

    // Writes `source` as tmp.z80 and runs asm.bat on it there.
    Compiled assemble(const std::string& source);

    const std::filesystem::path& folder() const { return app_; }

  private:
    Compiled runAsmBat(Compiled compiled);

    test::TempFolder root_;
    std::filesystem::path app_;
};

// The calculator lines a text line is cut into, by the layout pass's own cut.
std::vector<std::string> cutLine(const std::string& line);

// What a calculator line shows once written into the source: every space doubled, the
// currency sign (A4h) a single space, then every byte through the character map.
std::string shownText(const std::string& calculatorLine, harness::Model model);

// The screens a run showed at its key waits, in the preview's terms.
std::vector<Screen> drawnScreens(const harness::RunResult& run);

// The largest end column of the screens' strings: _VPutS draws nothing at or past column 96.
int widestEnd(const std::vector<Screen>& screens);

// Why a run did not end as every program must: it failed, left anything on the screen, or did
// not turn the run indicator off first and clear the screen last. Empty when it did.
std::string uncleanEnd(const harness::RunResult& run);

} // namespace corvane::programs
