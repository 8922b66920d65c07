// Runs the line layout pass alone, and both text passes together, on generated documents of
// 2 MB and 20 MB, and prints the document throughput and the peak resident memory of each
// run. Every run is a child process of its own, so that each peak is its own.
//
//   passes_bench            all four runs
//   passes_bench RUN DOC    one run (layout or both) on the document file DOC

#include "layout.h"
#include "source_writer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kRepeats = 3;
constexpr double kMegabyte = 1024.0 * 1024.0;

// A document of about `bytes` bytes: lines of 0 to 120 characters, words of 1 to 9 letters,
// now and then a quote, a backslash or a currency sign.
void generateDocument(const std::string& path, std::size_t bytes) {
    std::mt19937 random(1234);
    std::ofstream out(path, std::ios::binary);
    out << "Bench\r\nbench\r\n";
    std::string line;
    std::size_t written = 0;
    while (written < bytes) {
        line.clear();
        const std::size_t length = random() % 121;
        while (line.size() < length) {
            const unsigned pick = random() % 40;
            if (pick < 6) {
                line += ' ';
            } else if (pick == 6) {
                line += "\"\\\xA4"[random() % 3];
            } else {
                line += static_cast<char>('a' + random() % 26);
            }
        }
        out << line << "\r\n";
        written += line.size() + 2;
    }
}

long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

int runOne(const std::string& run, const std::string& documentPath) {
    const std::string folder = std::filesystem::path(documentPath).parent_path().string();
    const bool both = run == "both";
    double best = 1e300;
    std::int64_t lineCount = 0;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        lineCount = 0;
        const auto start = std::chrono::steady_clock::now();
        const auto layout = corvane::layoutLines(documentPath, folder, lineCount, [] {});
        if (!layout.ok) {
            std::fprintf(stderr, "%s\n", layout.error.c_str());
            return 1;
        }
        if (both) {
            const auto source = corvane::writeAssemblySource(
                folder, lineCount, "Bench", corvane::kHeaderTemplate, {[] {}, [](std::int64_t) {}});
            if (!source.ok) {
                std::fprintf(stderr, "%s\n", source.error.c_str());
                return 1;
            }
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    const double megabytes =
        static_cast<double>(std::filesystem::file_size(documentPath)) / kMegabyte;
    std::uintmax_t output = std::filesystem::file_size(folder + "/temp.ett");
    if (both) {
        output += std::filesystem::file_size(folder + "/tmp.z80");
    }
    std::printf("%-22s %6.1f MB document  %9lld calculator lines  %7.1f MB written  %7.3f s  "
                "%7.1f MB/s  peak %6.1f MB\n",
                both ? "layout + source writer" : "layout only", megabytes,
                static_cast<long long>(lineCount), static_cast<double>(output) / kMegabyte, best,
                megabytes / best, static_cast<double>(peakResidentKilobytes()) / 1024.0);
    return 0;
}

int runChild(const std::string& run, const std::string& documentPath) {
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string runArgument = run;
    std::string documentArgument = documentPath;
    char* argv[] = {self.data(), runArgument.data(), documentArgument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        return 1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3) {
        return runOne(argv[1], argv[2]);
    }
    std::string pattern =
        (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    int failures = 0;
    for (const std::size_t megabytes : {2u, 20u}) {
        const std::string document =
            (folder / ("doc" + std::to_string(megabytes) + ".txt")).string();
        generateDocument(document, megabytes * 1024 * 1024);
        for (const char* run : {"layout", "both"}) {
            failures += runChild(run, document) != 0;
        }
    }
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
