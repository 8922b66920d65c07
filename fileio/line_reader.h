#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Reads an 8-bit text file line by line, the way every Corvane file is read: CR LF, CR
// alone and LF alone each end a line (files from Linux and macOS end their lines with LF).
// The last line may end at the end of the file. Only regular files are read: a folder, a
// named pipe or a device is refused before it is opened, since reading a pipe could wait
// for ever.
class LineReader {
  public:
    // Opens the file; ok() tells whether that worked and error() says why not.
    explicit LineReader(const std::string& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // Reads the next line into `line` (without its terminator). Returns false when
    // nothing is left (input past the end of the file) or on a read error; error()
    // then says which.
    bool readLine(std::string& line);
    // True when the last failure was a read past the end of the file.
    bool pastEnd() const { return pastEnd_; }

    // Consumes `prefix` when the file starts with it; call before the first line.
    void skipPrefix(std::string_view prefix);

    // True once every byte of the file has been consumed, terminators included.
    bool atEnd();

  private:
    bool fill();
    bool peekByte(unsigned char& byte);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t size_ = 0;
    bool eof_ = false;
    bool pastEnd_ = false;
};

} // namespace corvane
