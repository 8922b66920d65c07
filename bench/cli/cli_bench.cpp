// Times `corvane --compile` as a script runs it, with the bundled tool chain: the largest
// document a TI-83 Plus program holds, and 100 one-screen documents in one call. Prints the
// best wall time of three runs with its processor time (on a busy machine the wall time
// counts other people's work too), and the peak memory of the largest process of the run
// (corvane or a tool chain step it waited for).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    int status = -1;
    double seconds = 0;
    double processorSeconds = 0; // corvane and every tool chain step, user and system
    long peakKilobytes = 0;
};

// Runs corvane with `arguments` in `folder`, its output thrown away.
Run corvane(const std::vector<std::string>& arguments, const fs::path& folder) {
    std::vector<std::string> argv{std::string(CORVANE_APP_DIR) + "/corvane"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int nothing = ::open("/dev/null", O_WRONLY);
        ::dup2(nothing, 1);
        ::dup2(nothing, 2);
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
    const auto toSeconds = [](timeval t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6;
    };
    run.processorSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    return run;
}

// A document of `lines` lines of 23 'x' (one calculator line apiece).
void writeDocument(const fs::path& path, int lines) {
    std::ofstream out(path, std::ios::binary);
    out << "Benchmark\r\nbench\r\n";
    for (int i = 0; i < lines; ++i) {
        out << std::string(23, 'x') << "\r\n";
    }
}

int largestDocument(const fs::path& folder) {
    int low = 1;
    int high = 4000;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        writeDocument(folder / "story.txt", middle);
        if (corvane({"--compile", "story.txt"}, folder).status == 0) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

void measure(const char* what, const std::vector<std::string>& arguments, const fs::path& folder,
             double targetSeconds) {
    Run best;
    best.seconds = 1e9;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Run run = corvane(arguments, folder);
        if (run.status != 0) {
            std::printf("%s: corvane --compile ended with status %d\n", what, run.status);
            return;
        }
        if (run.seconds < best.seconds) {
            best.seconds = run.seconds;
            best.processorSeconds = run.processorSeconds;
        }
        best.peakKilobytes = std::max(best.peakKilobytes, run.peakKilobytes);
    }
    std::printf("%-40s %8.1f ms (target < %.0f ms), %8.1f ms of processor time, peak "
                "memory %5.1f MB\n",
                what, best.seconds * 1000, targetSeconds * 1000, best.processorSeconds * 1000,
                static_cast<double>(best.peakKilobytes) / 1024);
}

} // namespace

int main() {
    char pattern[] = "/tmp/corvane-cli-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;

    const int largest = largestDocument(folder);
    writeDocument(folder / "story.txt", largest);
    std::printf("largest TI-83 Plus document: %d calculator lines\n", largest);
    measure("--compile of the largest document", {"--compile", "story.txt"}, folder, 0.1);

    std::vector<std::string> hundred{"--compile"};
    for (int i = 0; i < 100; ++i) {
        const std::string name = "screen" + std::to_string(i) + ".txt";
        writeDocument(folder / name, 10);
        hundred.push_back(name);
    }
    measure("--compile of 100 one-screen documents", hundred, folder, 3.0);

    fs::remove_all(folder);
    return 0;
}
