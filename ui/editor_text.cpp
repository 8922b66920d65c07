#include "editor_text.h"

#include "ansi_codec.h"

#include <QHash>
#include <QRegularExpression>

namespace corvane {

namespace {

constexpr int kUnencodableShown = 10;

// Whether the code page holds `c`: it must come back from a write and a read unchanged
// (a Windows code page may otherwise write a look-alike letter in its place).
bool encodable(char32_t c, QHash<char32_t, bool>& known) {
    if (c < 0x80) {
        return true;
    }
    const auto found = known.constFind(c);
    if (found != known.cend()) {
        return *found;
    }
    const std::u16string character = QString::fromUcs4(&c, 1).toStdU16String();
    const bool holds = decodeAnsi(encodeAnsi(character)) == character;
    known.insert(c, holds);
    return holds;
}

// Calls `visit(position, length, character)` for every character of `text` the code page
// cannot hold.
template <typename Visit> void forEachUnencodable(const QString& text, Visit visit) {
    QHash<char32_t, bool> known;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            length = 2;
        }
        if (c != QChar::ParagraphSeparator && c != QChar::LineSeparator && !encodable(c, known)) {
            visit(i, length, c);
        }
        i += length - 1;
    }
}

} // namespace

QString lineForEditor(std::string_view bytes, TextEncoding encoding) {
    // UTF-8 from other systems may spell an accented letter as the letter and a combining
    // mark, which the code page cannot hold; composed, it is one character it can.
    if (encoding == TextEncoding::Utf8) {
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
            .normalized(QString::NormalizationForm_C);
    }
    return QString::fromStdU16String(decodeAnsi(bytes));
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
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            plain += u"\r\n";
        } else {
            plain += c.unicode();
        }
    }
    return encodeAnsi(plain);
}

Unencodable findUnencodable(const QString& text) {
    Unencodable found;
    forEachUnencodable(text, [&found](qsizetype, qsizetype, char32_t c) {
        ++found.count;
        const QString character = QString::fromUcs4(&c, 1);
        if (found.first.size() < kUnencodableShown && !found.first.contains(character)) {
            found.first << character;
        }
    });
    return found;
}

QList<TextSpan> unencodableSpans(const QString& text) {
    QList<TextSpan> spans;
    forEachUnencodable(text, [&spans](qsizetype position, qsizetype length, char32_t) {
        spans.append({position, length});
    });
    return spans;
}

QString singleLine(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|[\r\n\u2028\u2029\v\f]"));
    QString line = text;
    line.replace(lineBreak, QStringLiteral(" "));
    line.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return line;
}

QString suggestedFileName(const QString& programName) {
#ifdef _WIN32
    static const QRegularExpression forbidden(QStringLiteral("[/\\\\:*?\"<>|]"));
#else
    static const QRegularExpression forbidden(QStringLiteral("/"));
#endif
    return QString(programName).replace(forbidden, QStringLiteral("-"));
}

} // namespace corvane
