#pragma once

#include <QPlainTextEdit>
#include <QTimer>

namespace corvane {

// The document's text box. Every line break it holds is a paragraph (a CR LF line in the
// file): Shift+Enter and pasted line separators make ordinary paragraphs too, so the text
// never holds a break that the file could not store.
// It breaks lines anywhere while a paragraph is very long (see kLongParagraph), and at words
// again soon after no paragraph is, whether the long one was deleted or undone.
class TextBox final : public QPlainTextEdit {
  public:
    explicit TextBox(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    // Files dropped on the box are left to the window, which opens them.
    bool canInsertFromMimeData(const QMimeData* source) const override;

  private:
    void contentsChanged(int position, int added);
    void wrapAtWordsUnlessLong();

    // Looking for a long paragraph costs a pass over every paragraph: done once typing
    // pauses, not at every keystroke.
    QTimer longParagraphCheck_;
};

// Qt lays out a paragraph that has no place to break at a word in time that grows with the
// square of its length (a 300,000-character one takes seconds, a 10 MB one hours); breaking
// lines anywhere takes linear time. A paragraph longer than this is no prose to read in the
// box, so from then on the box breaks its lines anywhere.
inline constexpr qsizetype kLongParagraph = 20000;

// Switches `box` to breaking lines anywhere when a paragraph of `length` characters is about
// to be added.
void makeRoomForParagraph(QPlainTextEdit& box, qsizetype length);
// Back to breaking lines at words, for a text that is replaced.
void wrapAtWords(QPlainTextEdit& box);

} // namespace corvane
