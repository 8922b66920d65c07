#include "text_box.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

namespace corvane {

namespace {

constexpr int kLongParagraphCheckDelayMs = 300;

} // namespace

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
    longParagraphCheck_.setSingleShot(true);
    longParagraphCheck_.setInterval(kLongParagraphCheckDelayMs);
    connect(&longParagraphCheck_, &QTimer::timeout, this, &TextBox::wrapAtWordsUnlessLong);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { contentsChanged(position, added); });
}

void TextBox::contentsChanged(int position, int added) {
    if (wordWrapMode() == QTextOption::WrapAnywhere) {
        longParagraphCheck_.start();
        return;
    }
    // Typing can make a paragraph long too; only the paragraphs the change touched can be.
    const QTextBlock last = document()->findBlock(position + added);
    for (QTextBlock block = document()->findBlock(position); block.isValid();
         block = block.next()) {
        makeRoomForParagraph(*this, block.length());
        if (block == last) {
            break;
        }
    }
}

void TextBox::wrapAtWordsUnlessLong() {
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.length() > kLongParagraph) {
            return;
        }
    }
    wrapAtWords(*this);
}

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
