#include "line_writer.h"

#include "native_path.h"
#include "system_error.h"

namespace corvane {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
} // namespace

LineWriter::LineWriter(std::string path) : path_(std::move(path)) {
    file_ = openFile(path_, "wb");
    if (file_ == nullptr) {
        fail("cannot be created");
        return;
    }
    // Lines gather in pending_ and go to the system a megabyte at a time: a line costs a copy.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    pending_.reserve(kBufferSize);
}

LineWriter::~LineWriter() {
    close();
}

void LineWriter::fail(const std::string& what) {
    if (error_.empty()) {
        error_ = describeSystemError(path_, what);
    }
}

void LineWriter::flush() {
    if (file_ != nullptr && ok() && !pending_.empty() &&
        std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) {
        fail("cannot be written");
    }
    pending_.clear();
}

void LineWriter::write(std::string_view bytes) {
    pending_ += bytes;
    if (pending_.size() >= kBufferSize) {
        flush();
    }
}

void LineWriter::writeLine(std::string_view line) {
    pending_ += line;
    pending_ += "\r\n";
    if (pending_.size() >= kBufferSize) {
        flush();
    }
}

bool LineWriter::close() {
    if (file_ != nullptr) {
        flush();
        if (std::fclose(file_) != 0) {
            fail("cannot be written");
        }
        file_ = nullptr;
    }
    return ok();
}

} // namespace corvane
