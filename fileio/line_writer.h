#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace corvane {

// Writes an intermediate text file (temp.ett, tmp.z80) straight to its place, line by line,
// each line followed by CR LF, through a large buffer. Such files belong to the build, not to
// the user, so they are created or emptied in place rather than written beside and renamed.
// The first failure, closing included, is kept with the file's name and the system's reason.
class LineWriter {
  public:
    explicit LineWriter(std::string path);
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // Bytes as they are, without a line end.
    void write(std::string_view bytes);
    // Bytes followed by CR LF.
    void writeLine(std::string_view line);
    // Flushes and closes the file; false, with error() set, when anything failed.
    bool close();

  private:
    void fail(const std::string& what);
    void flush();

    std::string path_;
    std::FILE* file_ = nullptr;
    std::string pending_;
    std::string error_;
};

} // namespace corvane
