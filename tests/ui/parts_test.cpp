// The window's small parts: the conversion between file bytes and the text box, the
// chosen file's folder, the nesting of busy indications and the text box's long paragraphs.

#include "busy_state.h"
#include "chosen_file.h"
#include "editor_text.h"
#include "text_box.h"
#include "text_loader.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

using namespace corvane;

namespace {

// A paragraph long enough to be held in several joined blocks, no two neighbours alike.
QString longParagraph() {
    QString text;
    for (qsizetype i = 0; i < kLongParagraph + 5000; ++i) {
        text += QChar(char16_t(u'a' + i % 26));
    }
    return text;
}

// A shown box holding longParagraph(), pasted, with the cursor at `position`.
struct BoxWithLongParagraph {
    TextBox box;
    const QString text = longParagraph();
    explicit BoxWithLongParagraph(int position) {
        box.show();
        QApplication::clipboard()->setText(text);
        box.paste();
        QTextCursor cursor = box.textCursor();
        cursor.setPosition(position);
        box.setTextCursor(cursor);
    }
};

// Where a join lies in the document: its first block ends there, and the next one starts
// one further.
constexpr int kJoin = int(kDisplayBlock);

} // namespace

class PartsTest : public QObject {
    Q_OBJECT

  private slots:
    // File bytes as the box shows them and back: the code page both ways, CR LF between
    // paragraphs. A line separator is a break too; a character outside the code page is "?".
    void editorTextRoundTrip() {
        const std::pair<QByteArray, QString> rows[] = {
            {"", ""},
            {"Hello", "Hello"},
            {"\x80\x9F\xE9\xFF", QStringLiteral("\u20AC\u0178\u00E9\u00FF")},
            {QByteArray("\x01\t\x1F", 3), QStringLiteral("\u0001\t\u001F")},
            {"a\r\nb", "a\nb"},
            {"a\r\n", "a\n"},
        };
        for (const auto& [bytes, shown] : rows) {
            QCOMPARE(textForEditor(bytes.toStdString()), shown);
            if (!bytes.contains('\n')) {
                QCOMPARE(lineForEditor(bytes.toStdString()), shown);
            }
            const QString paragraphs = QString(shown).replace('\n', QChar::ParagraphSeparator);
            QCOMPARE(QByteArray::fromStdString(bytesFromEditor(paragraphs)), bytes);
        }
        QCOMPARE(bytesFromEditor(QStringLiteral("a\u2028b")), "a\r\nb");
        QCOMPARE(bytesFromEditor(QStringLiteral("\u4E2D")), "?");
    }

    void chosenFile() {
        const std::pair<QString, QString> rows[] = {{"C:\\notes\\story.txt", "C:\\notes"},
                                                    {"C:\\a.txt", "C:"},
                                                    {"/a.txt", ""},
                                                    {"a.txt", "<none>"}};
        for (const auto& [path, folder] : rows) {
            QCOMPARE(chosenFolder(path).value_or(QStringLiteral("<none>")), folder);
        }
    }

    // Nested indications: the window comes back only when the outermost ends, and each
    // application-wide hourglass is removed by the indication that set it. One that does not
    // disable the window (reading a file) only shows the hourglass.
    void busyStatesNest() {
        QWidget window;
        BusyIndicator indicator(window);
        const auto state = [&] {
            return QStringList{window.isEnabled() ? "enabled" : "disabled",
                               indicator.busy() ? "busy" : "idle",
                               window.cursor().shape() == Qt::WaitCursor ? "hourglass" : "arrow",
                               QApplication::overrideCursor() ? "everywhere" : "here"}
                .join(u' ');
        };
        {
            const BusyState open(indicator, Hourglass::Window, false);
            QCOMPARE(state(), "enabled idle hourglass here");
        }
        QCOMPARE(state(), "enabled idle arrow here");
        {
            const BusyState build(indicator, Hourglass::Window, true);
            QCOMPARE(state(), "disabled busy hourglass here");
            {
                const BusyState save(indicator, Hourglass::Application, true);
                {
                    const BusyState saveAs(indicator, Hourglass::Application, true);
                    QCOMPARE(state(), "disabled busy hourglass everywhere");
                }
                QCOMPARE(state(), "disabled busy hourglass everywhere");
            }
            QCOMPARE(state(), "disabled busy hourglass here");
        }
        QCOMPARE(state(), "enabled idle arrow here");
    }

    // A paragraph too long to wrap at words in reasonable time switches the box to breaking
    // anywhere, whether it is read from a file or pasted; a new text wraps at words again,
    // and so does the box when the paste is undone.
    void veryLongParagraphsBreakAnywhere() {
        TextBox box;
        const QString longLine(kLongParagraph + 1, QLatin1Char('x'));
        for (const QString& line : {QStringLiteral("short"), longLine, QStringLiteral("short")}) {
            TextLoader(box).appendLine(line);
            QCOMPARE(box.wordWrapMode(), line == longLine
                                             ? QTextOption::WrapAnywhere
                                             : QTextOption::WrapAtWordBoundaryOrAnywhere);
        }
        const QString loaded = box.text();
        QApplication::clipboard()->setText(QStringLiteral("a\n") + longLine);
        box.paste();
        QCOMPARE(box.wordWrapMode(), QTextOption::WrapAnywhere);
        QVERIFY(box.text().endsWith(longLine));
        box.undo();
        QTRY_COMPARE(box.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(box.text(), loaded);
    }

    // The blocks of a long paragraph are one paragraph to every edit: Backspace, Delete and
    // the arrow keys act on the characters beside a join, and a line break in a joined block
    // makes a paragraph.
    void joinsAreNoText_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expected");
        const QString text = longParagraph();
        const QString separator(QChar::ParagraphSeparator);
        const int middle = kJoin + 1 + kJoin / 2;
        const int middleOfText = kJoin + kJoin / 2;
        QTest::newRow("backspace after a join") << kJoin + 1 << QKeySequence(Qt::Key_Backspace)
                                                << "" << QString(text).remove(kJoin - 1, 1);
        QTest::newRow("delete before a join")
            << kJoin << QKeySequence(Qt::Key_Delete) << "" << QString(text).remove(kJoin, 1);
        QTest::newRow("right over a join")
            << kJoin - 1 << QKeySequence(Qt::Key_Right, Qt::Key_Right, Qt::Key_X) << ""
            << QString(text).insert(kJoin + 1, u'x');
        QTest::newRow("left over a join")
            << kJoin + 2 << QKeySequence(Qt::Key_Left, Qt::Key_Left, Qt::Key_X) << ""
            << QString(text).insert(kJoin - 1, u'x');
        QTest::newRow("enter in a joined block") << middle << QKeySequence(Qt::Key_Return) << ""
                                                 << QString(text).insert(middleOfText, separator);
        QTest::newRow("shift+enter in a joined block")
            << middle << QKeySequence(Qt::SHIFT | Qt::Key_Return) << ""
            << QString(text).insert(middleOfText, separator);
        QTest::newRow("line break pasted in a joined block")
            << middle << QKeySequence(QKeySequence::Paste) << "x\ny"
            << QString(text).insert(middleOfText, QStringLiteral("x\u2029y"));
    }

    void joinsAreNoText() {
        QFETCH(int, position);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        BoxWithLongParagraph box(position);
        QVERIFY(box.box.blockCount() > 1);
        QApplication::clipboard()->setText(pasted);
        QTest::keySequence(&box.box, keys);
        QCOMPARE(box.box.text(), expected);
        // One undo step takes back the edit.
        QTest::keySequence(&box.box, QKeySequence::Undo);
        QCOMPARE(box.box.text(), box.text);
    }

    // Pasted text is composed: a letter and its combining accent become the accented letter,
    // which the code page holds.
    void pastedTextIsComposed() {
        TextBox box;
        box.show();
        QApplication::clipboard()->setText(QStringLiteral("Cafe\u0301 A\u030A \u201Cx\u201D"));
        box.paste();
        QCOMPARE(box.text(), QStringLiteral("Caf\u00E9 \u00C5 \u201Cx\u201D"));
    }

    // Copying, cutting or dragging a selection over a join gives no line break.
    void copyingLeavesJoinsOut() {
        BoxWithLongParagraph box(kJoin - 10);
        QTextCursor cursor = box.box.textCursor();
        cursor.setPosition(kJoin + 11, QTextCursor::KeepAnchor);
        box.box.setTextCursor(cursor);
        box.box.copy();
        QCOMPARE(QApplication::clipboard()->text(), box.text.mid(kJoin - 10, 20));
    }

    // A long paragraph set in one block is split once typing pauses, and the blocks of one
    // that became short are joined again, neither as a step of its own to undo.
    void blocksFollowTheParagraphsLength() {
        TextBox box;
        const QString text = longParagraph();
        box.setPlainText(text);
        QTRY_VERIFY(box.blockCount() > 1);
        QCOMPARE(box.text(), text);
        QVERIFY(!box.document()->isUndoAvailable());
        QCOMPARE(box.wordWrapMode(), QTextOption::WrapAnywhere);
        QTextCursor cursor(box.document());
        cursor.setPosition(100);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        QTRY_COMPARE(box.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(box.blockCount(), 1);
        box.undo();
        QCOMPARE(box.text(), text);
        QVERIFY(!box.document()->isUndoAvailable());
    }
};

QTEST_MAIN(PartsTest)
#include "parts_test.moc"
