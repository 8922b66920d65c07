// F9 in the window with the real tool chain, in a private copy of the program folder: the
// delivered programs carry the calculator file name and show the typed text when run.

#include "compile_fixture.h"
#include "shows_text.h"

using namespace corvane;
using namespace corvane::test;

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
        typeDocument(w, QString::fromStdString(kStoryText[0] + "\n" + kStoryText[1]));

        QTest::keyClick(w.window.get(), Qt::Key_F9);
        QCOMPARE(w.warnings, QStringList());

        for (const auto& [program, model] : {std::pair{"story.83p", CalculatorModel::TI83},
                                             {"story.8xp", CalculatorModel::TI83Plus}}) {
            QCOMPARE(storyShowing(readFile(f.workFile(program)).toStdString(), model),
                     std::string());
        }
    }
};

QTEST_MAIN(CompileEndToEndTest)
#include "compile_e2e_test.moc"
#include "object_names.h"
