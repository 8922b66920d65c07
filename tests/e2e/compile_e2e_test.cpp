// F9 in the window with the real tool chain, in a private copy of the program folder: the
// delivered programs carry the calculator file name and show the typed text when run.

#include "chain.h"
#include "compile_fixture.h"
#include "ti_program_file.h"

using namespace corvane;
using namespace corvane::test;

namespace {

const QString kText =
    QStringLiteral("Hello calculator\nA line longer than twenty-three characters");

std::string bytesOf(const QString& path) {
    return readFile(path).toStdString();
}

// The text's lines cut for the calculator.
std::vector<std::string> calculatorLines() {
    std::vector<std::string> lines;
    for (const QString& line : kText.split(QLatin1Char('\n'))) {
        for (const std::string& piece : programs::cutLine(line.toStdString())) {
            lines.push_back(piece);
        }
    }
    return lines;
}

// The program file at `path` is named STORY and shows the text's calculator lines.
void verifyProgram(const QString& path, CalculatorModel model) {
    const std::string file = bytesOf(path);
    const tifile::Parsed parsed = tifile::parseProgramFile(file);
    QVERIFY2(parsed.file, parsed.error.c_str());
    QCOMPARE(parsed.file->name, std::string("STORY"));
    QCOMPARE(parsed.file->storedChecksum, parsed.file->computedChecksum);

    const std::vector<std::string> lines = calculatorLines();
    harness::Calculator calculator(model);
    QCOMPARE(calculator.loadProgramFile(file), std::string());
    const harness::RunResult run = calculator.run();
    QCOMPARE(run.failure, std::string());
    QCOMPARE(run.keyWaits.size(), std::size_t{1});
    const harness::Screen& screen = run.keyWaits[0];
    QCOMPARE(screen.size(), lines.size());
    for (std::size_t r = 0; r < lines.size(); ++r) {
        QCOMPARE(screen[r].text, programs::shownText(lines[r], model));
    }
}

} // namespace

class CompileEndToEndTest : public QObject {
    Q_OBJECT

  private slots:
    // An opened document built where it lies; earlier programs of the same name are replaced
    // without asking. A new document's Save As route is pinned in the compile command tests.
    void typedTextBecomesRunningPrograms() {
        Folders f;
        QVERIFY(writeFile(f.workFile("story.83p"), "earlier"));
        QVERIFY(writeFile(f.workFile("story.8xp"), "earlier"));
        QVERIFY(writeFile(f.workFile("story.txt"), "Old\r\nold\r\nOld text\r\n"));
        Window w(f.app);
        useFastClock(w);
        w.open(f.workFile("story.txt"));
        typeDocument(w, kText);

        QTest::keyClick(w.window.get(), Qt::Key_F9);
        QCOMPARE(w.warnings, QStringList());

        verifyProgram(f.workFile("story.83p"), CalculatorModel::TI83);
        verifyProgram(f.workFile("story.8xp"), CalculatorModel::TI83Plus);
        std::string ett;
        for (const std::string& line : calculatorLines()) {
            ett += line + "\r\n";
        }
        QCOMPARE(bytesOf(f.workFile("temp.ett")), ett);
        QCOMPARE(bytesOf(f.appFile("tmp.z80")), bytesOf(f.workFile("tmp.z80")));
        QCOMPARE(bytesOf(f.appFile("comp.bat")),
                 "@\r\n@cd " + QFile::encodeName(f.app).toStdString() + "\r\n@asm.bat\r\n");
    }
};

QTEST_MAIN(CompileEndToEndTest)
#include "compile_e2e_test.moc"
#include "object_names.h"
