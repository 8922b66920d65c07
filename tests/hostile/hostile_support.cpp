#include "hostile_support.h"

#include "full_disk.h"

#include <cstdio>
#include <linux/capability.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {

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

} // namespace

std::string inChild(const ChildLimits& limits, const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::optional<FileSizeLimit> sizeLimit;
        if (limits.fileSizeLimit) {
            sizeLimit.emplace(*limits.fileSizeLimit);
        }
        if (limits.obeyFileModes) {
            dropFileModeOverrides();
        }
        const std::string answer = body();
        std::FILE* out = ::fdopen(channel[1], "w");
        std::fwrite(answer.data(), 1, answer.size(), out);
        std::fclose(out);
        ::_exit(0);
    }
    ::close(channel[1]);
    std::FILE* in = ::fdopen(channel[0], "r");
    std::string answer;
    char block[4096];
    for (std::size_t got = 0; (got = std::fread(block, 1, sizeof block, in)) > 0;) {
        answer.append(block, got);
    }
    std::fclose(in);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child ended abnormally";
    }
    return answer;
}

} // namespace corvane::test
