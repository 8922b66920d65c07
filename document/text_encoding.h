#pragma once

#include <string>
#include <string_view>

namespace corvane {

// How the bytes of a file that is read are to be turned into characters. Corvane writes its
// documents in the code page; a file from another editor may be UTF-8.
enum class TextEncoding { CodePage, Utf8 };

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Follows a file's bytes piece by piece and tells how to decode them: UTF-8 when they start
// with the byte order mark, or when they are valid UTF-8 holding at least one multi-byte
// sequence; the code page otherwise (plain ASCII reads the same either way).
class EncodingDetector {
  public:
    void feed(std::string_view bytes);
    TextEncoding result() const;

  private:
    std::string start_; // the first bytes, up to the length of the byte order mark
    int pending_ = 0;   // continuation bytes still expected
    unsigned char low_ = 0x80, high_ = 0xBF; // the range the next continuation byte must be in
    bool valid_ = true;
    bool multiByte_ = false;
};

// Reads the file at `path` through and tells its encoding; a file that cannot be read is
// taken as code page (its reader reports the failure).
TextEncoding detectFileEncoding(const std::string& path);

} // namespace corvane
