#pragma once

#include <QPlainTextEdit>

namespace corvane {

// The document's text box. Every line break it holds is a paragraph (a CR LF line in the
// file): Shift+Enter and pasted line separators make ordinary paragraphs too, so the text
// never holds a break that the file could not store.
class TextBox final : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace corvane
