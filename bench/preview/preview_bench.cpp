// Prints how long one typed character takes until the preview has drawn the screens again,
// with a 600-line document in the window: the keystroke in the text box, the layout of the
// whole text, the screens and the repaint of the preview. The pause the preview waits for
// after the last key (150 ms) is left out: it is a wait, not work. Also the keystroke
// alone with the preview closed and open, which should not differ. Run it offscreen:
//   QT_QPA_PLATFORM=offscreen bench/preview_bench

#include "main_window.h"
#include "object_names.h"
#include "preview_window.h"
#include "scripted_file_dialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kLines = 600;
constexpr int kKeystrokes = 200;

QString documentText() {
    QStringList lines;
    for (int i = 0; i < kLines; ++i) {
        lines << QStringLiteral("%1 The keeper climbed the stairs at dusk, as every evening, "
                                "and lit the lamp for the boats.")
                     .arg(i);
    }
    return lines.join(QLatin1Char('\n'));
}

double milliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Figures {
    double median;
    double worst;
};

template <typename Step> Figures timed(Step step) {
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < kKeystrokes; ++i) {
        timer.restart();
        step();
        times.push_back(milliseconds(timer));
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    corvane::MainWindow window(std::make_unique<corvane::ScriptedFileDialog>(),
                               QStringLiteral("/tmp"), [](const QString&, const QString&) {});
    window.show();
    auto* text = window.findChild<QPlainTextEdit*>(QLatin1String(corvane::objectName::kText));
    text->setPlainText(documentText());
    text->setFocus();
    // In the middle of the text, so that the layout before and after the cursor both count.
    QTextCursor cursor = text->textCursor();
    cursor.setPosition(text->document()->characterCount() / 2);
    text->setTextCursor(cursor);
    QApplication::processEvents();

    const auto keystroke = [text] {
        QTest::keyClick(text, Qt::Key_X);
        QApplication::processEvents();
        text->viewport()->repaint();
    };
    const Figures closed = timed(keystroke);

    window.preview();
    auto* preview = window.findChild<corvane::PreviewWindow*>();
    QApplication::processEvents();
    text->setFocus();
    const Figures open = timed(keystroke);
    const Figures layout = timed([&] { preview->refresh(); });
    const Figures repaint = timed([&] { preview->repaint(); });
    const Figures redrawn = timed([&] {
        keystroke();
        preview->refresh();
        preview->repaint();
    });

    std::size_t calculatorLines = 0;
    for (const corvane::Screen& screen : preview->screens()) {
        calculatorLines += screen.size();
    }
    std::printf("document: %d lines, %zu calculator lines on %d screens\n", kLines, calculatorLines,
                preview->screenCount());
    std::printf("keystroke, preview closed:     median %.3f ms, worst %.3f ms over %d\n",
                closed.median, closed.worst, kKeystrokes);
    std::printf("keystroke, preview open:       median %.3f ms, worst %.3f ms over %d\n",
                open.median, open.worst, kKeystrokes);
    std::printf("  of which the layout:         median %.3f ms, worst %.3f ms over %d\n",
                layout.median, layout.worst, kKeystrokes);
    std::printf("  and the repaint:             median %.3f ms, worst %.3f ms over %d\n",
                repaint.median, repaint.worst, kKeystrokes);
    std::printf("keystroke to preview redrawn:  median %.3f ms, worst %.3f ms over %d"
                "  (target < 30 ms)\n",
                redrawn.median, redrawn.worst, kKeystrokes);
    return 0;
}
