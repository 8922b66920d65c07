// Runs asm83 as a program on two generated sources and prints the wall time (best of a few
// runs) and the peak memory of the asm83 process:
//  (a) the source Corvane writes for the largest document a TI-83 Plus program can hold, as
//      .8xp and .83p (the largest line count whose code stays below C000h);
//  (b) a 60,000-line source of instructions, labels with forward references and .db strings,
//      as .bin (it stays below FFFFh: asm83 refuses addresses past it).
#include "layout.h"
#include "source_writer.h"

#include <assembler.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace corvane::asm83;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The source the editor writes for a document of `lineCount` text lines of 23 characters,
// made by the editor's own two passes in `folder`.
std::string documentSource(const fs::path& folder, int lineCount) {
    const fs::path documentPath = folder / "doc.txt";
    {
        std::ofstream document(documentPath, std::ios::binary | std::ios::trunc);
        document << "BENCH\r\nbench\r\n";
        for (int n = 0; n < lineCount; ++n) {
            document << "The quick brown fox jum\r\n";
        }
    }
    std::int64_t calculatorLines = 0;
    corvane::layoutLines(documentPath.string(), folder.string(), calculatorLines);
    corvane::writeAssemblySource(folder.string(), calculatorLines, "BENCH",
                                 corvane::kHeaderTemplate);
    return readFile(folder / "tmp.z80");
}

std::string generatedSource(int lines) {
    std::string out = "        .org 0\n";
    for (int block = 0; out.size() < 1 || lines > 0; ++block, lines -= 10) {
        const std::string n = std::to_string(block);
        out += "blk" + n + ":\n";
        out += "        ld hl,str" + n + "\n";
        out += "        jr nz,next" + n + "\n";
        out += "        ; step " + n + "\n";
        out += "        inc a \\ dec b\n";
        out += "next" + n + ":\n";
        out += "        or a\n";
        out += "str" + n + ":\n";
        out += "        .db \"x\",0\n";
        out += "\n";
    }
    return out;
}

AssemblyResult assembleInMemory(const std::string& source, OutputForm form) {
    AssemblyInput input;
    input.sourcePath = "tmp.z80";
    input.sourceText = source;
    input.form = form;
    input.programName = "BENCH";
    if (form == OutputForm::TI83Plus) {
        input.defines.emplace_back("TI83P", "");
    }
    const std::string ion = readFile(fs::path(CORVANE_SOURCE_DIR) / "toolchain/ion/ion.inc");
    input.resolveInclude = [ion](const std::string&,
                                 const std::string&) -> std::optional<IncludedFile> {
        return IncludedFile{"ion.inc", ion};
    };
    return assemble(input);
}

struct Run {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
};

Run runAsm83(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        const std::string program = std::string(CORVANE_APP_DIR) + "/asm83";
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        // Messages (the 24 KB warning of (a)) would only clutter the figures.
        std::freopen("/dev/null", "w", stderr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void measure(const std::string& what, const std::vector<std::string>& args) {
    Run best;
    best.seconds = 1e9;
    for (int i = 0; i < 5; ++i) {
        const Run run = runAsm83(args);
        if (run.status != 0) {
            std::cout << what << ": asm83 failed with status " << run.status << "\n";
            return;
        }
        if (run.seconds < best.seconds) {
            best = run;
        }
    }
    std::printf("%-44s %8.1f ms   peak %7.1f MiB\n", what.c_str(), best.seconds * 1000,
                best.peakKiB / 1024.0);
}

} // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / ("asm_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::copy_file(fs::path(CORVANE_SOURCE_DIR) / "toolchain/ion/ion.inc", folder / "ion.inc",
                  fs::copy_options::overwrite_existing);

    // The largest line count whose TI-83 Plus code stays below C000h.
    int low = 1;
    int high = 20000;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (assembleInMemory(documentSource(folder, middle), OutputForm::TI83Plus).ok()) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    const std::string document = documentSource(folder, low);
    std::ofstream(folder / "doc.z80", std::ios::binary) << document;
    const AssemblyResult largest = assembleInMemory(document, OutputForm::TI83Plus);
    std::cout << "(a) largest TI-83 Plus document: " << low << " calculator lines, "
              << document.size() << " bytes of source, " << largest.image.size()
              << " bytes of program\n";
    measure("(a) asm83 -D TI83P doc.z80 doc.8xp",
            {"-D", "TI83P", (folder / "doc.z80").string(), (folder / "doc.8xp").string()});
    measure("(a) asm83 doc.z80 doc.83p",
            {(folder / "doc.z80").string(), (folder / "doc.83p").string()});

    const std::string generated = generatedSource(60000);
    std::ofstream(folder / "gen.z80", std::ios::binary) << generated;
    const AssemblyResult big = assembleInMemory(generated, OutputForm::Binary);
    std::cout << "(b) generated source: 60000 lines, " << generated.size() << " bytes, "
              << big.image.size() << " bytes assembled" << (big.ok() ? "" : " (with errors!)")
              << "\n";
    measure("(b) asm83 gen.z80 gen.bin (target < 200 ms)",
            {(folder / "gen.z80").string(), (folder / "gen.bin").string()});

    fs::remove_all(folder);
    return 0;
}
