#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane {

// The preview's small-font glyphs, drawn for Corvane: one for every calculator code the
// character map can produce, each as wide as the calculator's own glyph (its one-pixel gap
// included, as the last column), so that every line breaks and ends where it does on the
// calculator. Six rows from the pen row down; '#' is a dark pixel, '.' a light one.
inline constexpr int kGlyphRows = 6;

struct Glyph {
    std::uint8_t code;
    std::array<std::string_view, kGlyphRows> rows;

    int width() const { return static_cast<int>(rows[0].size()); }
};

// The glyph of `code`, or nullptr for a code the map never produces.
const Glyph* glyphFor(std::uint8_t code);

} // namespace corvane
