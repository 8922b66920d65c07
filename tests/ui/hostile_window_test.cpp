// The window's file commands and Compile for ion on files the editor did not write, on
// disks that fill up and on folders that refuse or vanish: no crash, no hang, nothing the
// user owns half-written, every failure said once, and the window usable afterwards.

#include "compile_fixture.h"
#include "full_disk.h"
#include "hostile_inputs.h"

#include <QFileInfo>

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
    // Two of the hostile inputs the libraries take, through the window. Compile saves the
    // window's text as a document over the file first, so both build.
    void hostileFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const char* name : {"NUL bytes", "LF-only line ends"}) {
            QTest::newRow(name) << QByteArray::fromStdString(hostileInput(name).make());
        }
    }

    // Open, Import, then Compile (which saves over the imported file, as Import makes it the
    // document's file) with the real tool chain.
    void hostileFiles() {
        QFETCH(QByteArray, bytes);
        Folders f;
        const QString path = f.workFile("hostile.txt");
        QVERIFY(writeFile(path, bytes));
        Window w(f.app);
        useFastClock(w);

        w.open(path);
        QCOMPARE(w.window->documentPath(), path);
        QCOMPARE(readFile(path), bytes);
        verifyUsable(w);

        w.import(path);
        QCOMPARE(w.window->documentPath(), path);
        QCOMPARE(readFile(path), bytes);
        verifyUsable(w);

        w.line("TxtNomFic")->setText(QStringLiteral("hostile"));
        w.window->compileForIon();
        verifyUsable(w);
        // A file that Open and Import could not read leaves the working folder and the base
        // name as they were, while it becomes the document's file all the same.
        const QString programs =
            w.window->workingFolder() + QLatin1Char('/') + w.window->baseName();
        QVERIFY(QFileInfo::exists(programs + QStringLiteral(".83p")));
        QVERIFY(QFileInfo::exists(programs + QStringLiteral(".8xp")));
        QCOMPARE(w.warnings, QStringList());
    }

    // A full disk while Save, Save As or the build write: the earlier document file is
    // whole, the failure is said once, and the window is usable.
    void fullDisk_data() {
        QTest::addColumn<bool>("opened");
        QTest::addColumn<int>("textLength");
        QTest::addColumn<QString>("said");
        // The limit, 300 bytes, leaves room for the short document of the build row but not
        // for its assembly source.
        QTest::newRow("Save") << true << 5000 << QStringLiteral("was not saved");
        QTest::newRow("Save As") << false << 5000 << QStringLiteral("was not saved");
        QTest::newRow("the build")
            << true << 10 << QStringLiteral("failed while writing the assembly source");
    }

    void fullDisk() {
        QFETCH(bool, opened);
        QFETCH(int, textLength);
        QFETCH(QString, said);
        Folders f;
        const QString path = f.workFile("story.txt");
        QVERIFY(writeFile(path, kOldDocument));
        Window w(f.app);
        useFastClock(w);
        if (opened) {
            w.open(path);
        } else {
            w.dialog->answers.push_back(path);
        }
        const QString text(textLength, QLatin1Char('x'));
        w.text()->setPlainText(text);
        {
            const FileSizeLimit limit(300);
            w.window->compileForIon();
        }
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains(said), qPrintable(w.warnings[0]));
        if (textLength > 300) {
            QCOMPARE(readFile(path), kOldDocument);
        }
        QVERIFY(!QFileInfo::exists(f.workFile("story.83p")));
        QCOMPARE(w.text()->toPlainText(), text);
        verifyUsable(w);
    }

    // The document saved, then its file or the working folder made unwritable or removed.
    void refusingFolders_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("said");
        QTest::newRow("read-only document") << "document" << QString();
        QTest::newRow("read-only working folder") << "working"
                                                  << "cutting the text";
        QTest::newRow("vanished working folder") << "vanished"
                                                 << "cutting the text";
    }

    void refusingFolders() {
        QFETCH(QString, what);
        QFETCH(QString, said);
        Folders f;
        QVERIFY(QDir(f.root.path()).mkdir(QStringLiteral("docs")));
        QVERIFY(writeFile(f.workFile("story.txt"), kOldDocument));
        Window w(f.app);
        useFastClock(w);
        w.open(f.workFile("story.txt"));
        // Save As leaves the working folder where Open put it.
        const QString document = f.root.filePath(QStringLiteral("docs/story.txt"));
        w.dialog->answers.push_back(document);
        QVERIFY(w.window->saveAs());
        QCOMPARE(w.window->workingFolder(), f.work);
        const QByteArray saved = readFile(document);

        std::unique_ptr<ReadOnly> locked;
        if (what == "vanished") {
            QVERIFY(QDir(f.work).removeRecursively());
        } else {
            locked = std::make_unique<ReadOnly>(what == "document" ? document : f.work);
            if (!locked->engaged()) {
                QSKIP("no way to make a file unwritable here");
            }
        }
        w.text()->setPlainText(QStringLiteral("New text"));
        w.window->compileForIon();
        locked.reset();
        QCOMPARE(w.warnings.size(), 1);
        if (what == "document") {
            // A document that cannot be replaced stays as it was saved before.
            QVERIFY2(w.warnings[0].contains(QStringLiteral("was not saved")),
                     qPrintable(w.warnings[0]));
            QCOMPARE(readFile(document), saved);
        } else {
            QVERIFY2(w.warnings[0].contains(said), qPrintable(w.warnings[0]));
            QVERIFY(!QFileInfo::exists(f.appFile("comp.bat")));
        }
        verifyUsable(w);
    }
};

QTEST_MAIN(HostileWindowTest)
#include "hostile_window_test.moc"
