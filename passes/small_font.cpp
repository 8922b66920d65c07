#include "small_font.h"

#include "source_writer.h"

#include <algorithm>
#include <array>
#include <utility>

namespace corvane {

namespace {

constexpr const auto& kWidths = kSmallFontWidths;

constexpr std::uint8_t kQuestionMark = 0x3F;
constexpr std::uint8_t kSharpS = 0xDF;

// Windows-1252 letters and signs from 80h up that the small font draws, with their codes.
// Where the include files and the small font's own glyphs disagree (92h, 93h), the glyphs
// decide: 92h draws È and 93h É.
constexpr std::pair<std::uint8_t, std::uint8_t> kHighGlyphs[] = {
    {0xC1, 0x8A}, {0xC0, 0x8B}, {0xC2, 0x8C}, {0xC4, 0x8D}, {0xE1, 0x8E}, {0xE0, 0x8F},
    {0xE2, 0x90}, {0xE4, 0x91}, {0xC8, 0x92}, {0xC9, 0x93}, {0xCA, 0x94}, {0xCB, 0x95},
    {0xE9, 0x96}, {0xE8, 0x97}, {0xEA, 0x98}, {0xEB, 0x99}, {0xCD, 0x9A}, {0xCC, 0x9B},
    {0xCE, 0x9C}, {0xCF, 0x9D}, {0xED, 0x9E}, {0xEC, 0x9F}, {0xEE, 0xA0}, {0xEF, 0xA1},
    {0xD3, 0xA2}, {0xD2, 0xA3}, {0xD4, 0xA4}, {0xD6, 0xA5}, {0xF3, 0xA6}, {0xF2, 0xA7},
    {0xF4, 0xA8}, {0xF6, 0xA9}, {0xDA, 0xAA}, {0xD9, 0xAB}, {0xDB, 0xAC}, {0xDC, 0xAD},
    {0xFA, 0xAE}, {0xF9, 0xAF}, {0xFB, 0xB0}, {0xFC, 0xB1}, {0xC7, 0xB2}, {0xE7, 0xB3},
    {0xD1, 0xB4}, {0xF1, 0xB5}, {0xBF, 0xB9}, {0xA1, 0xBA}, {0xA0, 0x20},
};

// Typographic punctuation, which text from word processors and the web is full of, shown as
// the calculator's nearest signs. A sign of one character goes through the map; the ellipsis
// becomes three dots before the cut, so that the cut counts what is drawn.
struct NearestSign {
    std::uint8_t byte;
    std::string_view shownAs;
};
constexpr NearestSign kNearestSigns[] = {
    {0x82, "'"},   {0x91, "'"},  {0x92, "'"},  {0x8B, "'"},  {0x9B, "'"},  // ‚ ‘ ’ ‹ ›
    {0x84, "\""},  {0x93, "\""}, {0x94, "\""}, {0xAB, "\""}, {0xBB, "\""}, // „ “ ” « »
    {0x96, "-"},   {0x97, "-"},  {0x95, "-"},                              // – — •
    {0x85, "..."},                                                         // …
};

// What the layout writes instead of a byte before the cut, empty for a byte kept as it is:
// the signs longer than one character, and a tab as the space a user would type.
constexpr std::array<std::string_view, 256> makeSpellings() {
    std::array<std::string_view, 256> spellings{};
    spellings['\t'] = " ";
    for (const auto& [from, shownAs] : kNearestSigns) {
        if (shownAs.size() > 1) {
            spellings[from] = shownAs;
        }
    }
    return spellings;
}

constexpr auto kSpellings = makeSpellings();

// The map for one calculator: ASCII stays, except `[` (5Bh is θ there) and the control
// bytes, which would draw unrelated glyphs (a tab becomes a space, the rest '?'); from 80h
// up only the characters above have a glyph, every other byte becomes '?'. ß exists only
// on the TI-83 Plus.
constexpr std::array<std::uint8_t, 256> makeMap(CalculatorModel model) {
    std::array<std::uint8_t, 256> map{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        const bool control = (byte >= 0x01 && byte < 0x20) || byte == 0x7F;
        map[byte] = byte >= 0x80 || control ? kQuestionMark : static_cast<std::uint8_t>(byte);
    }
    map['\t'] = ' ';
    map['['] = 0xC1;
    for (const auto& [from, to] : kHighGlyphs) {
        map[from] = to;
    }
    for (const auto& [from, shownAs] : kNearestSigns) {
        if (shownAs.size() == 1) {
            map[from] = static_cast<std::uint8_t>(shownAs.front());
        }
    }
    if (model == CalculatorModel::TI83Plus) {
        map[kSharpS] = 0xF4;
    }
    return map;
}

constexpr auto kMapTi83 = makeMap(CalculatorModel::TI83);
constexpr auto kMapTi83Plus = makeMap(CalculatorModel::TI83Plus);

constexpr std::array<std::uint8_t, 256> makeDrawnWidths() {
    std::array<std::uint8_t, 256> widths{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        widths[byte] = std::max(kWidths[kMapTi83[byte]], kWidths[kMapTi83Plus[byte]]);
    }
    widths[' '] = 2 * kWidths[' '];
    widths[0xA4] = kWidths[' '];
    return widths;
}

constexpr auto kDrawnWidths = makeDrawnWidths();

std::string mapped(std::string_view bytes, CalculatorModel model) {
    const auto& map = model == CalculatorModel::TI83Plus ? kMapTi83Plus : kMapTi83;
    std::string codes(bytes.size(), '\0');
    std::transform(bytes.begin(), bytes.end(), codes.begin(),
                   [&map](char c) { return static_cast<char>(map[static_cast<std::uint8_t>(c)]); });
    return codes;
}

} // namespace

std::string_view spelledOut(std::string_view line, std::string& buffer) {
    const auto spelled = [](char c) { return !kSpellings[static_cast<std::uint8_t>(c)].empty(); };
    if (std::none_of(line.begin(), line.end(), spelled)) {
        return line;
    }
    buffer.clear();
    for (const char c : line) {
        const std::string_view spelling = kSpellings[static_cast<std::uint8_t>(c)];
        if (spelling.empty()) {
            buffer += c;
        } else {
            buffer += spelling;
        }
    }
    return buffer;
}

std::uint8_t calculatorCode(std::uint8_t ansi, CalculatorModel model) {
    return (model == CalculatorModel::TI83Plus ? kMapTi83Plus : kMapTi83)[ansi];
}

std::string shownCodes(std::string_view calculatorLine, CalculatorModel model) {
    return mapped(doubleSpaces(calculatorLine), model);
}

std::string shownTitle(std::string_view programName, CalculatorModel model) {
    return mapped(programName, model);
}

int smallFontWidth(std::uint8_t code) {
    return kWidths[code];
}

int drawnWidth(std::uint8_t ansi) {
    return kDrawnWidths[ansi];
}

} // namespace corvane
