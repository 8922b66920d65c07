#pragma once

// What the compile command's window tests share: a private copy of the program folder with
// the real tool chain or a stand-in for it, a driven clock faster than real time, and a
// watch that records the window's state and tries commands while a build processes events.

#include "driven_clock.h"
#include "files.h"
#include "object_names.h"
#include "process_launcher.h"
#include "tool_chain.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

namespace corvane::test {

// Uses the fast clock and the system's launcher in `w`.
inline void useFastClock(Window& w) {
    w.window->setBuildServices(std::make_unique<DrivenClock>(0.0, kFastSpeed),
                               makeSystemLauncher());
}

// A fresh root folder holding "app", a copy of the program folder (asm83, ion.inc and
// asm.bat), and "work", an empty folder for documents.
struct Folders {
    QTemporaryDir root;
    QString app = root.filePath(QStringLiteral("app"));
    QString work = root.filePath(QStringLiteral("work"));

    Folders() {
        QDir(root.path()).mkdir(QStringLiteral("work"));
        copyToolChain(localPath(app));
    }
    QString appFile(const char* name) const { return app + QLatin1Char('/') + QLatin1String(name); }
    QString workFile(const char* name) const {
        return work + QLatin1Char('/') + QLatin1String(name);
    }

    // Replaces asm.bat with `script`; the real one stays beside it as real.sh, so that a
    // stand-in can end by running the real tool chain.
    void standIn(const QByteArray& script) const {
        QFile::rename(appFile("asm.bat"), appFile("real.sh"));
        writeFile(appFile("asm.bat"), script);
    }
};

// While a command runs, looks at the window each time it processes events and tries, by
// shortcut and by menu item, to start New and another build. Every try must be ignored.
class BusyWatch {
  public:
    explicit BusyWatch(Window& w) : w_(w) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start();
    }

    int looks = 0;
    int enabledLooks = 0;
    int looksWithoutHourglass = 0;

  private:
    void look() {
        ++looks;
        enabledLooks += w_.window->isEnabled() ? 1 : 0;
        looksWithoutHourglass += w_.window->cursor().shape() == Qt::WaitCursor ? 0 : 1;
        QTest::keySequence(w_.text(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QTest::keyClick(w_.window.get(), Qt::Key_F9);
        for (const char* name :
             {corvane::objectName::kNewAction, corvane::objectName::kCompileAction,
              corvane::objectName::kSaveAsAction}) {
            if (auto* action = w_.window->findChild<QAction*>(QString::fromLatin1(name))) {
                action->trigger();
            }
        }
    }

    Window& w_;
    QTimer timer_;
};

// The document every build test types: one text line, the program and calculator names.
inline void typeDocument(Window& w, const QString& text = QStringLiteral("Hello calculator")) {
    w.text()->setPlainText(text);
    w.line(corvane::objectName::kProgramName)->setText(QStringLiteral("My story"));
    w.line(corvane::objectName::kCalculatorFileName)->setText(QStringLiteral("story"));
}

} // namespace corvane::test
