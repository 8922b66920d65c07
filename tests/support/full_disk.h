#pragma once

#include <cstddef>
#include <sys/resource.h>

namespace corvane::test {

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
