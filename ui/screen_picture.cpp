#include "screen_picture.h"

#include "ansi_codec.h"
#include "calculator_font.h"
#include "small_font.h"

namespace corvane {

namespace {

// Draws `glyph` with its top left at (column, row), each of its pixels a square of `scale`;
// nothing lands past the picture's edges.
void drawGlyph(QImage& picture, const Glyph& glyph, int column, int row, int scale) {
    for (int y = 0; y < kGlyphRows * scale; ++y) {
        for (int x = 0; x < glyph.width() * scale; ++x) {
            if (glyph.rows[static_cast<std::size_t>(y / scale)]
                          [static_cast<std::size_t>(x / scale)] == '#' &&
                picture.valid(column + x, row + y)) {
                picture.setPixel(column + x, row + y, kScreenInk);
            }
        }
    }
}

// Draws `codes` with the pen at (column, row), as _VPutS does.
void drawString(QImage& picture, std::string_view codes, int column, int row) {
    for (const char code : codes) {
        const Glyph* glyph = glyphFor(static_cast<std::uint8_t>(code));
        if (glyph == nullptr) {
            continue;
        }
        drawGlyph(picture, *glyph, column, row, 1);
        column += glyph->width();
    }
}

// The glyph of the character a token shows, through the character map the other kinds use.
const Glyph* glyphOfToken(BasicToken token) {
    const std::string ansi = encodeAnsi(std::u16string(1, basicTokenCharacter(token)));
    return ansi.size() == 1 ? glyphFor(calculatorCode(static_cast<std::uint8_t>(ansi[0]),
                                                      CalculatorModel::TI83Plus))
                            : nullptr;
}

QImage zoomed(const QImage& picture, int zoom) {
    return picture.scaled(picture.width() * zoom, picture.height() * zoom, Qt::IgnoreAspectRatio,
                          Qt::FastTransformation);
}

QImage blank(int height, int width = kScreenWidth) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(kScreenPaper);
    return picture;
}

} // namespace

QImage screenPicture(const Screen& screen, int zoom) {
    QImage picture = blank(kScreenHeight);
    for (const ScreenRow& row : screen) {
        drawString(picture, row.codes, row.penColumn, row.penRow);
    }
    return zoomed(picture, zoom);
}

QImage titlePicture(std::string_view titleCodes, int zoom) {
    QImage picture = blank(kGlyphRows);
    drawString(picture, titleCodes, kLineStartColumn, 0);
    return zoomed(picture, zoom);
}

QImage homeScreenPicture(std::span<const BasicToken> tokens, const HomeScreen& screen, int zoom) {
    const bool colour = screen.columns > kMonochromeHomeScreen.columns;
    const int scale = colour ? 2 : 1;
    const int cellWidth = colour ? 12 : 6;
    const int cellHeight = colour ? 24 : 8;
    const int width = colour ? 320 : kScreenWidth;
    const int height = colour ? 240 : kScreenHeight;
    QImage picture = blank(height, width);
    // The grid is centred: the colour screen is a little wider than its 26 cells.
    const int left = (width - cellWidth * screen.columns) / 2;
    const int top = (height - cellHeight * screen.rows) / 2;
    const std::size_t cells = std::min(tokens.size(), screen.cells());
    for (std::size_t i = 0; i < cells; ++i) {
        const Glyph* glyph = glyphOfToken(tokens[i]);
        if (glyph == nullptr) {
            continue;
        }
        const int column = static_cast<int>(i % static_cast<std::size_t>(screen.columns));
        const int row = static_cast<int>(i / static_cast<std::size_t>(screen.columns));
        // Each glyph sits in the middle of its cell.
        drawGlyph(picture, *glyph,
                  left + column * cellWidth + (cellWidth - glyph->width() * scale) / 2,
                  top + row * cellHeight + (cellHeight - kGlyphRows * scale) / 2, scale);
    }
    return zoomed(picture, zoom);
}

} // namespace corvane
