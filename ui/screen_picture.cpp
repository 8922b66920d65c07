#include "screen_picture.h"

#include "calculator_font.h"

namespace corvane {

namespace {

// Draws `codes` with the pen at (column, row), as _VPutS does; nothing lands past the
// picture's edges.
void drawString(QImage& picture, std::string_view codes, int column, int row) {
    for (const char code : codes) {
        const Glyph* glyph = glyphFor(static_cast<std::uint8_t>(code));
        if (glyph == nullptr) {
            continue;
        }
        for (int y = 0; y < kGlyphRows; ++y) {
            for (int x = 0; x < glyph->width(); ++x) {
                if (glyph->rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#' &&
                    picture.valid(column + x, row + y)) {
                    picture.setPixel(column + x, row + y, kScreenInk);
                }
            }
        }
        column += glyph->width();
    }
}

QImage zoomed(const QImage& picture, int zoom) {
    return picture.scaled(picture.width() * zoom, picture.height() * zoom, Qt::IgnoreAspectRatio,
                          Qt::FastTransformation);
}

QImage blank(int height) {
    QImage picture(kScreenWidth, height, QImage::Format_RGB32);
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

} // namespace corvane
