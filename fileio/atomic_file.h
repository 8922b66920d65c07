#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace corvane {

// Writes a file the safe way: the bytes go into a new file beside the target, which
// replaces the target only when everything was written and flushed to disk. Until
// commit() succeeds the target is untouched; a writer destroyed without a commit removes
// its partial file. A target that exists but may not be written is refused, as it would
// be by writing to it in place. Where the folder allows no new file, an existing target
// is written in place instead.
class AtomicFile {
  public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False once anything has failed; error() then names the file and the system's reason.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    bool write(std::string_view bytes);
    bool commit();

  private:
    void fail(const std::string& what);
    void discard();
    bool openInPlace();

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    std::string error_;
    bool committed_ = false;
    bool inPlace_ = false;
};

// Moves the file `from` over `to` in one step, replacing `to` when it exists (rename() does
// not on Windows). False with errno set when it fails.
bool replaceFile(const std::string& from, const std::string& to);

// Writes `bytes` to `path` through an AtomicFile. Returns an empty string on success,
// otherwise the error.
std::string writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace corvane
