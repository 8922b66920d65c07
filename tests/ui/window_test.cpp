// The main window: its start state, the text-size counter, the name limits, the focus
// order, the shortcuts and the busy state; the About window, how it opens and closes.

#include "about_dialog.h"
#include "files.h"
#include "window_fixture.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>
#include <vector>

using corvane::AboutDialog;
using corvane::BusyState;
using corvane::Hourglass;
using corvane::MainWindow;
using corvane::test::isReady;
using corvane::test::Window;
using namespace corvane::objectName;

namespace {

AboutDialog* openAbout(Window& w) {
    w.field<QAction>(kAboutAction)->trigger();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<AboutDialog*>(top); about && about->isVisible()) {
            return about;
        }
    }
    return nullptr;
}

template <typename T> T* part(QWidget* about, const char* name) {
    return about->findChild<T*>(QLatin1String(name));
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startState() {
        Window w(QStringLiteral("/opt/corvane"));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Corvane[*]"));
        QVERIFY(!w.window->isWindowModified());
        QCOMPARE(w.shownText(), QString());
        QCOMPARE(w.line(kProgramName)->text(), QStringLiteral("Notitle"));
        QCOMPARE(w.line(kCalculatorFileName)->text(), QStringLiteral("notitle"));
        for (const char* result : {kScreenCount, kTextSize, kProgramSize}) {
            QVERIFY2(w.line(result)->text().isEmpty(), result);
            QVERIFY2(w.line(result)->isReadOnly(), result);
        }
        QCOMPARE(w.window->documentPath(), QString());
        QCOMPARE(w.window->baseName(), QString());
        QCOMPARE(w.window->workingFolder(), QStringLiteral("/opt/corvane"));
        QCOMPARE(QApplication::focusWidget(), w.text());
        QVERIFY(isReady(*w.window));
        QVERIFY(!(w.window->windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
        QVERIFY(!w.window->windowIcon().isNull());
        QCOMPARE(w.text()->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(w.text()->font().pointSizeF(), 9.75);
    }

    // It opens with the original controls' 316 pixels and the status line's 19 under them. A
    // larger window gives its room to the text box; the fields keep their column at the right
    // and the status line stays at the bottom. It never gets smaller than it opened.
    void resizing_data() {
        QTest::addColumn<QSize>("grow");
        QTest::addColumn<QSize>("expectedGrowth");
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
            } else if (control->objectName() == QLatin1String(kStatusLine)) {
                QCOMPARE(now, was.translated(0, dy).adjusted(0, 0, dx, 0));
            } else {
                QCOMPARE(now, was.translated(dx, 0));
                QVERIFY(now.left() >= w.text()->geometry().right());
            }
        }
    }

    // The first dropped file opens here, after the question about unsaved changes; each
    // further one in a window of its own, each a step down and to the right of the last.
    void droppingFiles_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("three files, unsaved text discarded") << 3 << QMessageBox::Discard;
        QTest::newRow("two files, unsaved text kept") << 2 << QMessageBox::Cancel;
    }

    void droppingFiles() {
        QFETCH(int, count);
        QFETCH(QMessageBox::StandardButton, answer);
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
        QTest::keyClicks(w.text(), QStringLiteral("typed"));
        w.answers.push_back(answer);
        QMimeData data;
        data.setUrls(urls);
        QVERIFY(corvane::test::drop(w.window.get(), data));
        QCOMPARE(w.questions.size(), 1);
        QCOMPARE(w.shownText(), answer == QMessageBox::Discard ? QStringLiteral("Text 1")
                                                               : QStringLiteral("typed"));
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

    // The counter counts a break as the file's CR LF; Shift+Enter makes a break too.
    void counter() {
        Window w;
        const std::pair<QString, QString> rows[] = {
            {"a", "1"}, {"ab\ncd", "6"}, {"ab\rcd", "6"}, {"\n\n", "4"}};
        for (const auto& [typed, expected] : rows) {
            for (const QChar c : typed) {
                if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                    QTest::keyClick(w.text(), Qt::Key_Return,
                                    c == QLatin1Char('\r') ? Qt::ShiftModifier : Qt::NoModifier);
                } else {
                    QTest::keyClicks(w.text(), QString(c));
                }
            }
            QCOMPARE(w.size(), expected);
            QVERIFY(!w.shownText().contains(QChar::LineSeparator));
            QTest::keyClick(w.text(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(w.text(), Qt::Key_Delete);
            QCOMPARE(w.size(), QStringLiteral("0"));
        }
    }

    void typedNamesStopAtTheirLimits() {
        Window w;
        for (const auto& [field, limit] :
             {std::pair{kProgramName, 20}, std::pair{kCalculatorFileName, 8}}) {
            QLineEdit* edit = w.line(field);
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
            QCOMPARE(edit->text(), QStringLiteral("abcdefghijklmnopqrstuvwxyz").left(limit));
        }
    }

    void tabMovesFocusInOrder() {
        Window w;
        QTest::keyClicks(w.text(), QStringLiteral("x"));
        for (const char* next :
             {kScreenCount, kTextSize, kProgramSize, kProgramName, kCalculatorFileName, kText}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
        }
        QCOMPARE(w.shownText(), QStringLiteral("x"));
    }

    void shortcutsReachTheirCommands_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialogTitle");
        QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N) << kNewAction << "";
        QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O) << kOpenAction
                                << "Open a text file (with my header)";
        QTest::newRow("Ctrl+I") << QKeySequence(Qt::CTRL | Qt::Key_I) << kImportAction
                                << "Import a text file";
        QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S) << kSaveAction
                                << "Save text file";
        // A new document is saved before it is built: Save As asks for its file first.
        QTest::newRow("F9") << QKeySequence(Qt::Key_F9) << kCompileAction << "Save text file";
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
        if (action == QLatin1String(kNewAction)) {
            QCOMPARE(w.shownText(), QString());
            QCOMPARE(w.size(), QStringLiteral("0"));
        }
        QVERIFY(isReady(*w.window));
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
        }
        QVERIFY(isReady(*w.window));
    }

    // The two long captions are shown whole in their labels.
    void labelsShowTheirWholeCaption() {
        Window w;
        for (const char* label : {kCalculatorFileNameLabel, kProgramSizeLabel}) {
            const auto* shown = w.field<QLabel>(label);
            QVERIFY2(shown, label);
            const QFontMetrics metrics(shown->font());
            QVERIFY2(metrics.horizontalAdvance(shown->text()) <= shown->contentsRect().width(),
                     qPrintable(shown->text()));
            QVERIFY(metrics.height() <= shown->contentsRect().height());
        }
    }

    // Each way closes it and enables the window again, every time it opens; while it is open
    // the main window's shortcuts and menus do nothing. Closing the main window closes it too.
    void aboutShowsItsContentsAndClosesEveryWay() {
        Window w;
        QTest::keyClicks(w.text(), QStringLiteral("kept"));
        for (const char* how : {"click", "enter", "escape", "close", "click", "enter"}) {
            QPointer<AboutDialog> about = openAbout(w);
            QVERIFY(about);
            QVERIFY(QTest::qWaitForWindowActive(about));
            QVERIFY(!w.window->isEnabled());
            QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(kAboutOk));

            QTest::keySequence(w.window.get(), QKeySequence(Qt::CTRL | Qt::Key_N));
            w.field<QAction>(kNewAction)->trigger();
            QCOMPARE(w.shownText(), QStringLiteral("kept"));

            if (how == std::string_view("click")) {
                QTest::mouseClick(part<QPushButton>(about, kAboutOk), Qt::LeftButton);
            } else if (how == std::string_view("enter")) {
                QTest::keyClick(about, Qt::Key_Return);
            } else if (how == std::string_view("escape")) {
                QTest::keyClick(about, Qt::Key_Escape);
            } else {
                about->close();
            }
            QVERIFY2(w.window->isEnabled(), how);
            QTRY_VERIFY(about.isNull());
        }
        // Its contents, in the last opening.
        AboutDialog* about = openAbout(w);
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("A propos de l'editeur de texte"));
        QCOMPARE(about->size(), QSize(382, 194));
        QCOMPARE(part<QLabel>(about, kAboutTitle)->text(), QStringLiteral("Corvane"));
        QCOMPARE(part<QLabel>(about, kAboutVersion)->text(), QStringLiteral("Version 0.6a"));
        QVERIFY(!part<QLabel>(about, kAboutIcon)->pixmap().isNull());
        for (const char* contact : {kAboutSite, kAboutMail, kAboutIcq}) {
            auto* field = part<QLineEdit>(about, contact);
            QVERIFY2(field && field->isReadOnly() && !field->text().isEmpty(), contact);
        }
        QVERIFY(part<QPushButton>(about, kAboutOk)->isDefault());
        QVERIFY(!about->parentWidget());
        const QPointer<AboutDialog> closed = about;
        QVERIFY(w.window->close());
        QVERIFY(!w.window->isVisible());
        QTRY_VERIFY(!closed);
        QVERIFY(w.window->isEnabled());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
