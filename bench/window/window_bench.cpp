// Prints how long the window takes to open a 100,000-line document (about 5 MB) compared
// with one setPlainText of the same text, and how long one typed character at the end of
// that document takes, text-size counter and repaint included; then how long pasting one
// 3 MB line without a break takes, the processor time of a keystroke in the middle of that
// line, and the processor time the idle editor uses then; and the same keystroke after
// opening a document that holds such a line. Run it offscreen:
//   QT_QPA_PLATFORM=offscreen bench/window_bench

#include "main_window.h"
#include "object_names.h"
#include "scripted_file_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kLines = 100000;
constexpr int kKeystrokes = 200;
constexpr int kHugeLineBytes = 3 * 1024 * 1024;
constexpr int kHugeLineKeystrokes = 20;

QByteArray documentBytes() {
    QByteArray bytes = "Benchmark\r\nbench\r\n";
    for (int i = 0; i < kLines; ++i) {
        bytes += QByteArray::number(i).rightJustified(6, '0');
        bytes += " the quick brown fox jumps over the lazy dog\r\n";
    }
    return bytes;
}

double milliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Processor time this process has used so far, in milliseconds.
double processorMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Sorted times of `count` keystrokes typed into `text`, each with its repaint.
std::vector<double> typeKeys(QPlainTextEdit* text, int count) {
    std::vector<double> strokes;
    for (int i = 0; i < count; ++i) {
        const double before = processorMs();
        QTest::keyClick(text, Qt::Key_X);
        QApplication::processEvents();
        text->viewport()->repaint();
        strokes.push_back(processorMs() - before);
    }
    std::sort(strokes.begin(), strokes.end());
    return strokes;
}

// Sorted processor times of keystrokes typed in the middle of the text.
std::vector<double> typeInTheMiddle(QPlainTextEdit* text) {
    QTextCursor middle = text->textCursor();
    middle.setPosition(text->document()->characterCount() / 2);
    text->setTextCursor(middle);
    QApplication::processEvents();
    return typeKeys(text, kHugeLineKeystrokes);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.txt"));
    const QByteArray bytes = documentBytes();
    if (!writeFile(path, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }

    auto dialog = std::make_unique<corvane::ScriptedFileDialog>();
    corvane::ScriptedFileDialog& scripted = *dialog;
    corvane::MainWindow window(std::move(dialog), dir.path(),
                               [](const QString&, const QString&) {});
    // The typed text is thrown away before the paste without a question.
    window.setQuestionSink(
        [](const QString&, QMessageBox::StandardButtons) { return QMessageBox::Discard; });
    window.show();
    QApplication::processEvents();
    auto* text = window.findChild<QPlainTextEdit*>(QLatin1String(corvane::objectName::kText));
    auto* size = window.findChild<QLineEdit*>(QLatin1String(corvane::objectName::kTextSize));

    scripted.answers.push_back(path);
    QElapsedTimer timer;
    timer.start();
    window.open();
    QApplication::processEvents();
    const double openMs = milliseconds(timer);
    const QString sizeShown = size->text();

    // The same text in one piece, in a box like the window's.
    const QString whole = text->toPlainText();
    QPlainTextEdit reference;
    reference.setFont(text->font());
    reference.setFixedSize(text->size());
    reference.show();
    QApplication::processEvents();
    timer.restart();
    reference.setPlainText(whole);
    QApplication::processEvents();
    const double setPlainTextMs = milliseconds(timer);

    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QApplication::processEvents();
    std::vector<double> strokes;
    for (int i = 0; i < kKeystrokes; ++i) {
        timer.restart();
        QTest::keyClick(text, Qt::Key_X);
        QApplication::processEvents();
        text->viewport()->repaint();
        strokes.push_back(milliseconds(timer));
    }
    std::sort(strokes.begin(), strokes.end());

    // A huge pasted line: each keystroke, and the idle editor afterwards.
    window.newFile();
    QApplication::processEvents();
    QApplication::clipboard()->setText(QString(kHugeLineBytes, QLatin1Char('y')));
    timer.restart();
    text->paste();
    QApplication::processEvents();
    const double pasteMs = milliseconds(timer);
    const std::vector<double> hugeStrokes = typeInTheMiddle(text);
    const double idleBefore = processorMs();
    QTest::qWait(2000);
    const double idleShare = (processorMs() - idleBefore) / 2000.0;

    const QString hugePath = dir.filePath(QStringLiteral("huge.txt"));
    if (!writeFile(hugePath, "Huge\r\nhuge\r\n" + QByteArray(kHugeLineBytes, 'z'))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(hugePath));
        return 1;
    }
    scripted.answers.push_back(hugePath);
    timer.restart();
    window.open();
    QApplication::processEvents();
    const double openHugeMs = milliseconds(timer);
    const std::vector<double> openedStrokes = typeInTheMiddle(text);

    std::printf("document: %d lines, %lld bytes; size field shows %s\n", kLines,
                static_cast<long long>(bytes.size()), qPrintable(sizeShown));
    std::printf("open in the window:     %8.1f ms  (target < 3000 ms)\n", openMs);
    std::printf("one setPlainText:       %8.1f ms  (open / setPlainText = %.2f, target <= 3)\n",
                setPlainTextMs, openMs / setPlainTextMs);
    std::printf("keystroke at the end:   median %.3f ms, max %.3f ms over %d  (target < 10 ms)\n",
                strokes[strokes.size() / 2], strokes.back(), kKeystrokes);
    std::printf("paste of a 3 MB line:   %8.1f ms\n", pasteMs);
    std::printf("keystroke mid-line:     median %.1f ms, max %.1f ms processor time over %d  "
                "(target < 50 ms)\n",
                hugeStrokes[hugeStrokes.size() / 2], hugeStrokes.back(), kHugeLineKeystrokes);
    std::printf("idle editor afterwards: %.1f %% of a core\n", idleShare * 100.0);
    std::printf("open of a 3 MB line:    %8.1f ms\n", openHugeMs);
    std::printf("keystroke mid-line:     median %.1f ms, max %.1f ms processor time over %d  "
                "(target < 50 ms)\n",
                openedStrokes[openedStrokes.size() / 2], openedStrokes.back(), kHugeLineKeystrokes);
    return 0;
}
