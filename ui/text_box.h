#pragma once

#include "editor_text.h"

#include <QPlainTextEdit>
#include <QTimer>

class QTextBlock;

namespace corvane {

// The document's text box. Every line break it holds is a paragraph (a CR LF line in the
// file): Shift+Enter and pasted line separators make ordinary paragraphs too, so the text
// never holds a break that the file could not store.
// It breaks lines anywhere while a paragraph is very long (see kLongParagraph), and at words
// again soon after no paragraph is, whether the long one was deleted or undone.
//
// Qt lays out a whole paragraph again at every change to it, so a paragraph of millions of
// characters would cost seconds per keystroke. The box therefore holds a long paragraph as
// several blocks of a few thousand characters, each after the first marked as joined to the
// one before (see continuesParagraph). The joins are no text: text() and everything built on
// it leave them out, copying ignores them, and Backspace, Delete and the arrow keys step over
// them.
class TextBox final : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit TextBox(QWidget* parent = nullptr);

    // The text as the file holds it: paragraphs separated by QChar::ParagraphSeparator (as
    // QTextDocument::toRawText gives them), without the joins.
    QString text() const;
    // The size of the text in the file, where a line break is CR LF. Costs the same however
    // long the text is, unless the paragraphs changed.
    qint64 fileSize() const;
    // Where spans of text() stand in the document; `spans` in order, none overlapping.
    QList<TextSpan> documentSpans(const QList<TextSpan>& spans) const;

    // The paragraph the cursor is in.
    struct CursorParagraph {
        int number = 0;       // counted from 0
        QString text;         // as text() gives it
        qsizetype column = 0; // the cursor's place in `text`
    };
    CursorParagraph cursorParagraph() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    // Files dropped on the box are left to the window, which opens them.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    void contentsChanged(int position, int added);
    // Splits long blocks, joins the blocks of paragraphs that are no longer long, and
    // breaks lines at words again once no paragraph is long.
    void tidyLongParagraphs();
    void rejoinAndSplit();
    // The text between two document positions, without the joins.
    QString textBetween(int from, int to) const;

    // Looking for a long paragraph costs a pass over every paragraph: done once typing
    // pauses, not at every keystroke.
    QTimer longParagraphCheck_;
    // How many joins the document holds, counted again after a change that may have added
    // or removed one (one that changed the number of blocks or spanned several).
    mutable qsizetype joins_ = 0;
    mutable bool joinsCounted_ = true;
    mutable int joinsCountedAtBlocks_ = 1;
};

// Qt lays out a paragraph that has no place to break at a word in time that grows with the
// square of its length (a 300,000-character one takes seconds, a 10 MB one hours); breaking
// lines anywhere takes linear time. A paragraph longer than this is no prose to read in the
// box, so from then on the box breaks its lines anywhere.
inline constexpr qsizetype kLongParagraph = 20000;
// A long paragraph is held in blocks of about this many characters; one is split again once
// typing has made it twice as long.
inline constexpr qsizetype kDisplayBlock = 4000;

// Whether `block` is joined to the block before it, as part of the same paragraph.
bool continuesParagraph(const QTextBlock& block);
// Inserts `text`, whose paragraphs are separated by '\n', at `cursor` of `box` in one edit,
// holding a paragraph that becomes long in blocks of kDisplayBlock characters; `box` breaks
// lines anywhere from then on.
void insertParagraphs(QPlainTextEdit& box, QTextCursor& cursor, QStringView text);
// Back to breaking lines at words, for a text that is replaced.
void wrapAtWords(QPlainTextEdit& box);

} // namespace corvane
