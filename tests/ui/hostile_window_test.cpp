// The window's file commands and Compile for ion on files the editor did not write, on
// disks that fill up and on folders that refuse or vanish: no crash, no hang, nothing the
// user owns half-written, every failure said once, and the window usable afterwards.

#include "compile_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>

using namespace corvane::testing;

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

// Every write past `bytes` fails as on a full disk, until the object goes.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
};

const QByteArray kOldDocument = "Old\r\nold\r\nThe earlier text\r\n";

} // namespace

class HostileWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void hostileFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray high;
        for (int b = 0x80; b <= 0xFF; ++b) {
            high += static_cast<char>(b);
        }
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("NUL bytes") << QByteArray("P\0\r\nF\0\r\na\0b\r\n\0\0", 13);
        QTest::newRow("bytes 80h-FFh") << "P\r\nF\r\n" + high + "\r\n" + high;
        QTest::newRow("10 MB single line") << QByteArray("word ").repeated(2'000'000);
        QTest::newRow("10 MB without a break") << QByteArray(10'000'000, 'x');
        QTest::newRow("a million empty lines") << QByteArray("\r\n").repeated(1'000'000);
        QTest::newRow("CR only") << QByteArray("P\rF\rone\rtwo\r\r");
        QTest::newRow("LF only") << QByteArray("P\nF\none\ntwo\n\n");
        QFile self(QCoreApplication::applicationFilePath());
        QTest::newRow("the program's own executable")
            << (self.open(QIODevice::ReadOnly) ? self.readAll() : QByteArray());
    }

    // Open, Import, then Compile (which saves over the imported file, as Import makes it the
    // document's file) with the real tool chain.
    void hostileFiles() {
        QFETCH(QByteArray, bytes);
        Folders f;
        const QString path = f.workFile("hostile.txt");
        QVERIFY(writeBytes(path, bytes));
        Window w(f.app);
        useFastClock(w);
        QElapsedTimer timer;
        timer.start();

        w.open(path);
        QCOMPARE(w.window->documentPath(), path);
        QCOMPARE(readBytes(path), bytes);
        verifyUsable(w);
        const qint64 opened = timer.restart();

        w.import(path);
        QCOMPARE(w.window->documentPath(), path);
        QCOMPARE(readBytes(path), bytes);
        verifyUsable(w);
        const qint64 imported = timer.restart();

        w.line("TxtNomFic")->setText(QStringLiteral("hostile"));
        w.window->compileForIon();
        verifyUsable(w);
        // A file that Open and Import could not read leaves the working folder and the base
        // name as they were, while it becomes the document's file all the same.
        const QString programs =
            w.window->workingFolder() + QLatin1Char('/') + w.window->baseName();
        const bool delivered = QFileInfo::exists(programs + QStringLiteral(".83p"));
        QCOMPARE(w.warnings.size(), delivered ? 0 : 1);
        QCOMPARE(QFileInfo::exists(programs + QStringLiteral(".8xp")), delivered);
        qInfo("open %lld ms, import %lld ms, compile %lld ms: %s", opened, imported,
              timer.elapsed(),
              delivered ? "delivered" : qPrintable(w.warnings[0].section(QLatin1Char('\n'), 0, 1)));
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
        QVERIFY(writeBytes(path, kOldDocument));
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
            QCOMPARE(readBytes(path), kOldDocument);
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
        QVERIFY(writeBytes(f.workFile("story.txt"), kOldDocument));
        Window w(f.app);
        useFastClock(w);
        w.open(f.workFile("story.txt"));
        // Save As leaves the working folder where Open put it.
        const QString document = f.root.filePath(QStringLiteral("docs/story.txt"));
        w.dialog->answers.push_back(document);
        QVERIFY(w.window->saveAs());
        QCOMPARE(w.window->workingFolder(), f.work);
        const QByteArray saved = readBytes(document);

        std::unique_ptr<Unwritable> locked;
        if (what == "vanished") {
            QVERIFY(QDir(f.work).removeRecursively());
        } else {
            locked = std::make_unique<Unwritable>(what == "document" ? document : f.work);
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
            QCOMPARE(readBytes(document), saved);
        } else {
            QVERIFY2(w.warnings[0].contains(said), qPrintable(w.warnings[0]));
            QVERIFY(!QFileInfo::exists(f.appFile("comp.bat")));
        }
        verifyUsable(w);
    }
};

QTEST_MAIN(HostileWindowTest)
#include "hostile_window_test.moc"
