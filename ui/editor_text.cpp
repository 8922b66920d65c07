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

QString textForEditor(std::string_view bytes) {
    QString text;
    for (std::size_t start = 0;;) {
        const std::size_t end = bytes.find("\r\n", start);
        text += lineForEditor(bytes.substr(start, end - start));
        if (end == std::string_view::npos) {
            return text;
        }
        text += QLatin1Char('\n');
        start = end + 2;
    }
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
