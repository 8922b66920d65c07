#include "line_reader.h"

#include "system_error.h"

#include <cstring>

namespace corvane {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr char kCR = '\r';
constexpr char kLF = '\n';
} // namespace

LineReader::LineReader(const std::string& path) : path_(path), buffer_(kBufferSize) {
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        error_ = describeSystemError(path, "cannot be opened");
    }
}

LineReader::~LineReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool LineReader::fill() {
    if (eof_ || file_ == nullptr) {
        return false;
    }
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    position_ = 0;
    if (size_ == 0) {
        if (std::ferror(file_) != 0) {
            error_ = describeSystemError(path_, "cannot be read");
        }
        eof_ = true;
        return false;
    }
    return true;
}

bool LineReader::peekByte(unsigned char& byte) {
    if (position_ == size_ && !fill()) {
        return false;
    }
    byte = static_cast<unsigned char>(buffer_[position_]);
    return true;
}

bool LineReader::atEnd() {
    unsigned char byte = 0;
    return !peekByte(byte);
}

bool LineReader::readLine(std::string& line) {
    line.clear();
    if (!ok() || atEnd()) {
        if (ok()) {
            error_ = path_ + ": input past the end of the file";
        }
        return false;
    }
    for (;;) {
        if (position_ == size_ && !fill()) {
            return ok(); // the last line ends at the end of the file
        }
        const char* start = buffer_.data() + position_;
        const std::size_t available = size_ - position_;
        const void* cr = std::memchr(start, kCR, available);
        if (cr == nullptr) {
            line.append(start, available);
            position_ = size_;
            continue;
        }
        const auto length = static_cast<std::size_t>(static_cast<const char*>(cr) - start);
        line.append(start, length);
        position_ += length + 1;
        unsigned char next = 0;
        if (peekByte(next) && next == static_cast<unsigned char>(kLF)) {
            ++position_;
        }
        return ok();
    }
}

} // namespace corvane
