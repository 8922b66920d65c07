// Times Compile for ion through the main window, from the F9 command to the end of its busy
// state, with the bundled tool chain copied into a scratch program folder, for a one-line
// document and for the largest document a TI-83 Plus program holds (at the line limit). Each
// figure is the best of three runs less the four seconds of the two fixed waits. Then a
// document one line past the limit: the time from F9, save included, to the refusal. Run
// with QT_QPA_PLATFORM=offscreen.
#include "clock.h"
#include "main_window.h"
#include "object_names.h"
#include "scripted_file_dialog.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace corvane;

namespace {

// Real time made 50 times faster: the search for the largest document skips most of the
// fixed waits while the tool chain still runs for real.
class FastClock final : public Clock {
  public:
    FastClock() { started_.start(); }
    double seconds() override { return static_cast<double>(started_.nsecsElapsed()) * 5e-8; }
    void pause(double seconds) override {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 50));
    }

  private:
    QElapsedTimer started_;
};

struct Scratch {
    QTemporaryDir root;
    QString app = root.filePath(QStringLiteral("app"));
    QString document = root.filePath(QStringLiteral("story.txt"));

    Scratch() {
        QDir(root.path()).mkdir(QStringLiteral("app"));
        for (const char* name : {"asm83", "ion.inc", "asm.bat"}) {
            const QString file = QString::fromLatin1(name);
            QFile::copy(QStringLiteral(CORVANE_APP_DIR "/") + file, app + QLatin1Char('/') + file);
        }
    }
};

struct Run {
    bool ok = false;
    double seconds = 0;
    QString size;
    QString message;
};

// Opens a document of `lines` lines of 23 'x' (one calculator line apiece) in a new window
// and triggers Compile for ion.
Run compile(const Scratch& scratch, int lines, bool fast) {
    QByteArray bytes = "Benchmark\r\nbench\r\n";
    bytes += (QByteArray(23, 'x') + "\r\n").repeated(lines);
    QFile file(scratch.document);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return {false, 0, {}, QStringLiteral("cannot write the document")};
    }
    file.close();

    auto dialog = std::make_unique<ScriptedFileDialog>();
    dialog->answers.push_back(scratch.document);
    auto* script = dialog.get();
    Run run;
    MainWindow window(std::move(dialog), scratch.app,
                      [&run](const QString& message, const QString&) { run.message = message; });
    if (fast) {
        window.setBuildServices(std::make_unique<FastClock>(), makeSystemLauncher());
    }
    window.show();
    window.open();
    script->answers.clear();
    QAction* command =
        window.findChild<QAction*>(QLatin1String(corvane::objectName::kCompileAction));
    QElapsedTimer timer;
    timer.start();
    command->trigger();
    run.seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    run.ok = run.message.isEmpty() && window.isEnabled();
    run.size =
        window.findChild<QLineEdit*>(QLatin1String(corvane::objectName::kProgramSize))->text();
    return run;
}

int largestDocument(const Scratch& scratch) {
    int low = 1;
    int high = 4000;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (compile(scratch, middle, true).ok) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

void measure(const Scratch& scratch, const char* what, int lines) {
    double best = 1e9;
    Run run;
    for (int attempt = 0; attempt < 3; ++attempt) {
        run = compile(scratch, lines, false);
        if (!run.ok) {
            std::printf("%s: the build failed: %s\n", what, qPrintable(run.message));
            return;
        }
        best = std::min(best, run.seconds - 4.0);
    }
    std::printf("%-36s %5d lines  .83p %6s bytes  %7.1f ms beyond the 4 s of waits "
                "(target < 200 ms)\n",
                what, lines, qPrintable(run.size), best * 1000);
}

// A text too long for the calculator is refused before the waits and the tool chain.
void measureRefusal(const Scratch& scratch, int lines) {
    double best = 1e9;
    Run run;
    for (int attempt = 0; attempt < 3; ++attempt) {
        run = compile(scratch, lines, false);
        if (run.ok || !run.message.contains(QStringLiteral("too long"))) {
            std::printf("one line past the limit: not refused as too long: %s\n",
                        qPrintable(run.message));
            return;
        }
        best = std::min(best, run.seconds);
    }
    std::printf("%-36s %5d lines  refused %7.1f ms after F9, save included (target < 50 ms)\n",
                "one line past the limit", lines, best * 1000);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const Scratch scratch;
    const int largest = largestDocument(scratch);
    measure(scratch, "one-line document", 1);
    measure(scratch, "largest TI-83 Plus document", largest);
    measureRefusal(scratch, largest + 1);
    return 0;
}
