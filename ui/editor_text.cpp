#include "editor_text.h"

#include "ansi_codec.h"

namespace corvane {

QString lineForEditor(std::string_view bytes) {
    std::u16string line = decodeAnsi(bytes);
    for (char16_t& c : line) {
        if (c == u'\n') {
            c = kLoneLineFeedMark;
        }
    }
    return QString::fromStdU16String(line);
}

std::string bytesFromEditor(const QString& text) {
    std::u16string plain;
    plain.reserve(static_cast<std::size_t>(text.size()) + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
            plain += u"\r\n";
            break;
        case kLoneLineFeedMark:
            plain += u'\n';
            break;
        default:
            plain += c.unicode();
        }
    }
    return encodeAnsi(plain);
}

} // namespace corvane
