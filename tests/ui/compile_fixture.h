#pragma once

// What the build tests through the window share: a private copy of the program folder with
// the real tool chain or a stand-in for it, a driven clock faster than real time, and the
// document they type.

#include "driven_clock.h"
#include "process_launcher.h"
#include "tool_chain.h"
#include "window_fixture.h"

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

// The document every build test types: one text line, the program and calculator names.
inline void typeDocument(Window& w, const QString& text = QStringLiteral("Hello calculator")) {
    w.text()->setPlainText(text);
    w.line(corvane::objectName::kProgramName)->setText(QStringLiteral("My story"));
    w.line(corvane::objectName::kCalculatorFileName)->setText(QStringLiteral("story"));
}

} // namespace corvane::test
