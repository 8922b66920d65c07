#include "ansi_codec.h"

#include <array>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane {

namespace {

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

#ifdef _WIN32

std::u16string decodeAnsi(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::u16string text(static_cast<std::size_t>(needed), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                          needed);
    return text;
}

std::string encodeAnsi(std::u16string_view text) {
    if (text.empty()) {
        return {};
    }
    // No ANSI code page holds a character outside the basic plane: each one, and each lone
    // surrogate, becomes one "?" before the conversion.
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
            wide += L'?';
        } else {
            wide += isHighSurrogate(text[i]) || isLowSurrogate(text[i])
                        ? L'?'
                        : static_cast<wchar_t>(text[i]);
        }
    }
    // Without WC_NO_BEST_FIT_CHARS the system writes a look-alike ("A" for "\u0100") instead
    // of "?", and the user is never told.
    const int size = static_cast<int>(wide.size());
    const int needed = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                             nullptr, 0, "?", nullptr);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), needed,
                          "?", nullptr);
    return bytes;
}

std::optional<std::string> toBatchFileCodePage(std::string_view text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(text.size());
    const int wideLength =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (wideLength == 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(),
                          wideLength);
    BOOL lacking = FALSE;
    const int needed = ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                             wideLength, nullptr, 0, nullptr, &lacking);
    if (lacking) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, bytes.data(),
                          needed, nullptr, nullptr);
    return bytes;
}

#else

namespace {

// Bytes 80h to 9Fh of Windows-1252. The five bytes the code page leaves undefined map to
// the C1 controls of the same value, so that every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t decodeByte(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte};
}

constexpr char kUnmappable = '?';

char encodeUnit(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return kUnmappable;
}

} // namespace

std::u16string decodeAnsi(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        text += decodeByte(static_cast<unsigned char>(byte));
    }
    return text;
}

std::string encodeAnsi(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is one character, so it becomes one "?".
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
            bytes += kUnmappable;
            continue;
        }
        bytes += encodeUnit(text[i]);
    }
    return bytes;
}

std::optional<std::string> toBatchFileCodePage(std::string_view text) {
    return std::string(text);
}

#endif

} // namespace corvane
