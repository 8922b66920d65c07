#include "line_writer.h"

#include "system_error.h"

namespace corvane {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
} // namespace

LineWriter::LineWriter(std::string path) : path_(std::move(path)) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) {
        fail("cannot be created");
        return;
    }
    buffer_.resize(kBufferSize);
    std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
}

LineWriter::~LineWriter() {
    close();
}

void LineWriter::fail(const std::string& what) {
    if (error_.empty()) {
        error_ = describeSystemError(path_, what);
    }
}

void LineWriter::write(std::string_view bytes) {
    if (file_ == nullptr || !ok() || bytes.empty()) {
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail("cannot be written");
    }
}

void LineWriter::writeLine(std::string_view line) {
    write(line);
    write("\r\n");
}

bool LineWriter::close() {
    if (file_ != nullptr) {
        // fclose flushes what the buffer still holds, so it can be the first to fail.
        if (std::fclose(file_) != 0) {
            fail("cannot be written");
        }
        file_ = nullptr;
    }
    return ok();
}

} // namespace corvane
