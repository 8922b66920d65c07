// The compile commands through the window on a fast clock: what is delivered, what the user is
// told, and that the window stays busy to the end and is usable afterwards, whatever happens.

#include "compile_fixture.h"
#include "full_disk.h"
#include "hostile_inputs.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <optional>

using namespace corvane::test;
namespace objectName = corvane::objectName;

namespace {

// Runs `command` with a watch that looks at the window each time it processes events and
// tries, by shortcut and by menu item, to start New and another build: every try must be
// ignored. The warnings of the refused keys are not shown. Returns how many times it looked,
// and how many of them the window was enabled or without the hourglass.
std::pair<int, int> runWatched(Window& w, const std::function<void()>& command) {
    std::pair<int, int> looks;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++looks.first;
        looks.second += w.window->isEnabled() || w.window->cursor().shape() != Qt::WaitCursor;
        QTest::keySequence(w.text(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QTest::keyClick(w.window.get(), Qt::Key_F9);
        for (const char* name :
             {objectName::kNewAction, objectName::kCompileAction, objectName::kSaveAsAction}) {
            if (auto* action = w.window->findChild<QAction*>(QString::fromLatin1(name))) {
                action->trigger();
            }
        }
    });
    timer.start(0);
    const QtMessageHandler shown = qInstallMessageHandler([](auto, auto&, auto&) {});
    command();
    qInstallMessageHandler(shown);
    return looks;
}

// Runs F9's handler on a new document saved as work/story.txt, with a watch on the window,
// which keeps the text and asks nothing more.
void compileNewDocument(Window& w, const Folders& f) {
    typeDocument(w);
    w.dialog->answers.push_back(f.workFile("story.txt"));
    const auto [looks, ready] = runWatched(w, [&] { w.window->compileForIon(); });
    QVERIFY(looks > 0);
    QCOMPARE(ready, 0);
    QCOMPARE(w.shownText(), QStringLiteral("Hello calculator"));
    QCOMPARE(w.dialog->shown.size(), std::size_t{1});
}

// The window is enabled, without the hourglass, and a character typed into the box lands.
void verifyUsable(Window& w) {
    QVERIFY(isReady(*w.window));
    w.text()->moveCursor(QTextCursor::End);
    const int before = w.text()->document()->characterCount();
    QTest::keyClick(w.text(), Qt::Key_Q);
    QCOMPARE(w.text()->document()->characterCount(), before + 1);
}

} // namespace

class CompileCommandTest : public QObject {
    Q_OBJECT

  private slots:
    // The real tool chain: the programs land beside the document, wherever the window
    // started, and the window says where and which document it holds. A close request while
    // the build runs waits for its end, then closes.
    void aBuildDeliversBesideTheDocumentAndACloseWaitsForIt() {
        Folders f;
        f.standIn("sleep 0.2\nexec sh ./real.sh\n");
        Window w(f.app);
        useFastClock(w);
        bool closedDuringBuild = true;
        QTimer::singleShot(50, w.window.get(), [&] { closedDuringBuild = w.window->close(); });
        compileNewDocument(w, f);
        QVERIFY(!closedDuringBuild);
        QVERIFY(!w.window->isVisible());
        QVERIFY(w.questions.isEmpty());
        verifyUsable(w);
        QCOMPARE(w.warnings, QStringList());
        QCOMPARE(w.line(objectName::kScreenCount)->text(), QStringLiteral("1"));
        QCOMPARE(w.line(objectName::kProgramSize)->text(),
                 QString::number(QFileInfo(f.workFile("story.83p")).size()));
        QCOMPARE(w.field<QLabel>(objectName::kStatusLine)->text(),
                 QStringLiteral("story.83p and story.8xp saved in %1")
                     .arg(QDir::toNativeSeparators(f.work)));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("story.txt[*] - Corvane"));
    }

    // A failed build clears the size of programs it did not make and says why: a long
    // asm.log's first lines in the warning, the rest in the box's details. Which lines go
    // where, and that programs an earlier build left are not delivered, are pinned in the
    // build command's tests.
    void aFailedBuildDeliversNothingAndSaysWhy() {
        Folders f;
        f.standIn("for i in $(seq 30); do echo \"tmp.z80:$i: error: no\"; done >asm.log\nexit 1\n");
        Window w(f.app);
        useFastClock(w);
        w.line(objectName::kProgramSize)->setText(QStringLiteral("earlier size"));
        compileNewDocument(w, f);
        verifyUsable(w);
        QVERIFY(!QFileInfo::exists(f.workFile("story.83p")));
        QCOMPARE(w.line(objectName::kScreenCount)->text(), QStringLiteral("1"));
        QCOMPARE(w.line(objectName::kProgramSize)->text(), QString());
        QCOMPARE(w.field<QLabel>(objectName::kStatusLine)->text(),
                 QStringLiteral("No program was made."));
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains(QStringLiteral("tmp.z80:20: error")),
                 qPrintable(w.warnings[0]));
        QVERIFY2(w.warningDetails[0].startsWith(QStringLiteral("tmp.z80:21: error")),
                 qPrintable(w.warningDetails[0]));
    }

    // F9 on a new document that stops before its end: Save As is cancelled (silently: the
    // user chose not to save) or fails, the tool chain folder cannot be made ready, or the
    // calculator file name is invalid. The failure is said once, no half-written document
    // stays, nothing of the build is written, and the window is usable. Each failure (full
    // disks and read-only files, vanished folders, in the save or the build) and the name rule
    // are pinned in the libraries' tests.
    void aBuildThatStopsWritesNothing() {
        const QString nameRule =
            QStringLiteral("1 to 8 letters A-Z or digits 0-9, starting with a letter");
        // How it stops (the TI-BASIC build, "basic name", also checks the name) and what is said.
        const std::pair<QString, QString> rows[] = {
            {"cancel", QString()},
            {"full disk", QStringLiteral("was not saved")},
            {"tool chain",
             QStringLiteral("The tool chain folder /x cannot be created: Permission denied")},
            {"name", nameRule},
            {"basic name", nameRule}};
        for (const auto& [how, said] : rows) {
            Folders f;
            Window w(f.app);
            const QString document = f.workFile("story.txt");
            const QString text(5000, QLatin1Char('x'));
            typeDocument(w, text);
            if (how != "cancel") {
                w.dialog->answers.push_back(document);
            }
            int preparations = 0;
            if (how == "tool chain") {
                w.window->setToolChainPreparation([&] {
                    ++preparations;
                    return said;
                });
            }
            if (how.endsWith("name")) {
                w.line(objectName::kCalculatorFileName)->setText(QStringLiteral("my prog"));
            }
            {
                // Every write past 300 bytes fails, as on a full disk.
                std::optional<FileSizeLimit> fullDisk;
                if (how == "full disk") {
                    fullDisk.emplace(300);
                }
                how == "basic name" ? w.window->compileAsBasic() : w.window->compileForIon();
            }
            QCOMPARE(w.dialog->shown.size(), std::size_t{1});
            QCOMPARE(w.warnings.size(), said.isEmpty() ? 0 : 1);
            if (!said.isEmpty()) {
                QVERIFY2(w.warnings[0].contains(said), qPrintable(w.warnings[0]));
            }
            if (how == "full disk") {
                QVERIFY2(w.warnings[0].contains(document), qPrintable(w.warnings[0]));
            }
            QCOMPARE(preparations, how == "tool chain" ? 1 : 0);
            QCOMPARE(QFileInfo::exists(document), how == "tool chain" || how.endsWith("name"));
            QCOMPARE(QDir(f.work).entryList(QDir::Files).size(),
                     QFileInfo::exists(document) ? 1 : 0);
            QVERIFY(!QFileInfo::exists(f.appFile("comp.bat")));
            QCOMPARE(w.text()->toPlainText(), text);
            verifyUsable(w);
        }
    }

    // Compile as TI-BASIC saves, runs no tool chain, and delivers both programs beside the
    // document. Ctrl+F9 asks for the part size first: a cancel builds nothing, an answer
    // builds reader programs under the same names as F9's, the size offered next time.
    void basicDeliversBothProgramsAndReaderAsksThePartSize() {
        Folders f;
        Window w(f.app);
        useFastClock(w);
        typeDocument(w);
        w.dialog->answers.push_back(f.workFile("story.txt"));
        QCOMPARE(runWatched(w, [&] { w.window->compileAsBasic(); }).second, 0);
        QCOMPARE(w.dialog->shown.size(), std::size_t{1});
        verifyUsable(w);
        QCOMPARE(w.warnings, QStringList());
        QVERIFY(QFileInfo::exists(f.workFile("story-ce.8xp")));
        QVERIFY(QFileInfo::exists(f.workFile("story-84.8xp")));
        QVERIFY(!QFileInfo::exists(f.appFile("comp.bat")));

        std::vector<std::size_t> offered;
        std::pair<std::size_t, std::size_t> limits;
        std::optional<std::size_t> answer;
        w.window->setPartSizeChooser(
            [&](QWidget*, std::size_t current, std::size_t minimum, std::size_t maximum) {
                offered.push_back(current);
                limits = {minimum, maximum};
                return answer;
            });
        // The box holds a typed character since the save: the size is asked before the save.
        const QByteArray saved = readFile(f.workFile("story.txt"));
        QTest::keyClick(w.window.get(), Qt::Key_F9, Qt::ControlModifier);
        QCOMPARE(readFile(f.workFile("story.txt")), saved);
        QVERIFY(!QFileInfo::exists(f.workFile("story.8xp")));

        answer = 3000;
        QTest::keyClick(w.window.get(), Qt::Key_F9, Qt::ControlModifier);
        verifyUsable(w);
        QCOMPARE(w.warnings, QStringList());
        const QByteArray program = readFile(f.workFile("story.8xp"));
        // The reader starts with xor a after the BB 6D tokens (the body follows a 74-byte
        // file and entry header).
        QCOMPARE(program.mid(74, 4), QByteArray("\xBB\x6D\xAF\x30", 4));
        QVERIFY(QFileInfo::exists(f.workFile("story.83p")));
        answer.reset();
        QTest::keyClick(w.window.get(), Qt::Key_F9, Qt::ControlModifier);
        QCOMPARE(offered, (std::vector<std::size_t>{corvane::kReaderDefaultPartBytes,
                                                    corvane::kReaderDefaultPartBytes, 3000}));
        QCOMPARE(limits.first, corvane::kReaderMinimumPartBytes);
        QCOMPARE(limits.second, corvane::readerPartBytesLimit());
    }

    // Two of the hostile inputs the libraries take, through the window: Open and Import leave
    // the file as it is; Compile saves the imported text through Save As, as it has no file,
    // and builds it with the real tool chain.
    void hostileFiles() {
        for (const char* name : {"NUL bytes", "LF-only line ends"}) {
            const QByteArray bytes = QByteArray::fromStdString(hostileInput(name).make());
            Folders f;
            const QString path = f.workFile("hostile.txt");
            QVERIFY(writeFile(path, bytes));
            Window w(f.app);
            useFastClock(w);

            w.open(path);
            verifyUsable(w);
            w.import(path);
            verifyUsable(w);

            w.warnings.clear();
            w.line(objectName::kCalculatorFileName)->setText(QStringLiteral("hostile"));
            w.dialog->answers.push_back(f.workFile("saved.txt"));
            w.window->compileForIon();
            verifyUsable(w);
            QVERIFY2(readFile(path) == bytes, name);
            QCOMPARE(w.window->documentPath(), f.workFile("saved.txt"));
            QVERIFY(QFileInfo::exists(f.workFile("saved.83p")));
            QVERIFY(QFileInfo::exists(f.workFile("saved.8xp")));
            QCOMPARE(w.warnings, QStringList());
        }
    }
};

QTEST_MAIN(CompileCommandTest)
#include "compile_command_test.moc"
