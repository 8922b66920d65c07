#include "text_encoding.h"

#include "native_path.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace corvane {

void EncodingDetector::feed(std::string_view bytes) {
    if (start_.size() < kUtf8ByteOrderMark.size()) {
        start_ += bytes.substr(0, kUtf8ByteOrderMark.size() - start_.size());
    }
    for (const char c : bytes) {
        if (!valid_) {
            return;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (pending_ > 0) {
            if (byte < low_ || byte > high_) {
                valid_ = false;
                return;
            }
            --pending_;
            low_ = 0x80;
            high_ = 0xBF;
            continue;
        }
        if (byte < 0x80) {
            continue;
        }
        multiByte_ = true;
        // The lead byte fixes how many continuation bytes follow and, for a few leads, a
        // narrower range for the first of them: no overlong forms, no surrogates, nothing
        // past U+10FFFF.
        if (byte >= 0xC2 && byte <= 0xDF) {
            pending_ = 1;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            pending_ = 2;
            low_ = byte == 0xE0 ? 0xA0 : 0x80;
            high_ = byte == 0xED ? 0x9F : 0xBF;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            pending_ = 3;
            low_ = byte == 0xF0 ? 0x90 : 0x80;
            high_ = byte == 0xF4 ? 0x8F : 0xBF;
        } else {
            valid_ = false;
        }
    }
}

TextEncoding EncodingDetector::result() const {
    if (start_ == kUtf8ByteOrderMark) {
        return TextEncoding::Utf8;
    }
    return valid_ && pending_ == 0 && multiByte_ ? TextEncoding::Utf8 : TextEncoding::CodePage;
}

TextEncoding detectFileEncoding(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFile(path, "rb"), &std::fclose);
    if (!file) {
        return TextEncoding::CodePage;
    }
    EncodingDetector detector;
    std::vector<char> buffer(1 << 16);
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get())) {
        detector.feed({buffer.data(), got});
    }
    return detector.result();
}

} // namespace corvane
