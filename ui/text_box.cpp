#include "text_box.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>

namespace corvane {

void TextBox::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !isReadOnly() && (event->modifiers() & Qt::ShiftModifier) != 0) {
        textCursor().insertBlock();
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) {
        return;
    }
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\u2028"));
    QString text = source->text();
    text.replace(lineBreak, QStringLiteral("\n"));
    for (const QStringView paragraph : QStringView(text).split(QLatin1Char('\n'))) {
        makeRoomForParagraph(*this, textCursor().block().length() + paragraph.size());
    }
    insertPlainText(text);
}

void makeRoomForParagraph(QPlainTextEdit& box, qsizetype length) {
    if (length > kLongParagraph && box.wordWrapMode() != QTextOption::WrapAnywhere) {
        box.setWordWrapMode(QTextOption::WrapAnywhere);
    }
}

void wrapAtWords(QPlainTextEdit& box) {
    box.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

bool TextBox::canInsertFromMimeData(const QMimeData* source) const {
    return !source->hasUrls() && QPlainTextEdit::canInsertFromMimeData(source);
}

} // namespace corvane
