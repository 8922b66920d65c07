// Compile for ion through the window with stand-in tool chains on a fast clock: what is
// delivered, what the user is told, and that the window stays busy to the end and is
// usable afterwards.

#include "compile_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

using namespace corvane::test;

namespace {

// The tool chain's output goes where the editor's own does: away from the test log.
class QuietOutput {
  public:
    QuietOutput() : saved_(::dup(STDOUT_FILENO)) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~QuietOutput() {
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

  private:
    int saved_;
};

// Runs F9's handler on a new document saved as work/story.txt, with a watch on the window.
void compileNewDocument(Window& w, const Folders& f) {
    typeDocument(w);
    w.dialog->answers.push_back(f.workFile("story.txt"));
    const BusyWatch watch(w);
    const QuietOutput quiet;
    w.window->compileForIon();
    QVERIFY(watch.looks > 0);
    QCOMPARE(watch.enabledLooks, 0);
    QCOMPARE(watch.looksWithoutHourglass, 0);
}

QString statusLine(const Window& w) {
    return w.window->findChild<QLabel*>(QLatin1String(corvane::objectName::kStatusLine))->text();
}

void verifyUsable(const Window& w) {
    QVERIFY(w.window->isEnabled());
    QVERIFY(noHourglass(*w.window));
    QCOMPARE(w.shownText(), QStringLiteral("Hello calculator"));
    QCOMPARE(w.dialog->shown.size(), std::size_t{1});
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
        const QString program = f.workFile("story.83p");
        QVERIFY(QFileInfo::exists(f.workFile("story.8xp")));
        QCOMPARE(w.line(corvane::objectName::kScreenCount)->text(), QStringLiteral("1"));
        QCOMPARE(w.line(corvane::objectName::kProgramSize)->text(),
                 QString::number(QFileInfo(program).size()));
        QCOMPARE(statusLine(w), QStringLiteral("story.83p and story.8xp saved in %1")
                                    .arg(QDir::toNativeSeparators(f.work)));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("story.txt[*] - Corvane"));
    }

    // A failed build delivers none of the programs an earlier build left, clears the size of
    // programs it did not make, and says why: a long asm.log's first lines in the warning,
    // the rest in the box's details. Each failing step is pinned in the build command's tests.
    void aFailedBuildDeliversNothingAndSaysWhy() {
        Folders f;
        f.standIn("for i in $(seq 30); do echo \"tmp.z80:$i: error: no\"; done >asm.log\nexit 1\n");
        const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
        for (const char* name : {"tmp.83p", "tmp.8xp"}) {
            QVERIFY(writeFile(f.appFile(name), "earlier"));
            QFile file(f.appFile(name));
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        Window w(f.app);
        useFastClock(w);
        w.line(corvane::objectName::kProgramSize)->setText(QStringLiteral("earlier size"));
        compileNewDocument(w, f);
        verifyUsable(w);
        QVERIFY(!QFileInfo::exists(f.workFile("story.83p")));
        QVERIFY(!QFileInfo::exists(f.workFile("story.8xp")));
        QCOMPARE(w.line(corvane::objectName::kScreenCount)->text(), QStringLiteral("1"));
        QCOMPARE(w.line(corvane::objectName::kProgramSize)->text(), QString());
        QCOMPARE(statusLine(w), QStringLiteral("No program was made."));
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains(QStringLiteral("tmp.z80:20: error")),
                 qPrintable(w.warnings[0]));
        QVERIFY2(!w.warnings[0].contains(QStringLiteral("tmp.z80:21: error")),
                 qPrintable(w.warnings[0]));
        QVERIFY2(w.warningDetails[0].startsWith(QStringLiteral("tmp.z80:21: error")),
                 qPrintable(w.warningDetails[0]));
        QVERIFY(w.warningDetails[0].contains(QStringLiteral("tmp.z80:30: error")));
    }

    // Compile as TI-BASIC saves, runs no tool chain, and delivers both programs beside the
    // document. An invalid calculator file name stops either build after the save and
    // before anything of it is written; the name rule itself is pinned in the build
    // command's tests.
    void savedThenBuiltOrStoppedByTheName_data() {
        QTest::addColumn<bool>("basic");
        QTest::addColumn<QString>("calculatorName");
        QTest::newRow("as TI-BASIC") << true << QStringLiteral("story");
        QTest::newRow("as TI-BASIC, invalid name") << true << QStringLiteral("my prog");
        QTest::newRow("for ion, invalid name") << false << QStringLiteral("my prog");
    }

    void savedThenBuiltOrStoppedByTheName() {
        QFETCH(bool, basic);
        QFETCH(QString, calculatorName);
        Folders f;
        Window w(f.app);
        useFastClock(w);
        typeDocument(w);
        w.line(corvane::objectName::kCalculatorFileName)->setText(calculatorName);
        w.dialog->answers.push_back(f.workFile("story.txt"));
        const BusyWatch watch(w);
        basic ? w.window->compileAsBasic() : w.window->compileForIon();
        QCOMPARE(watch.looksWithoutHourglass, 0);
        verifyUsable(w);
        QVERIFY(QFileInfo::exists(f.workFile("story.txt")));
        const bool delivered = calculatorName == QLatin1String("story");
        QCOMPARE(QFileInfo::exists(f.workFile("story-ce.8xp")), delivered);
        QCOMPARE(QFileInfo::exists(f.workFile("story-84.8xp")), delivered);
        for (const char* name : {"temp.ett", "tmp.z80", "story.83p"}) {
            QVERIFY2(!QFileInfo::exists(f.workFile(name)), name);
        }
        QVERIFY(!QFileInfo::exists(f.appFile("comp.bat")));
        QCOMPARE(w.warnings.size(), delivered ? 0 : 1);
        if (!delivered) {
            QVERIFY2(w.warnings[0].contains(QStringLiteral(
                         "1 to 8 letters A-Z or digits 0-9, starting with a letter")),
                     qPrintable(w.warnings[0]));
        }
    }

    // Ctrl+F9 asks for the part size first: a cancel builds nothing, an answer builds reader
    // programs under the same names as F9's, the size offered next time.
    void compileAsReaderAsksThePartSize() {
        Folders f;
        Window w(f.app);
        useFastClock(w);
        typeDocument(w);
        std::vector<std::size_t> offered;
        std::pair<std::size_t, std::size_t> limits;
        std::optional<std::size_t> answer;
        w.window->setPartSizeChooser(
            [&](QWidget*, std::size_t current, std::size_t minimum, std::size_t maximum) {
                offered.push_back(current);
                limits = {minimum, maximum};
                return answer;
            });
        QTest::keyClick(w.window.get(), Qt::Key_F9, Qt::ControlModifier);
        QCOMPARE(w.dialog->shown.size(), std::size_t{0});
        QVERIFY(!QFileInfo::exists(f.workFile("story.txt")));

        answer = 3000;
        w.dialog->answers.push_back(f.workFile("story.txt"));
        {
            const QuietOutput quiet;
            QTest::keyClick(w.window.get(), Qt::Key_F9, Qt::ControlModifier);
        }
        verifyUsable(w);
        QCOMPARE(w.warnings, QStringList());
        QCOMPARE(w.line("TxtNbEcran")->text(), QStringLiteral("1"));
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

    // A cancelled Save As ends the build silently: the user chose not to save.
    void cancelledSaveAsEndsTheBuild() {
        Folders f;
        Window w(f.app);
        useFastClock(w);
        typeDocument(w);
        w.window->compileForIon();
        QCOMPARE(w.dialog->shown.size(), std::size_t{1});
        QVERIFY(w.dialog->shown[0].save);
        QCOMPARE(w.warnings, QStringList());
        QVERIFY(!QFileInfo::exists(f.appFile("temp.ett")));
        QVERIFY(w.window->isEnabled());
        QVERIFY(noHourglass(*w.window));
    }

    // A tool chain folder that cannot be made ready stops the build with its message.
    void aToolChainFolderThatCannotBeMadeReadyStopsTheBuildWithItsMessage() {
        Folders f;
        Window w(f.app);
        int preparations = 0;
        const QString said =
            QStringLiteral("The tool chain folder /x cannot be created: Permission denied");
        w.window->setToolChainPreparation([&] {
            ++preparations;
            return said;
        });
        typeDocument(w);
        w.dialog->answers.push_back(f.workFile("story.txt"));
        w.window->compileForIon();
        QCOMPARE(preparations, 1);
        QCOMPARE(w.warnings, QStringList{said});
        QVERIFY(!QFileInfo::exists(f.workFile("temp.ett")));
        verifyUsable(w);
    }
};

QTEST_MAIN(CompileCommandTest)
#include "compile_command_test.moc"
#include "object_names.h"
