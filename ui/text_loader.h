#pragma once

#include <QElapsedTimer>
#include <QString>

class QPlainTextEdit;

namespace corvane {

// Fills a text box line by line while a file is read. Lines are gathered and handed to the
// box in one insertion at a time: every repaint of a changed box costs far more than the
// insertion itself, so while the window processes events every few lines, the box (and
// the text-size counter with it) changes at most about twenty times a second, the first
// time at once. Undo is off meanwhile, since the read replaces the whole text, and the box
// takes no typing or pasting, which would mix into the lines being read.
class TextLoader {
  public:
    // Empties the box.
    explicit TextLoader(QPlainTextEdit& box);
    // Hands over what is still gathered, then turns undo and editing back on.
    ~TextLoader();
    TextLoader(const TextLoader&) = delete;
    TextLoader& operator=(const TextLoader&) = delete;

    // Adds one line followed by a line break.
    void appendLine(const QString& line);
    void flush();
    // Flushes when nothing was handed over yet or a repaint interval has passed since.
    void flushIfDue();
    // Removes the line break after the last line, once the whole file has been read.
    void dropFinalLineBreak();

  private:
    QPlainTextEdit& box_;
    QString pending_;
    QElapsedTimer sinceFlush_;
    bool wasReadOnly_;
};

} // namespace corvane
