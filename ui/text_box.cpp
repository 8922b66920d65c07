#include "text_box.h"

#include <QHash>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace corvane {

namespace {

constexpr int kLongParagraphCheckDelayMs = 300;
// Marks a block joined to the one before it.
constexpr int kContinuesParagraph = QTextFormat::UserProperty;

QTextBlockFormat continuationFormat() {
    QTextBlockFormat format;
    format.setProperty(kContinuesParagraph, true);
    return format;
}

// The blocks of the paragraph `block` is in, and its length.
struct Paragraph {
    QTextBlock first;
    QTextBlock last;
    qsizetype length = 0;
};

Paragraph paragraphOf(QTextBlock block) {
    while (continuesParagraph(block)) {
        block = block.previous();
    }
    Paragraph paragraph{block, block, block.length() - 1};
    while (continuesParagraph(paragraph.last.next())) {
        paragraph.last = paragraph.last.next();
        paragraph.length += paragraph.last.length() - 1;
    }
    return paragraph;
}

// Switches `box` to breaking lines anywhere for a paragraph of `length` characters.
void makeRoomForParagraph(QPlainTextEdit& box, qsizetype length) {
    if (length > kLongParagraph && box.wordWrapMode() != QTextOption::WrapAnywhere) {
        box.setWordWrapMode(QTextOption::WrapAnywhere);
    }
}

// Where to cut `text` near `length` without parting a surrogate pair.
qsizetype cutNear(QStringView text, qsizetype length) {
    if (length > 0 && length < text.size() && text[length - 1].isHighSurrogate() &&
        text[length].isLowSurrogate()) {
        return length - 1;
    }
    return length;
}

// Whether the cursor just stepped from one side of a join to the other, which is no step
// in the text.
bool crossedJoinOnly(const QTextCursor& cursor, int before) {
    return (cursor.position() == before + 1 && cursor.atBlockStart() &&
            continuesParagraph(cursor.block())) ||
           (cursor.position() == before - 1 && cursor.atBlockEnd() &&
            continuesParagraph(cursor.block().next()));
}

} // namespace

bool continuesParagraph(const QTextBlock& block) {
    return block.isValid() && block.previous().isValid() &&
           block.blockFormat().boolProperty(kContinuesParagraph);
}

void insertParagraphs(QPlainTextEdit& box, QTextCursor& cursor, QStringView text) {
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QList<QStringView> paragraphs = text.split(QLatin1Char('\n'));
    // The first and the last paragraph join the text around the cursor.
    const qsizetype around = paragraphOf(cursor.block()).length;
    qsizetype longest = 0;
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        const bool joinsAround = i == 0 || i == paragraphs.size() - 1;
        longest = std::max(longest, paragraphs[i].size() + (joinsAround ? around : 0));
    }
    makeRoomForParagraph(box, longest);
    // In one piece when no paragraph becomes long, which is faster, unless new blocks would
    // take over the mark of the cursor's block.
    if (longest <= kLongParagraph && !cursor.blockFormat().hasProperty(kContinuesParagraph)) {
        cursor.insertText(text.toString());
        cursor.endEditBlock();
        return;
    }
    bool first = true;
    for (const QStringView paragraph : paragraphs) {
        if (!first) {
            // A new block would otherwise take over the mark of a joined one.
            cursor.insertBlock(QTextBlockFormat());
        }
        first = false;
        if (paragraphOf(cursor.block()).length + paragraph.size() <= kLongParagraph) {
            cursor.insertText(paragraph.toString());
            continue;
        }
        qsizetype done = 0;
        qsizetype piece = std::max<qsizetype>(0, kDisplayBlock - cursor.positionInBlock());
        for (;;) {
            piece = cutNear(paragraph.sliced(done), std::min(piece, paragraph.size() - done));
            cursor.insertText(paragraph.sliced(done, piece).toString());
            done += piece;
            if (done == paragraph.size()) {
                break;
            }
            cursor.insertBlock(continuationFormat());
            piece = kDisplayBlock;
        }
    }
    cursor.endEditBlock();
}

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
    longParagraphCheck_.setSingleShot(true);
    longParagraphCheck_.setInterval(kLongParagraphCheckDelayMs);
    connect(&longParagraphCheck_, &QTimer::timeout, this, &TextBox::tidyLongParagraphs);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { contentsChanged(position, added); });
}

QString TextBox::text() const {
    return textBetween(0, document()->characterCount() - 1);
}

QString TextBox::textBetween(int from, int to) const {
    QString text;
    text.reserve(to - from);
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        if (start > from && !continuesParagraph(block)) {
            text += QChar::ParagraphSeparator;
        }
        const int end = std::min(to, block.position() + block.length() - 1);
        text += QStringView(block.text()).sliced(start - block.position(), end - start);
    }
    return text;
}

qint64 TextBox::fileSize() const {
    const QTextDocument* document = this->document();
    if (!joinsCounted_ || joinsCountedAtBlocks_ != document->blockCount()) {
        joins_ = 0;
        // Blocks share their formats: each is looked at once, by its index.
        QHash<int, bool> joining;
        for (QTextBlock block = document->begin().next(); block.isValid(); block = block.next()) {
            auto found = joining.constFind(block.blockFormatIndex());
            if (found == joining.cend()) {
                found = joining.insert(block.blockFormatIndex(), continuesParagraph(block));
            }
            joins_ += *found ? 1 : 0;
        }
        joinsCounted_ = true;
        joinsCountedAtBlocks_ = document->blockCount();
    }
    // The document counts one character more than its text (the end marker), and a line
    // break, one character there, is CR LF in the file.
    const qint64 lineBreaks = document->blockCount() - 1 - joins_;
    return (document->characterCount() - 1 - joins_) + lineBreaks;
}

QList<TextSpan> TextBox::documentSpans(const QList<TextSpan>& spans) const {
    QTextBlock block = document()->begin();
    qsizetype joins = 0; // up to the start of `block`
    // A position at a join is the start of the block after it, or the end of the block
    // before it when it ends a span.
    const auto toDocument = [&](qsizetype position, bool endOfSpan) {
        for (QTextBlock next = block.next(); next.isValid(); next = block.next()) {
            const qsizetype joinsToNext = joins + (continuesParagraph(next) ? 1 : 0);
            const qsizetype nextStart = next.position() - joinsToNext;
            if (nextStart > position || (endOfSpan && nextStart == position)) {
                break;
            }
            block = next;
            joins = joinsToNext;
        }
        return position + joins;
    };
    QList<TextSpan> inDocument;
    inDocument.reserve(spans.size());
    for (const TextSpan& span : spans) {
        const qsizetype start = toDocument(span.position, false);
        inDocument.append({start, toDocument(span.position + span.length, true) - start});
    }
    return inDocument;
}

TextBox::CursorParagraph TextBox::cursorParagraph() const {
    const QTextCursor cursor = textCursor();
    const Paragraph paragraph = paragraphOf(cursor.block());
    CursorParagraph found;
    for (QTextBlock block = document()->begin(); block != paragraph.first; block = block.next()) {
        found.number += continuesParagraph(block.next()) ? 0 : 1;
    }
    found.text = textBetween(paragraph.first.position(),
                             paragraph.last.position() + paragraph.last.length() - 1);
    found.column = cursor.position() - paragraph.first.position();
    for (QTextBlock block = paragraph.first; block != cursor.block(); block = block.next()) {
        --found.column;
    }
    return found;
}

void TextBox::contentsChanged(int position, int added) {
    const QTextBlock first = document()->findBlock(position);
    const QTextBlock last = document()->findBlock(position + added);
    if (first != last) {
        joinsCounted_ = false;
    }
    if (wordWrapMode() == QTextOption::WrapAnywhere) {
        longParagraphCheck_.start();
        return;
    }
    // Typing can make a paragraph long too; only the paragraphs the change touched can be.
    // Blocks joined in a paragraph that is no longer long are joined into one again.
    for (QTextBlock block = first; block.isValid();) {
        const Paragraph paragraph = paragraphOf(block);
        makeRoomForParagraph(*this, paragraph.length);
        if (paragraph.length > kLongParagraph || paragraph.first != paragraph.last) {
            longParagraphCheck_.start();
        }
        if (paragraph.last.blockNumber() >= last.blockNumber()) {
            break;
        }
        block = paragraph.last.next();
    }
}

void TextBox::tidyLongParagraphs() {
    // Changing the blocks now, after an undo, would throw away what can be redone, and while
    // a file is read, the reader holds the blocks: that waits for the next edit.
    if (!isReadOnly() && !document()->isRedoAvailable()) {
        rejoinAndSplit();
    }
    for (QTextBlock block = document()->begin(); block.isValid();) {
        const Paragraph paragraph = paragraphOf(block);
        if (paragraph.length > kLongParagraph) {
            return;
        }
        block = paragraph.last.next();
    }
    wrapAtWords(*this);
}

void TextBox::rejoinAndSplit() {
    QTextDocument* document = this->document();
    QTextCursor cursor(document);
    const bool wasModified = document->isModified();
    // The blocks change in the same undo step as the edit that made them long or short
    // (none before it: a text just read or set has no undo step).
    const bool joinUndoStep = document->isUndoAvailable();
    const bool undoEnabled = document->isUndoRedoEnabled();
    bool editing = false;
    const auto edit = [&] {
        if (editing) {
            return;
        }
        editing = true;
        if (joinUndoStep) {
            cursor.joinPreviousEditBlock();
        } else {
            document->setUndoRedoEnabled(false);
            cursor.beginEditBlock();
        }
    };
    for (QTextBlock block = document->begin(); block.isValid();) {
        const bool oneBlock = paragraphOf(block).length <= kLongParagraph;
        for (;;) {
            const qsizetype length = block.length() - 1;
            if (!oneBlock && length > 2 * kDisplayBlock) {
                edit();
                cursor.setPosition(block.position() +
                                   static_cast<int>(cutNear(block.text(), kDisplayBlock)));
                cursor.insertBlock(continuationFormat());
                block = block.next();
                continue;
            }
            const QTextBlock next = block.next();
            if (!continuesParagraph(next)) {
                block = next;
                break;
            }
            if (oneBlock || length == 0 || next.length() == 1) {
                edit();
                cursor.setPosition(next.position() - 1);
                cursor.deleteChar();
                continue;
            }
            block = next;
        }
    }
    if (!editing) {
        return;
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(undoEnabled);
    if (!wasModified) {
        document->setModified(false);
    }
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (enter && modifiers == Qt::NoModifier) {
        // A new paragraph, also inside a joined block, whose mark it must not take over.
        QTextCursor cursor = textCursor();
        cursor.insertBlock(QTextBlockFormat());
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    // Deleting goes to the character beyond a join, not to the join.
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && !textCursor().hasSelection()) {
        QTextCursor cursor = textCursor();
        while (key == Qt::Key_Backspace && cursor.atBlockStart() &&
               continuesParagraph(cursor.block())) {
            cursor.setPosition(cursor.position() - 1);
        }
        while (key == Qt::Key_Delete && cursor.atBlockEnd() &&
               continuesParagraph(cursor.block().next())) {
            cursor.setPosition(cursor.position() + 1);
        }
        setTextCursor(cursor);
    }
    const int before = textCursor().position();
    QPlainTextEdit::keyPressEvent(event);
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && crossedJoinOnly(textCursor(), before)) {
        QPlainTextEdit::keyPressEvent(event);
    }
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) {
        return;
    }
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\u2028"));
    // Pasted text is composed as text read from UTF-8 files is (an accent typed as a
    // combining mark becomes the accented letter).
    QString text = source->text().normalized(QString::NormalizationForm_C);
    text.replace(lineBreak, QStringLiteral("\n"));
    QTextCursor cursor = textCursor();
    insertParagraphs(*this, cursor, text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    QString text = textBetween(cursor.selectionStart(), cursor.selectionEnd());
    // As QTextDocument::toPlainText gives it.
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            c = QLatin1Char('\n');
        } else if (c == QChar::Nbsp) {
            c = QLatin1Char(' ');
        }
    }
    auto* mime = new QMimeData;
    mime->setText(text);
    return mime;
}

void wrapAtWords(QPlainTextEdit& box) {
    box.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

bool TextBox::canInsertFromMimeData(const QMimeData* source) const {
    return !source->hasUrls() && QPlainTextEdit::canInsertFromMimeData(source);
}

} // namespace corvane
