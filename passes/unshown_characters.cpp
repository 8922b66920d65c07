#include "unshown_characters.h"

#include "ansi_codec.h"
#include "small_font.h"

#include <cstdint>
#include <cstdio>

namespace corvane {

namespace {

constexpr std::size_t kCharactersListed = 12;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Characters that draw nothing of their own in a message: controls, combining marks,
// surrogates, format and space-like characters.
bool drawsNothingAlone(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0xA0) || (c >= 0x300 && c <= 0x36F) ||
           (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xD800 && c <= 0xDFFF) ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) || c == 0xFEFF;
}

void appendNamed(char32_t c, std::string& out) {
    if (!drawsNothingAlone(c)) {
        appendUtf8(c, out);
        return;
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    out += code;
}

} // namespace

std::u32string unshownCharacters(std::u16string_view text, const CanShowCharacter& canShow) {
    std::u32string found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((char32_t(text[i]) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        }
        if (found.find(c) == std::u32string::npos && !canShow(c)) {
            found += c;
        }
    }
    return found;
}

std::string unshownCharactersWarning(std::u32string_view characters) {
    if (characters.empty()) {
        return {};
    }
    std::string warning = std::to_string(characters.size());
    warning += characters.size() == 1 ? " character shows" : " characters show";
    warning += " as ? on the calculator:";
    for (std::size_t i = 0; i < characters.size() && i < kCharactersListed; ++i) {
        warning += ' ';
        appendNamed(characters[i], warning);
    }
    if (characters.size() > kCharactersListed) {
        warning += " \xE2\x80\xA6";
    }
    return warning;
}

bool ionProgramCanShow(char32_t character) {
    // Line ends are no characters, however the text holds them (the window's text box ends its
    // paragraphs with U+2029).
    if (character == '\r' || character == '\n' || character == u'\u2028' ||
        character == u'\u2029' || character == '?') {
        return true;
    }
    if (character > 0xFFFF) {
        return false;
    }
    const std::u16string text(1, static_cast<char16_t>(character));
    const std::string bytes = encodeAnsi(text);
    if (bytes.size() != 1 || bytes == "?") {
        return false;
    }
    std::string spelling;
    for (const char byte : spelledOut(bytes, spelling)) {
        for (const CalculatorModel model : {CalculatorModel::TI83, CalculatorModel::TI83Plus}) {
            if (calculatorCode(static_cast<std::uint8_t>(byte), model) == '?') {
                return false;
            }
        }
    }
    return true;
}

} // namespace corvane
