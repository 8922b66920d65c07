#include "line_reader.h"

#include "native_path.h"
#include "system_error.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace corvane {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr char kCR = '\r';
constexpr char kLF = '\n';
} // namespace

LineReader::LineReader(const std::string& path) : path_(path), buffer_(kBufferSize) {
    std::error_code status;
    const auto type = std::filesystem::status(nativePath(path), status).type();
    if (!status && type != std::filesystem::file_type::regular) {
        errno = 0;
        error_ = describeSystemError(path, "cannot be opened: it is not a regular file");
        return;
    }
    file_ = openFile(path, "rb");
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

void LineReader::skipPrefix(std::string_view prefix) {
    unsigned char first = 0;
    if (position_ == 0 && peekByte(first) && size_ >= prefix.size() &&
        std::string_view(buffer_.data(), prefix.size()) == prefix) {
        position_ = prefix.size();
    }
}

bool LineReader::readLine(std::string& line) {
    line.clear();
    if (!ok() || atEnd()) {
        if (ok()) {
            error_ = path_ + ": input past the end of the file";
            pastEnd_ = true;
        }
        return false;
    }
    for (;;) {
        if (position_ == size_ && !fill()) {
            return ok(); // the last line ends at the end of the file
        }
        const char* start = buffer_.data() + position_;
        const char* end = start + (size_ - position_);
        const char* stop = start;
        while (stop != end && *stop != kCR && *stop != kLF) {
            ++stop;
        }
        line.append(start, stop);
        position_ += static_cast<std::size_t>(stop - start);
        if (stop == end) {
            continue;
        }
        ++position_;
        unsigned char next = 0;
        if (*stop == kCR && peekByte(next) && next == static_cast<unsigned char>(kLF)) {
            ++position_;
        }
        return ok();
    }
}

} // namespace corvane
