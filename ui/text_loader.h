#pragma once

#include <QString>

class QPlainTextEdit;

namespace corvane {

// Fills a text box line by line while a file is read. Lines are gathered and handed to the
// box in one insertion whenever the window is about to process events (and at the end),
// so a long file costs a few thousand insertions instead of one per line, while the box
// and its counter are up to date whenever the window can repaint. Undo is off meanwhile:
// the read replaces the whole text.
class TextLoader {
  public:
    // Empties the box.
    explicit TextLoader(QPlainTextEdit& box);
    // Hands over what is still gathered, then turns undo back on.
    ~TextLoader();
    TextLoader(const TextLoader&) = delete;
    TextLoader& operator=(const TextLoader&) = delete;

    // Adds one line followed by a line break.
    void appendLine(const QString& line);
    void flush();
    // Removes the line break after the last line, once the whole file has been read.
    void dropFinalLineBreak();

  private:
    QPlainTextEdit& box_;
    QString pending_;
};

} // namespace corvane
