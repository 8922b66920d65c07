// New, Open, Import, Save and Save As through a scripted file dialog, on real files, and
// files dropped on the window or given by path as the desktop and the command line do.

#include "window_fixture.h"

#include <QTimer>
#include <QUrl>
#include <optional>

using corvane::test::isReady;
using corvane::test::readFile;
using corvane::test::Window;
using corvane::test::writeFile;
namespace objectName = corvane::objectName;

namespace {

// Results of an earlier build, which New, Open and Import clear.
void showBuildResults(const Window& w) {
    w.line(objectName::kScreenCount)->setText(QStringLiteral("3"));
    w.line(objectName::kProgramSize)->setText(QStringLiteral("1234"));
}
QString buildResults(const Window& w) {
    return w.line(objectName::kScreenCount)->text() + w.line(objectName::kProgramSize)->text();
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    // Open then Save gives back the same bytes: tabs, the code page's accented letters and
    // no-break space, bytes without a character, empty lines and a final empty line.
    void openThenSaveKeepsEveryByte() {
        const std::tuple<QByteArray, QString, QString> rows[] = {
            {"Hello\r\n\t\xA0"
             "caf\xE9\x80\x81\x8D\x8F\x90\x9D",
             QStringLiteral("Hello\n\t\u00A0caf\u00E9\u20AC\u0081\u008D\u008F\u0090\u009D"), "19"},
            {"", "", "0"},
            {"\r\n\r\nx\r\n", "\n\nx\n", "7"}};
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("story.txt"));
        Window w;
        for (const auto& [text, shown, size] : rows) {
            const QByteArray file = "Prog\r\nfile\r\n" + text + "\r\n";
            QVERIFY(writeFile(path, file));
            w.open(path);
            QCOMPARE(w.shownText(), shown);
            QCOMPARE(w.size(), size);
            QVERIFY(QFile::remove(path));
            QVERIFY(w.window->save());
            QCOMPARE(readFile(path), file);
        }
    }

    // Open asks in the working folder (the first one as set), then takes the file's folder
    // and base name, and clears the results of the last build; so does Save As elsewhere.
    void openAndSaveAsSetPathFolderAndBaseName() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("notes")));
        const QString path = dir.filePath(QStringLiteral("notes/story.md"));
        QVERIFY(writeFile(path, "P\r\nF\r\nline\r\n"));
        Window w;
        w.window->setWorkingFolder(dir.path());
        showBuildResults(w);
        w.open(path);
        QCOMPARE(w.dialog->shown.back().filter, corvane::kTextFileFilters);
        QCOMPARE(w.dialog->shown.back().folder, dir.path());
        QCOMPARE(w.window->documentPath(), path);
        QCOMPARE(w.window->workingFolder(), dir.filePath(QStringLiteral("notes")));
        QCOMPARE(w.window->baseName(), QStringLiteral("story"));
        QCOMPARE(w.shownText(), QStringLiteral("line"));
        QCOMPARE(buildResults(w), QString());

        // Programs land beside the document: Save As moves the working folder to the file's. A
        // name that is all extension leaves no base name, so no build replaces the earlier
        // document's programs.
        const QString other = dir.filePath(QStringLiteral(".txt"));
        w.line(objectName::kProgramName)->clear();
        w.dialog->answers.push_back(other);
        QVERIFY(w.window->saveAs());
        QCOMPARE(w.dialog->shown.back().proposedName, QStringLiteral(".txt"));
        QCOMPARE(w.window->workingFolder(), dir.path());
        QCOMPARE(w.window->documentPath(), other);
        QCOMPARE(w.window->baseName(), QString());
        QCOMPARE(readFile(other), QByteArray("\r\nF\r\nline\r\n"));
    }

    // A failed read keeps what was read and the values set before it, and the window ends
    // ready; a cancelled dialog changes nothing. Import puts the header into the text and
    // clears the results of the last build (its dialog's title is pinned with its shortcut).
    void failedOpenAndImport() {
        // Import or Open; the file's bytes (none: no file); the text and program name after.
        const std::tuple<bool, QByteArray, QString, QString> rows[] = {
            {false, "P2\r\nF2\r\n", "", "P2"},
            {false, QByteArray(), "old", "Kept"},
            {true, "", "", "Kept"},
            {true, "Head1\r\nHead2\r\nbody\r\n", "Head1\nHead2\nbody", "Kept"}};
        for (const auto& [import, content, text, programName] : rows) {
            QTemporaryDir dir;
            const QString earlier = dir.filePath(QStringLiteral("earlier.txt"));
            QVERIFY(writeFile(earlier, "Kept\r\nkept\r\nold\r\n"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
            const QString path = dir.filePath(QStringLiteral("sub/broken.txt"));
            if (!content.isNull()) {
                QVERIFY(writeFile(path, content));
            }
            Window w;
            w.open(earlier);

            w.dialog->answers.push_back(std::nullopt);
            import ? w.window->importText() : w.window->open();
            QCOMPARE(w.window->documentPath(), earlier);
            QCOMPARE(w.shownText(), QStringLiteral("old"));

            const bool read = import && !content.isEmpty();
            showBuildResults(w);
            import ? w.import(path) : w.open(path);
            QVERIFY(!import || buildResults(w).isEmpty());
            QCOMPARE(w.window->documentPath(),
                     programName == "Kept" && !import ? earlier : QString());
            QCOMPARE(w.warnings.size(), import ? 0 : 1);
            QCOMPARE(w.shownText(), text);
            QCOMPARE(w.line(objectName::kProgramName)->text(), programName);
            QCOMPARE(w.window->workingFolder(),
                     read ? dir.filePath(QStringLiteral("sub")) : dir.path());
            QCOMPARE(w.window->baseName(), QStringLiteral("earlier"));
            QVERIFY(isReady(*w.window));
        }
    }

    // A cancelled Save As writes nothing (and cancels the command that asked for the save);
    // the chosen file then takes the document, after which Save asks nothing more. New clears
    // the results of the last build.
    void saveAfterNewAsksThenWrites() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chosen.txt"));
        Window w(dir.path());
        QTest::keyClicks(w.text(), QStringLiteral("Hi"));
        w.line(objectName::kProgramName)->setText(QStringLiteral("Story"));
        showBuildResults(w);
        // New asks first: a save it cannot make, its Save As cancelled, cancels New.
        w.answers.push_back(QMessageBox::Save);
        w.dialog->answers.push_back(std::nullopt);
        w.window->newFile();
        QCOMPARE(w.shownText(), QStringLiteral("Hi"));
        QVERIFY(w.window->isWindowModified());
        w.window->newFile();
        QCOMPARE(w.questions.size(), 2);
        QCOMPARE(buildResults(w), QString());
        QTest::keyClicks(w.text(), QStringLiteral("Hello"));
        w.dialog->answers.push_back(std::nullopt);
        QVERIFY(!w.window->save());
        QCOMPARE(w.window->documentPath(), QString());
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(w.warnings.isEmpty());

        w.dialog->answers.push_back(path);
        QVERIFY(w.window->save());
        QCOMPARE(w.dialog->shown.size(), std::size_t{3});
        QCOMPARE(w.dialog->shown[2].proposedName, QStringLiteral("Story.txt"));
        QCOMPARE(readFile(path), QByteArray("Story\r\nnotitle\r\nHello\r\n"));
        QCOMPARE(w.window->documentPath(), path);
        QCOMPARE(w.window->baseName(), QStringLiteral("chosen"));

        QTest::keyClicks(w.text(), QStringLiteral("!"));
        QVERIFY(w.window->save());
        QCOMPARE(w.dialog->shown.size(), std::size_t{3});
        QCOMPARE(readFile(path), QByteArray("Story\r\nnotitle\r\nHello!\r\n"));
        QVERIFY(isReady(*w.window));
    }

    // The text box leaves files to the window rather than pasting their names; a drop on the
    // window itself is pinned in the window tests.
    void aFileDroppedOrGivenByPathOpensAsOpenDoes() {
        for (const QString how : {"drop on text", "open", "import"}) {
            QTemporaryDir folder;
            const QString path = folder.filePath(QStringLiteral("story.txt"));
            QVERIFY(writeFile(path, "Dropped\r\ndrop\r\nFirst line\r\nSecond line\r\n"));
            Window w;
            if (how == QLatin1String("drop on text")) {
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(path)});
                data.setText(path);
                QVERIFY(corvane::test::drop(w.text()->viewport(), data));
            } else {
                how == "open" ? w.window->openFile(path) : w.window->importFile(path);
            }
            const bool imported = how == QLatin1String("import");
            QCOMPARE(w.shownText(), imported
                                        ? QStringLiteral("Dropped\ndrop\nFirst line\nSecond line")
                                        : QStringLiteral("First line\nSecond line"));
            QCOMPARE(w.line(corvane::objectName::kProgramName)->text(),
                     imported ? QStringLiteral("Notitle") : QStringLiteral("Dropped"));
            // An imported text is not the document's file: it is saved through Save As.
            QCOMPARE(w.window->documentPath(),
                     imported ? QString() : QDir::toNativeSeparators(path));
            QCOMPARE(w.window->workingFolder(), QDir::toNativeSeparators(folder.path()));
            QVERIFY2(w.warnings.isEmpty(), qPrintable(how));
        }
    }

    // During a long read the window processes events before every 20th line; the counter
    // is current then, and a command chosen or text typed meanwhile is ignored.
    void longReadKeepsCommandsAway() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.txt"));
        QVERIFY(writeFile(path, "P\r\nF\r\n" + QByteArray("line\r\n").repeated(100)));
        Window w;
        QString sizeDuringRead;
        bool hourglassDuringRead = false;
        QTimer::singleShot(0, w.window.get(), [&] {
            sizeDuringRead = w.size();
            hourglassDuringRead = w.window->cursor().shape() == Qt::WaitCursor;
            QTest::keySequence(w.text(), QKeySequence(Qt::CTRL | Qt::Key_N));
            QTest::keySequence(w.text(), QKeySequence(Qt::CTRL | Qt::Key_O));
            QTest::keyClicks(w.text(), QStringLiteral("typed"));
        });
        w.open(path);
        QCOMPARE(sizeDuringRead, QString::number(19 * 6));
        QVERIFY(hourglassDuringRead);
        QCOMPARE(w.dialog->shown.size(), std::size_t{1});
        QCOMPARE(w.text()->blockCount(), 100);
        QVERIFY(!w.shownText().contains(QStringLiteral("typed")));
        QVERIFY(!w.text()->isReadOnly());
        QCOMPARE(w.size(), QString::number(100 * 6 - 2));
        QCOMPARE(w.window->documentPath(), path);
        QVERIFY(isReady(*w.window));

        QTest::keySequence(w.text(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(w.size(), QStringLiteral("0"));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
