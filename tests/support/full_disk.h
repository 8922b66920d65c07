#pragma once

// The two ways a test fills the disk: a small tmpfs of its own, where the process may mount
// one (root on Linux), and a limit on the size of every file the process writes.

#include <cstddef>
#include <filesystem>
#include <sys/resource.h>

namespace corvane::test {

// A folder of at most `bytes` on a tmpfs of its own; unmounted, with what was written on it,
// when the object goes. When mounted() is false the test should be skipped.
class SmallDisk {
  public:
    SmallDisk(const std::filesystem::path& where, std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

  private:
    std::filesystem::path where_;
    bool mounted_ = false;
};

// While the object lives, every write that would make a file of this process larger than
// `bytes` fails with EFBIG, as on a full disk (SIGXFSZ is ignored).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::size_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
};

} // namespace corvane::test
