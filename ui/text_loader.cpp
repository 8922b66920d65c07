#include "text_loader.h"

#include "text_box.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace corvane {

namespace {

constexpr qint64 kRepaintIntervalMs = 50;

} // namespace

TextLoader::TextLoader(QPlainTextEdit& box) : box_(box), wasReadOnly_(box.isReadOnly()) {
    box_.clear();
    wrapAtWords(box_);
    box_.document()->setUndoRedoEnabled(false);
    box_.setReadOnly(true);
}

TextLoader::~TextLoader() {
    flush();
    box_.document()->setUndoRedoEnabled(true);
    box_.setReadOnly(wasReadOnly_);
}

void TextLoader::appendLine(const QString& line) {
    pending_ += line;
    pending_ += QLatin1Char('\n');
}

void TextLoader::flush() {
    if (pending_.isEmpty()) {
        return;
    }
    QTextCursor end(box_.document());
    end.movePosition(QTextCursor::End);
    insertParagraphs(box_, end, pending_);
    pending_.clear();
    sinceFlush_.start();
}

void TextLoader::flushIfDue() {
    if (!sinceFlush_.isValid() || sinceFlush_.hasExpired(kRepaintIntervalMs)) {
        flush();
    }
}

void TextLoader::dropFinalLineBreak() {
    flush();
    QTextCursor end(box_.document());
    end.movePosition(QTextCursor::End);
    end.deletePreviousChar();
}

} // namespace corvane
