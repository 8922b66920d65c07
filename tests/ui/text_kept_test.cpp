// The user's text is never lost or silently changed, whatever the file, the command or the
// folder. One test per fault, on real files in a temporary folder.

#include "editor_text.h"
#include "read_only.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QFileDialog>
#include <QTextCursor>
#include <QTimer>
#include <sys/stat.h>

using corvane::kLongParagraph;
using corvane::QtFileDialog;
using corvane::test::readFile;
using corvane::test::ReadOnly;
using corvane::test::writeFile;
using namespace corvane::objectName;

namespace {

const QByteArray kDocument = "P\r\nF\r\nold\r\n";

// A window that opened (or imported) `content` from doc.txt in a temporary folder.
struct OpenDocument : corvane::test::Window {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    explicit OpenDocument(const QByteArray& content = kDocument, bool imported = false) {
        writeFile(path, content);
        imported ? import(path) : open(path);
    }
};

} // namespace

class TextKeptTest : public QObject {
    Q_OBJECT

  private slots:
    // Quit, New, Open and Import ask once before they discard a changed document.
    void unsavedChangesAreAskedAbout_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray typed = "P\r\nF\r\nold!\r\n";
        // The commands by their menu items; "close" is the window's close button.
        for (const char* command : {kNewAction, kOpenAction, kImportAction, kQuitAction, "close"}) {
            QTest::addRow("%s, nothing changed", command)
                << command << "" << int(QMessageBox::NoButton) << true << kDocument;
            QTest::addRow("%s, cancelled", command)
                << command << "text" << int(QMessageBox::Cancel) << false << kDocument;
            QTest::addRow("%s, discarded", command)
                << command << "text" << int(QMessageBox::Discard) << true << kDocument;
            QTest::addRow("%s, saved", command)
                << command << "text" << int(QMessageBox::Save) << true << typed;
        }
        QTest::newRow("new, name changed, saved") << kNewAction << "name" << int(QMessageBox::Save)
                                                  << true << QByteArray("Px\r\nF\r\nold\r\n");
        QTest::newRow("new, changed back by undo")
            << kNewAction << "undone" << int(QMessageBox::NoButton) << true << kDocument;
    }

    void unsavedChangesAreAskedAbout() {
        QFETCH(QString, command);
        QFETCH(QString, change);
        QFETCH(int, answer);
        QFETCH(bool, goesOn);
        QFETCH(QByteArray, saved);
        OpenDocument w;
        const QString other = w.dir.filePath(QStringLiteral("other.txt"));
        QVERIFY(writeFile(other, "O\r\no\r\nnew\r\n"));
        w.text()->moveCursor(QTextCursor::End);
        if (change == "text" || change == "undone") {
            QTest::keyClicks(w.text(), QStringLiteral("!"));
        } else if (change == "name") {
            w.line(kProgramName)->setFocus();
            w.line(kProgramName)->end(false);
            QTest::keyClicks(w.line(kProgramName), QStringLiteral("x"));
        }
        if (change == "undone") {
            w.text()->undo();
        }
        QCOMPARE(w.window->isWindowModified(), change == "text" || change == "name");
        if (answer != QMessageBox::NoButton) {
            w.answers.push_back(QMessageBox::StandardButton(answer));
        }

        w.dialog->answers.push_back(other);
        const bool closes = command == kQuitAction || command == "close";
        if (command == "close") {
            w.window->close();
        } else {
            w.field<QAction>(qPrintable(command))->trigger();
        }
        QCOMPARE(w.questions.size(), answer == QMessageBox::NoButton ? 0 : 1);
        QCOMPARE(readFile(w.path), saved);
        QCOMPARE(w.window->isVisible(), !(closes && goesOn));
        if (!goesOn) {
            QVERIFY(w.shownText().endsWith(QLatin1Char('!')));
            QVERIFY(w.window->isWindowModified());
        } else if (!closes) {
            QVERIFY(!w.window->isWindowModified());
            QVERIFY(!w.shownText().endsWith(QLatin1Char('!')));
        }
    }

    // An imported text, or a file whose header does not fit (said so once), is shown and
    // left without a file: Save goes through Save As (for an import in the file's folder),
    // and the file stays as it was.
    void aTextThatIsNoDocumentKeepsItsFile() {
        const std::tuple<bool, QByteArray, QString> rows[] = {
            {true, "just\r\ntext\r\n", ""},
            {false, "An ordinary text file, first line\r\nsecond\r\nthird\r\n",
             "first line has 33 characters"},
            {false, "one\r\ntwo\r\n", "fewer than three lines"}};
        for (const auto& [imported, content, said] : rows) {
            OpenDocument w(content, imported);
            QCOMPARE(w.warnings.size(), said.isEmpty() ? 0 : 1);
            const QString warning = w.warnings.value(0);
            for (const QString& part : {w.path, said, QStringLiteral("Import")}) {
                QVERIFY2(said.isEmpty() || warning.contains(part), qPrintable(warning));
            }
            QCOMPARE(w.window->documentPath(), QString());
            w.dialog->answers.push_back(std::nullopt);
            QVERIFY(!w.window->save());
            QCOMPARE(w.dialog->shown.back().save, true);
            QVERIFY(!imported || w.dialog->shown.back().folder == w.dir.path());
            QCOMPARE(readFile(w.path), content);
        }
    }

    // CR ends a line as CR LF does; UTF-8 is recognised and composed; the save writes CR LF
    // and the code page.
    void filesFromOtherSystems() {
        const std::tuple<QByteArray, QString, QString, QByteArray> rows[] = {
            {"P\rF\ra\r\rb", "P", "a\n\nb", "P\r\nF\r\na\r\n\r\nb\r\n"},
            {"Cafe\xCC\x81\nF\ne\xCC\x81te\xCC\x81 \xE2\x82\xAC\n", QStringLiteral("Caf\u00E9"),
             QStringLiteral("\u00E9t\u00E9 \u20AC"), "Caf\xE9\r\nF\r\n\xE9t\xE9 \x80\r\n"}};
        for (const auto& [content, programName, shown, saved] : rows) {
            OpenDocument w(content);
            QCOMPARE(w.line(kProgramName)->text(), programName);
            QCOMPARE(w.shownText(), shown);
            QVERIFY(w.warnings.isEmpty());
            QVERIFY(w.window->save());
            QCOMPARE(readFile(w.path), saved);
        }
    }

    // Characters the code page cannot hold are named before the save; saved anyway, the
    // window shows the "?" the file holds.
    void charactersADocumentCannotHold() {
        const QString emoji = QStringLiteral("a\U0001F600b\u4E2D\U0001F600");
        const std::tuple<QString, QMessageBox::StandardButton, QString, QByteArray> rows[] = {
            {emoji, QMessageBox::Yes, QStringLiteral("3 in all"), "a?b??"},
            {emoji, QMessageBox::Cancel, QStringLiteral("\U0001F600 \u4E2D"), kDocument},
            {QStringLiteral("\u4E00\u4E01\u4E02\u4E03\u4E04\u4E05\u4E06\u4E07\u4E08\u4E09\u4E0A"),
             QMessageBox::Yes, QStringLiteral("\u4E09 \u2026"), "???????????"}};
        for (const auto& [text, answer, listed, saved] : rows) {
            OpenDocument w;
            w.text()->setPlainText(text);
            w.answers.push_back(answer);
            const bool yes = answer == QMessageBox::Yes;
            QCOMPARE(w.window->save(), yes);
            QCOMPARE(w.questions.size(), 1);
            QVERIFY2(w.questions[0].contains(listed), qPrintable(w.questions[0]));
            QCOMPARE(readFile(w.path), yes ? "P\r\nF\r\n" + saved + "\r\n" : kDocument);
            QCOMPARE(w.shownText(), yes ? QString::fromLatin1(saved) : text);
            QVERIFY(!yes || !w.window->isWindowModified());
        }
    }

    // Pasted or dropped line breaks become spaces in a name field; control characters go.
    void nameFieldsHoldOneLine() {
        OpenDocument w;
        const QString given = QStringLiteral("a\r\nb\tc\nd");
        QLineEdit* pasted = w.line(kProgramName);
        pasted->clear();
        pasted->setFocus();
        QApplication::clipboard()->setText(given);
        QTest::keySequence(pasted, QKeySequence::Paste);
        QVERIFY(w.window->isWindowModified());
        QLineEdit* dropped = w.line(kCalculatorFileName);
        dropped->clear();
        QMimeData data;
        data.setText(given);
        QVERIFY(corvane::test::drop(dropped, data));
        QCOMPARE(pasted->text(), QStringLiteral("a bc d"));
        QCOMPARE(dropped->text(), QStringLiteral("a bc d"));
        QVERIFY(w.window->save());
        QCOMPARE(readFile(w.path), QByteArray("a bc d\r\na bc d\r\nold\r\n"));
    }

    // Save As proposes a name the file system can create, and one that fails (said with the
    // file's name as it is, accents included) or is cancelled leaves the document's file,
    // base name and working folder as they were; Save still writes in place.
    void aFailedSaveAsChangesNothingAndSaveWritesInPlace() {
        OpenDocument w;
        w.line(kProgramName)->setText(QStringLiteral("Part 1/2"));
        const QString target = w.dir.filePath(QStringLiteral("\u00C9t\u00E9/Part 1/2.txt"));
        w.dialog->answers.push_back(target);
        QVERIFY(!w.window->saveAs());
        QCOMPARE(w.dialog->shown.back().proposedName, QStringLiteral("Part 1-2.txt"));
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains(target), qPrintable(w.warnings[0]));
        w.dialog->answers.push_back(std::nullopt);
        QVERIFY(!w.window->saveAs());
        QCOMPARE(w.window->documentPath(), w.path);
        QCOMPARE(w.window->baseName(), QStringLiteral("doc"));
        QCOMPARE(w.window->workingFolder(), w.dir.path());
        QVERIFY(w.window->save());
        QCOMPARE(readFile(w.path), QByteArray("Part 1/2\r\nF\r\nold\r\n"));

        // In a folder that takes no new file, the writable document is written in place.
        w.text()->setPlainText(QStringLiteral("new"));
        bool saved = false;
        {
            const ReadOnly locked(w.dir.path());
            if (!locked.engaged()) {
                QSKIP("no way to make a folder read-only here");
            }
            QVERIFY(!QFile(w.dir.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly));
            saved = w.window->save();
        }
        QVERIFY2(saved, qPrintable(w.warnings.join(QLatin1Char('\n'))));
        QCOMPARE(readFile(w.path), QByteArray("Part 1/2\r\nF\r\nnew\r\n"));
        QCOMPARE(QDir(w.dir.path()).entryList(QDir::Files), QStringList{"doc.txt"});
    }

    // A named pipe or a device is refused before anything changes (a folder is refused by
    // the same check in the reader).
    void onlyRegularFilesAreRead() {
        OpenDocument w;
        const QString pipe = w.dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        w.open(pipe);
        w.import(QStringLiteral("/dev/null"));
        QCOMPARE(w.warnings.size(), 2);
        QVERIFY2(w.warnings[0].contains(pipe) && w.warnings[1].contains("/dev/null") &&
                     w.warnings.join(u'\n').count("not a regular file") == 2,
                 qPrintable(w.warnings.join(u'\n')));
        QCOMPARE(w.window->documentPath(), w.path);
        QCOMPARE(w.shownText(), QStringLiteral("old"));
    }

    // Qt's dialog offers text files and all files, and opens a name without extension.
    void openDialogsOfferAnyFile() {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("notes")), "x"));
        QtFileDialog dialog;
        QStringList filters;
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(shown);
            filters = shown->nameFilters();
            shown->selectFile(QStringLiteral("notes"));
            static_cast<QDialog*>(shown)->accept();
        });
        const std::optional<QString> chosen =
            dialog.chooseOpen(QStringLiteral("Open"), dir.path(), corvane::kTextFileFilters);
        QCOMPARE(filters, (QStringList{QStringLiteral("Text files (*.txt)"),
                                       QStringLiteral("All files (*)")}));
        QCOMPARE(chosen, QDir::toNativeSeparators(dir.filePath(QStringLiteral("notes"))));
    }

    // A long pasted line, held in joined blocks, saves as one line: a line break typed in it
    // is the one CR LF, characters the file cannot hold become one "?" each where they stand,
    // and the size counter counts the file's bytes.
    void longLineSavesAsOneLine() {
        OpenDocument w;
        QString line(kLongParagraph + 5000, QLatin1Char('y'));
        const qsizetype join = corvane::kDisplayBlock;
        line[join - 1] = u'\u4E2D';
        line[join] = u'\u4E2D';
        line.replace(2 * join - 1, 2, QStringLiteral("\U0001F600"));
        QApplication::clipboard()->setText(line);
        w.text()->selectAll();
        w.text()->paste();
        QVERIFY(w.text()->blockCount() > 2);
        const qsizetype breakAt = 2 * join + 100;
        QTextCursor cursor = w.text()->textCursor();
        cursor.setPosition(int(w.text()->documentSpans({{breakAt, 0}}).constFirst().position));
        w.text()->setTextCursor(cursor);
        QTest::keyClick(w.text(), Qt::Key_Return);
        const QByteArray saved = QByteArray::fromStdString(
            corvane::bytesFromEditor(QString(line).insert(breakAt, QChar::ParagraphSeparator)));
        QCOMPARE(saved.count("\r\n"), 1);
        QVERIFY(w.window->save());
        QCOMPARE(w.size(), QString::number(saved.size()));
        QCOMPARE(readFile(w.path), "P\r\nF\r\n" + saved + "\r\n");
        QCOMPARE(w.shownText(), QString::fromLatin1(saved).replace(QStringLiteral("\r\n"), "\n"));
    }
};

QTEST_MAIN(TextKeptTest)
#include "text_kept_test.moc"
