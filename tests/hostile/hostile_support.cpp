#include "hostile_support.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <linux/capability.h>
#include <poll.h>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::hostile {

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "corvane-hostile-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto it = fs::recursive_directory_iterator(path_, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(path_, error);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

SmallDisk::SmallDisk(const fs::path& where, std::size_t bytes) : where_(where) {
    fs::create_directories(where_);
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        ::umount2(where_.c_str(), MNT_DETACH);
    }
}

namespace {

// Root ignores file modes through two capabilities; without them a read-only file or
// folder refuses root as it refuses anyone. They leave the permitted set too, as access()
// judges root by that set.
void dropFileModeOverrides() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) {
        return;
    }
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        const std::uint32_t bit = 1u << (capability % 32);
        data[capability / 32].effective &= ~bit;
        data[capability / 32].permitted &= ~bit;
    }
    ::syscall(SYS_capset, &header, data);
}

void writeAll(int descriptor, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0 && errno != EINTR) {
            return;
        }
        done += wrote > 0 ? static_cast<std::size_t>(wrote) : 0;
    }
}

std::string readAll(int descriptor) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            return bytes;
        }
    }
}

} // namespace

std::string inChild(const ChildLimits& limits, const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (limits.fileSizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{*limits.fileSizeLimit, *limits.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (limits.obeyFileModes) {
            dropFileModeOverrides();
        }
        writeAll(channel[1], body());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string answer = readAll(channel[0]);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child ended abnormally";
    }
    return answer;
}

ProgramRun runProgram(const std::vector<std::string>& argv, const std::string& folder,
                      double seconds, std::size_t outputLimit) {
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        ::dup2(channel[1], 1);
        ::dup2(channel[1], 2);
        ::close(channel[0]);
        ::close(channel[1]);
        const int nothing = ::open("/dev/null", O_RDONLY);
        ::dup2(nothing, 0);
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(channel[1]);
    ProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(-child, SIGKILL);
            break;
        }
        pollfd wait{channel[0], POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
        if (got <= 0) {
            run.finished = true;
            break;
        }
        run.outputBytes += static_cast<std::uint64_t>(got);
        const std::size_t room = outputLimit - std::min(outputLimit, run.output.size());
        run.output.append(buffer, std::min(room, static_cast<std::size_t>(got)));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.signalled = WIFSIGNALED(status);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string appDir() {
    return CORVANE_APP_DIR;
}

void copyToolChain(const std::string& folder) {
    for (const char* name : {"asm83", "ion.inc", "asm.bat"}) {
        fs::copy_file(fs::path(appDir()) / name, fs::path(folder) / name,
                      fs::copy_options::overwrite_existing);
    }
}

} // namespace corvane::hostile
