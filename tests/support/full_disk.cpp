#include "full_disk.h"

#include <csignal>
#include <string>
#include <sys/mount.h>

namespace corvane::test {

SmallDisk::SmallDisk(const std::filesystem::path& where, std::size_t bytes) : where_(where) {
    std::filesystem::create_directories(where_);
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        ::umount2(where_.c_str(), MNT_DETACH);
    }
}

FileSizeLimit::FileSizeLimit(std::size_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, SIG_DFL);
}

} // namespace corvane::test
