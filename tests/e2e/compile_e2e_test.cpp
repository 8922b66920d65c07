// F9 in the window with the real tool chain, in a private copy of the program folder: the
// delivered programs carry the calculator file name and show the typed text when run.

#include "chain.h"
#include "compile_fixture.h"
#include "ti_program_file.h"

#include <QFileInfo>

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
    void typedTextBecomesRunningPrograms_data() {
        QTest::addColumn<QString>("openFrom"); // "" for a new document
        QTest::addColumn<QString>("outputs");  // the working folder, under the root
        // Programs land beside the document: Save As moves the working folder there.
        QTest::newRow("new document saved elsewhere") << ""
                                                      << "work";
        QTest::newRow("opened from another folder") << "work"
                                                    << "work";
    }

    void typedTextBecomesRunningPrograms() {
        QFETCH(QString, openFrom);
        QFETCH(QString, outputs);
        Folders f;
        const QString working = f.root.filePath(outputs);
        const auto out = [&working](const char* name) {
            return working + QLatin1Char('/') + QLatin1String(name);
        };
        // Earlier programs of the same name are replaced without asking.
        QVERIFY(writeFile(out("story.83p"), "earlier"));
        QVERIFY(writeFile(out("story.8xp"), "earlier"));

        Window w(f.app);
        useFastClock(w);
        if (openFrom.isEmpty()) {
            w.dialog->answers.push_back(f.workFile("story.txt"));
        } else {
            const QString document = f.root.filePath(openFrom + QStringLiteral("/story.txt"));
            QVERIFY(writeFile(document, "Old\r\nold\r\nOld text\r\n"));
            w.open(document);
        }
        typeDocument(w, kText);

        QTest::keyClick(w.window.get(), Qt::Key_F9);
        QCOMPARE(w.warnings, QStringList());
        QVERIFY(w.window->isEnabled());
        QVERIFY(noHourglass(*w.window));

        verifyProgram(out("story.83p"), CalculatorModel::TI83);
        verifyProgram(out("story.8xp"), CalculatorModel::TI83Plus);
        QCOMPARE(w.line(corvane::objectName::kScreenCount)->text(), QStringLiteral("1"));
        QCOMPARE(w.line(corvane::objectName::kProgramSize)->text(),
                 QString::number(QFileInfo(out("story.83p")).size()));
        std::string ett;
        for (const std::string& line : calculatorLines()) {
            ett += line + "\r\n";
        }
        QCOMPARE(bytesOf(out("temp.ett")), ett);
        QVERIFY(QFileInfo::exists(out("tmp.z80")));
        QCOMPARE(bytesOf(f.appFile("tmp.z80")), bytesOf(out("tmp.z80")));
        QCOMPARE(bytesOf(f.appFile("comp.bat")),
                 "@\r\n@cd " + QFile::encodeName(f.app).toStdString() + "\r\n@asm.bat\r\n");
    }
};

QTEST_MAIN(CompileEndToEndTest)
#include "compile_e2e_test.moc"
#include "object_names.h"
