// F9 in the window with the real tool chain, in a private copy of the program folder: the
// delivered programs carry the calculator file name and show the typed text when run. What
// the build writes on the way (temp.ett, tmp.z80, comp.bat) is pinned in the libraries' tests.

#include "chain.h"
#include "compile_fixture.h"
#include "ti_program_file.h"

using namespace corvane;
using namespace corvane::test;

namespace {

const QString kText =
    QStringLiteral("Hello calculator\nA line longer than twenty-three characters");

// The program file at `path` is named STORY and shows the text's lines, as the layout pass
// cuts them for the calculator, on its one screen.
void verifyProgram(const QString& path, CalculatorModel model) {
    const std::string file = readFile(path).toStdString();
    const tifile::Parsed parsed = tifile::parseProgramFile(file);
    QVERIFY2(parsed.file, parsed.error.c_str());
    QCOMPARE(parsed.file->name, std::string("STORY"));
    QCOMPARE(parsed.file->storedChecksum, parsed.file->computedChecksum);

    std::vector<std::string> expected;
    for (const QString& line : kText.split(QLatin1Char('\n'))) {
        for (const std::string& piece : programs::cutLine(line.toStdString())) {
            expected.push_back(programs::shownText(piece, model));
        }
    }
    harness::Calculator calculator(model);
    QCOMPARE(calculator.loadProgramFile(file), std::string());
    const harness::RunResult run = calculator.run();
    QCOMPARE(run.failure, std::string());
    QCOMPARE(run.keyWaits.size(), std::size_t{1});
    std::vector<std::string> shown;
    for (const auto& row : run.keyWaits[0]) {
        shown.push_back(row.text);
    }
    QCOMPARE(shown, expected);
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
    }
};

QTEST_MAIN(CompileEndToEndTest)
#include "compile_e2e_test.moc"
#include "object_names.h"
