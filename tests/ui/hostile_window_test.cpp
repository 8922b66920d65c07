// The window's file commands and Compile for ion on files the editor did not write, on
// disks that fill up and on folders that refuse or vanish: no crash, no hang, nothing the
// user owns half-written, every failure said once, and the window usable afterwards.

#include "compile_fixture.h"
#include "full_disk.h"
#include "hostile_inputs.h"

#include <QFileInfo>
#include <optional>

using namespace corvane::test;

namespace {

// A character typed into the box lands there.
void verifyUsable(Window& w) {
    QVERIFY(w.window->isEnabled());
    QVERIFY(noHourglass(*w.window));
    QVERIFY(!w.text()->isReadOnly());
    w.text()->moveCursor(QTextCursor::End);
    const int before = w.text()->document()->characterCount();
    QTest::keyClick(w.text(), Qt::Key_Q);
    QCOMPARE(w.text()->document()->characterCount(), before + 1);
}

const QByteArray kOldDocument = "Old\r\nold\r\nThe earlier text\r\n";

} // namespace

class HostileWindowTest : public QObject {
    Q_OBJECT

  private slots:
    // Two of the hostile inputs the libraries take, through the window.
    void hostileFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const char* name : {"NUL bytes", "LF-only line ends"}) {
            QTest::newRow(name) << QByteArray::fromStdString(hostileInput(name).make());
        }
    }

    // Open and Import leave the file as it is; Compile saves the imported text through
    // Save As, as it has no file, and builds it with the real tool chain.
    void hostileFiles() {
        QFETCH(QByteArray, bytes);
        Folders f;
        const QString path = f.workFile("hostile.txt");
        QVERIFY(writeFile(path, bytes));
        Window w(f.app);
        useFastClock(w);

        w.open(path);
        QCOMPARE(readFile(path), bytes);
        verifyUsable(w);

        w.import(path);
        QCOMPARE(w.window->documentPath(), QString());
        QCOMPARE(readFile(path), bytes);
        verifyUsable(w);

        w.warnings.clear();
        w.line(corvane::objectName::kCalculatorFileName)->setText(QStringLiteral("hostile"));
        w.dialog->answers.push_back(f.workFile("saved.txt"));
        w.window->compileForIon();
        verifyUsable(w);
        QCOMPARE(readFile(path), bytes);
        QCOMPARE(w.window->documentPath(), f.workFile("saved.txt"));
        const QString programs =
            w.window->workingFolder() + QLatin1Char('/') + w.window->baseName();
        QVERIFY(QFileInfo::exists(programs + QStringLiteral(".83p")));
        QVERIFY(QFileInfo::exists(programs + QStringLiteral(".8xp")));
        QCOMPARE(w.warnings, QStringList());
    }

    // Compile on an opened document while the disk fills up, or once its file is made
    // unwritable or its folder, the working folder, is removed: the earlier document file is
    // whole, the failure is said once, nothing of the build is delivered, and the window is
    // usable. Save fails the same way whichever command asks for it; the libraries' tests pin
    // the other folders that refuse.
    void failingDisksAndFolders_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("said");
        // The limit, 300 bytes, leaves room for the short document of the build row but not
        // for its assembly source.
        QTest::newRow("disk full at the save") << "save" << QStringLiteral("was not saved");
        QTest::newRow("disk full at the build")
            << "build" << QStringLiteral("failed while writing the assembly source");
        QTest::newRow("read-only document") << "read-only" << QStringLiteral("was not saved");
        QTest::newRow("vanished working folder") << "vanish" << QStringLiteral("was not saved");
    }

    void failingDisksAndFolders() {
        QFETCH(QString, how);
        QFETCH(QString, said);
        Folders f;
        const QString document = f.workFile("story.txt");
        QVERIFY(writeFile(document, kOldDocument));
        Window w(f.app);
        useFastClock(w);
        w.open(document);
        QCOMPARE(w.window->workingFolder(), f.work);
        const QString text(how == "build" ? 10 : 5000, QLatin1Char('x'));
        w.text()->setPlainText(text);

        std::optional<FileSizeLimit> fullDisk;
        std::optional<ReadOnly> locked;
        if (how == "vanish") {
            QVERIFY(QDir(f.work).removeRecursively());
        } else if (how == "read-only") {
            locked.emplace(document);
            if (!locked->engaged()) {
                QSKIP("no way to make a file unwritable here");
            }
        } else {
            fullDisk.emplace(300);
        }
        w.window->compileForIon();
        fullDisk.reset();
        locked.reset();
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains(said), qPrintable(w.warnings[0]));
        if (how != "build") {
            QVERIFY2(w.warnings[0].contains(document), qPrintable(w.warnings[0]));
            QCOMPARE(readFile(document), how == "vanish" ? QByteArray() : kOldDocument);
            QVERIFY(!QFileInfo::exists(f.appFile("comp.bat")));
        }
        QVERIFY(!QFileInfo::exists(f.workFile("story.83p")));
        QCOMPARE(w.text()->toPlainText(), text);
        verifyUsable(w);
    }
};

QTEST_MAIN(HostileWindowTest)
#include "hostile_window_test.moc"
#include "object_names.h"
