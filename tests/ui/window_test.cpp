// The main window: its start state, the text-size counter, the name limits, the focus
// order, the shortcuts and the busy state.

#include "files.h"
#include "source_writer.h"
#include "window_fixture.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>
#include <vector>

using corvane::BusyState;
using corvane::Hourglass;
using corvane::MainWindow;
using corvane::test::noHourglass;
using corvane::test::Window;

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startState() {
        Window w(QStringLiteral("/opt/corvane"));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Corvane[*]"));
        QVERIFY(!w.window->isWindowModified());
        QCOMPARE(w.shownText(), QString());
        QCOMPARE(w.line(corvane::objectName::kProgramName)->text(), QStringLiteral("Notitle"));
        QCOMPARE(w.line(corvane::objectName::kCalculatorFileName)->text(),
                 QStringLiteral("notitle"));
        for (const char* result :
             {corvane::objectName::kScreenCount, corvane::objectName::kTextSize,
              corvane::objectName::kProgramSize}) {
            QVERIFY2(w.line(result)->text().isEmpty(), result);
            QVERIFY2(w.line(result)->isReadOnly(), result);
        }
        QCOMPARE(w.window->documentPath(), QString());
        QCOMPARE(w.window->baseName(), QString());
        QCOMPARE(w.window->workingFolder(), QStringLiteral("/opt/corvane"));
        QCOMPARE(QApplication::focusWidget(), w.text());
        QVERIFY(w.window->isEnabled());
        QVERIFY(noHourglass(*w.window));
    }

    void layout() {
        Window w;
        // The original controls' 316 pixels and the status line's 19 under them.
        QCOMPARE(w.window->centralWidget()->size(), QSize(359, 335));
        QCOMPARE(w.window->size(), w.window->minimumSize());
        QVERIFY(!(w.window->windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
        QVERIFY(!w.window->windowIcon().isNull());
        QCOMPARE(w.text()->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(w.text()->font().pointSizeF(), 9.75);
    }

    // A larger window gives its room to the text box; the fields keep their column at the
    // right and the status line stays at the bottom. It never gets smaller than it opened.
    void resizing_data() {
        QTest::addColumn<QSize>("grow");
        QTest::addColumn<QSize>("expectedGrowth");
        QTest::newRow("wider") << QSize(200, 0) << QSize(200, 0);
        QTest::newRow("taller") << QSize(0, 150) << QSize(0, 150);
        QTest::newRow("both") << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("smaller than it opened") << QSize(-50, -40) << QSize(0, 0);
    }

    void resizing() {
        QFETCH(QSize, grow);
        QFETCH(QSize, expectedGrowth);
        Window w;
        QWidget* client = w.window->centralWidget();
        std::vector<std::pair<QWidget*, QRect>> opening;
        for (QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            opening.emplace_back(control, control->geometry());
        }
        w.window->resize(w.window->size() + grow);
        QCOMPARE(client->size(), QSize(359, 335) + expectedGrowth);
        const int dx = expectedGrowth.width();
        const int dy = expectedGrowth.height();
        for (const auto& [control, was] : opening) {
            const QRect now = control->geometry();
            if (control == w.text()) {
                QCOMPARE(now, was.adjusted(0, 0, dx, dy));
            } else if (control->objectName() == QLatin1String(corvane::objectName::kStatusLine)) {
                QCOMPARE(now, was.translated(0, dy).adjusted(0, 0, dx, 0));
            } else {
                QCOMPARE(now, was.translated(dx, 0));
                QVERIFY(now.left() >= w.text()->geometry().right());
            }
        }
    }

    void maximising() {
        Window w;
        w.window->showMaximized();
        QTRY_VERIFY(w.window->width() > 359);
        QVERIFY(w.text()->width() > w.window->width() / 2);
    }

    // The first dropped file opens here, after the question about unsaved changes; each
    // further one in a window of its own, each a step down and to the right of the last.
    void droppingFiles_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("firstOpensHere");
        QTest::newRow("one file") << 1 << false << QMessageBox::Discard << true;
        QTest::newRow("three files") << 3 << false << QMessageBox::Discard << true;
        QTest::newRow("unsaved, discarded") << 2 << true << QMessageBox::Discard << true;
        QTest::newRow("unsaved, cancelled") << 2 << true << QMessageBox::Cancel << false;
    }

    void droppingFiles() {
        QFETCH(int, count);
        QFETCH(bool, unsaved);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, firstOpensHere);
        QTemporaryDir folder;
        QList<QUrl> urls;
        for (int i = 1; i <= count; ++i) {
            const QString path = folder.filePath(QStringLiteral("story%1.txt").arg(i));
            QVERIFY(corvane::test::writeFile(
                path, QStringLiteral("Story\r\nstory\r\nText %1\r\n").arg(i).toLatin1()));
            urls << QUrl::fromLocalFile(path);
        }
        Window w;
        QStringList opened;
        std::vector<QPoint> places;
        w.window->setWindowOpener([&](const QString& path, QPoint at) {
            opened << path;
            places.push_back(at);
        });
        if (unsaved) {
            QTest::keyClicks(w.text(), QStringLiteral("typed"));
        }
        w.answers.push_back(answer);
        QMimeData data;
        data.setUrls(urls);
        const QPoint where = w.window->rect().center();
        QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.window.get(), &drop);
        QCOMPARE(w.questions.size(), unsaved ? 1 : 0);
        QCOMPARE(w.shownText(),
                 firstOpensHere ? QStringLiteral("Text 1") : QStringLiteral("typed"));
        QCOMPARE(opened.size(), count - 1);
        QPoint previous = w.window->frameGeometry().topLeft();
        for (int i = 0; i < opened.size(); ++i) {
            QCOMPARE(QFileInfo(opened[i]).fileName(), QStringLiteral("story%1.txt").arg(i + 2));
            QVERIFY(places[std::size_t(i)].x() > previous.x());
            QVERIFY(places[std::size_t(i)].y() > previous.y());
            previous = places[std::size_t(i)];
        }
    }

    // A window opened by another stands where it was told, and tells the next one a place
    // offset from its own, on the screen.
    void aFurtherWindowIsOffset() {
        Window first;
        const QPoint next = first.window->furtherWindowPosition();
        QVERIFY(next != first.window->frameGeometry().topLeft());
        qputenv(MainWindow::kPositionVariable,
                QStringLiteral("%1,%2").arg(next.x()).arg(next.y()).toLatin1());
        Window second;
        QVERIFY(!qEnvironmentVariableIsSet(MainWindow::kPositionVariable));
        QCOMPARE(second.window->frameGeometry().topLeft(), next);
        QVERIFY(second.window->screen()->availableGeometry().contains(
            second.window->furtherWindowPosition()));
    }

    void counter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("clearAfter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one character") << "a" << false << "1";
        QTest::newRow("ab, break, cd") << "ab\ncd" << false << "6";
        QTest::newRow("Shift+Enter is a break too") << "ab\rcd" << false << "6";
        QTest::newRow("empty lines") << "\n\n" << false << "4";
        QTest::newRow("everything deleted") << "abc\nd" << true << "0";
    }

    void counter() {
        QFETCH(QString, typed);
        QFETCH(bool, clearAfter);
        QFETCH(QString, expected);
        Window w;
        for (const QChar c : typed) {
            if (c == QLatin1Char('\n')) {
                QTest::keyClick(w.text(), Qt::Key_Return);
            } else if (c == QLatin1Char('\r')) {
                QTest::keyClick(w.text(), Qt::Key_Return, Qt::ShiftModifier);
            } else {
                QTest::keyClicks(w.text(), QString(c));
            }
        }
        if (clearAfter) {
            QTest::keyClick(w.text(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(w.text(), Qt::Key_Delete);
        }
        QCOMPARE(w.size(), expected);
        QVERIFY(!w.shownText().contains(QChar::LineSeparator));
    }

    void newEmptiesTextAndCounter() {
        Window w;
        QTest::keyClicks(w.text(), QStringLiteral("hello"));
        QCOMPARE(w.size(), QStringLiteral("5"));
        w.window->newFile();
        QCOMPARE(w.shownText(), QString());
        QCOMPARE(w.size(), QStringLiteral("0"));
        QCOMPARE(w.line(corvane::objectName::kProgramName)->text(), QStringLiteral("Notitle"));
    }

    void typedNamesStopAtTheirLimits_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("limit");
        QTest::newRow("program name") << corvane::objectName::kProgramName << 20;
        QTest::newRow("calculator file name") << corvane::objectName::kCalculatorFileName << 8;
    }

    void typedNamesStopAtTheirLimits() {
        QFETCH(QString, field);
        QFETCH(int, limit);
        Window w;
        QLineEdit* edit = w.line(field.toLatin1().constData());
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QCOMPARE(edit->text(), QStringLiteral("abcdefghijklmnopqrstuvwxyz").left(limit));
    }

    void tabMovesFocusInOrder() {
        Window w;
        QTest::keyClicks(w.text(), QStringLiteral("x"));
        const QStringList order{QLatin1String(corvane::objectName::kScreenCount),
                                QLatin1String(corvane::objectName::kTextSize),
                                QLatin1String(corvane::objectName::kProgramSize),
                                QLatin1String(corvane::objectName::kProgramName),
                                QLatin1String(corvane::objectName::kCalculatorFileName),
                                QLatin1String(corvane::objectName::kText)};
        for (const QString& next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
        QCOMPARE(w.shownText(), QStringLiteral("x"));
    }

    void shortcutsReachTheirCommands_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialogTitle");
        QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N)
                                << corvane::objectName::kNewAction << "";
        QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O)
                                << corvane::objectName::kOpenAction
                                << "Open a text file (with my header)";
        QTest::newRow("Ctrl+I") << QKeySequence(Qt::CTRL | Qt::Key_I)
                                << corvane::objectName::kImportAction << "Import a text file";
        QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S)
                                << corvane::objectName::kSaveAction << "Save text file";
        // A new document is saved before it is built: Save As asks for its file first.
        QTest::newRow("F9") << QKeySequence(Qt::Key_F9) << corvane::objectName::kCompileAction
                            << "Save text file";
    }

    void shortcutsReachTheirCommands() {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, action);
        QFETCH(QString, dialogTitle);
        Window w;
        QTest::keyClicks(w.text(), QStringLiteral("kept"));
        auto* menuItem = w.window->findChild<QAction*>(action);
        QVERIFY(menuItem);
        QCOMPARE(menuItem->shortcut(), keys);

        {
            // Busy: the window is disabled and no shortcut reaches any command.
            const BusyState busy(w.window->busyIndicator(), Hourglass::Window, true);
            QTest::keySequence(w.window.get(), keys);
            menuItem->trigger();
            QVERIFY(w.dialog->shown.empty());
            QCOMPARE(w.shownText(), QStringLiteral("kept"));
        }

        QTest::keySequence(w.text(), keys);
        if (dialogTitle.isEmpty()) {
            QVERIFY(w.dialog->shown.empty());
        } else {
            QCOMPARE(w.dialog->shown.size(), std::size_t{1});
            QCOMPARE(w.dialog->shown[0].title, dialogTitle);
        }
        if (action == QLatin1String(corvane::objectName::kNewAction)) {
            QCOMPARE(w.shownText(), QString());
        }
        QVERIFY(w.window->isEnabled());
        QVERIFY(noHourglass(*w.window));
    }

    void saveInsideABusyCommandLeavesItBusy() {
        QTemporaryDir dir;
        Window w(dir.path());
        QTest::keyClicks(w.text(), QStringLiteral("text"));
        w.dialog->answers.push_back(dir.filePath(QStringLiteral("doc.txt")));
        {
            const BusyState outer(w.window->busyIndicator(), Hourglass::Window, true);
            // Save runs Save As here: two nested indications inside the outer one.
            QVERIFY(w.window->save());
            QVERIFY(!w.window->isEnabled());
            QCOMPARE(w.window->cursor().shape(), Qt::WaitCursor);
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            QTest::keySequence(w.window.get(), QKeySequence(Qt::CTRL | Qt::Key_N));
            QCOMPARE(w.shownText(), QStringLiteral("text"));
        }
        QVERIFY(w.window->isEnabled());
        QVERIFY(noHourglass(*w.window));
    }

    // Nothing changed since the start: Ctrl+Q closes at once, without a question.
    void quitWithNothingChangedClosesAtOnce() {
        Window w;
        QTest::keySequence(w.text(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(!w.window->isVisible());
        QVERIFY(w.questions.isEmpty());
        QVERIFY(w.dialog->shown.empty());
        QVERIFY(w.warnings.isEmpty());
    }

    // The two long captions are shown whole in their labels.
    void labelsShowTheirWholeCaption_data() {
        QTest::addColumn<QString>("label");
        QTest::newRow("calculator file name") << corvane::objectName::kCalculatorFileNameLabel;
        QTest::newRow("file's size") << corvane::objectName::kProgramSizeLabel;
    }

    void labelsShowTheirWholeCaption() {
        QFETCH(QString, label);
        Window w;
        const auto* shown = w.window->findChild<QLabel*>(label);
        QVERIFY(shown);
        const QFontMetrics metrics(shown->font());
        QVERIFY2(metrics.horizontalAdvance(shown->text()) <= shown->contentsRect().width(),
                 qPrintable(QStringLiteral("%1 needs %2 pixels, has %3")
                                .arg(shown->text())
                                .arg(metrics.horizontalAdvance(shown->text()))
                                .arg(shown->contentsRect().width())));
        QVERIFY(metrics.height() <= shown->contentsRect().height());
    }
};

QTEST_MAIN(WindowTest)
#include "object_names.h"
#include "window_test.moc"
