// The main window: its start state, the text-size counter, the name limits, the focus
// order, the shortcuts and the busy state; the About window, how it opens and closes.

#include "about_dialog.h"
#include "window_fixture.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
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

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startStateAndTheCounter() {
        Window w(QStringLiteral("/opt/corvane"));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Corvane[*]"));
        QVERIFY(!w.window->isWindowModified());
        QCOMPARE(w.shownText(), QString());
        QCOMPARE(w.line(kProgramName)->text(), QStringLiteral("Notitle"));
        QCOMPARE(w.line(kCalculatorFileName)->text(), QStringLiteral("notitle"));
        for (const char* result : {kScreenCount, kTextSize, kProgramSize}) {
            QVERIFY2(w.line(result)->text().isEmpty() && w.line(result)->isReadOnly(), result);
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
        // The two long captions are shown whole in their labels.
        for (const char* label : {kCalculatorFileNameLabel, kProgramSizeLabel}) {
            const auto* shown = w.field<QLabel>(label);
            QVERIFY2(shown, label);
            const QFontMetrics metrics(shown->font());
            QVERIFY2(metrics.horizontalAdvance(shown->text()) <= shown->contentsRect().width(),
                     qPrintable(shown->text()));
            QVERIFY(metrics.height() <= shown->contentsRect().height());
        }
        // The counter counts a break as the file's CR LF; Shift+Enter makes a break too.
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

    // It opens with the original controls' 316 pixels and the status line's 19 under them. A
    // larger window gives its room to the text box; the fields keep their column at the right
    // and the status line stays at the bottom. It never gets smaller than it opened.
    void resizing() {
        Window w;
        QWidget* client = w.window->centralWidget();
        const QSize opened = w.window->size();
        std::vector<std::pair<QWidget*, QRect>> opening;
        for (QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            opening.emplace_back(control, control->geometry());
        }
        // Larger by both sides, then smaller than it opened.
        for (const auto& [grow, growth] : {std::pair{QSize(300, 200), QSize(300, 200)},
                                           std::pair{QSize(-50, -40), QSize(0, 0)}}) {
            w.window->resize(opened + grow);
            QCOMPARE(client->size(), QSize(359, 335) + growth);
            for (const auto& [control, was] : opening) {
                const QRect now = control->geometry();
                if (control == w.text()) {
                    QCOMPARE(now, was.adjusted(0, 0, growth.width(), growth.height()));
                } else if (control->objectName() == QLatin1String(kStatusLine)) {
                    QCOMPARE(now,
                             was.translated(0, growth.height()).adjusted(0, 0, growth.width(), 0));
                } else {
                    QCOMPARE(now, was.translated(growth.width(), 0));
                    QVERIFY(now.left() >= w.text()->geometry().right());
                }
            }
        }
    }

    // The first dropped file opens here, after the question about unsaved changes; each
    // further one in a window of its own, each a step down and to the right of the last.
    void droppingFiles() {
        for (const auto& [count, answer] :
             {std::pair{3, QMessageBox::Discard}, std::pair{2, QMessageBox::Cancel}}) {
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
                QVERIFY(places[std::size_t(i)].x() > previous.x() &&
                        places[std::size_t(i)].y() > previous.y());
                previous = places[std::size_t(i)];
            }
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

    // Names typed or read from a file stop at their limits; Tab moves through the fields in
    // order.
    void namesStopAtTheirLimitsAndTabMovesInOrder() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.txt"));
        QVERIFY(
            corvane::test::writeFile(path, "ABCDEFGHIJKLMNOPQRSTUVWXY\r\nabcdefghijkl\r\nx\r\n"));
        Window w;
        w.open(path);
        QCOMPARE(w.line(kProgramName)->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QCOMPARE(w.line(kCalculatorFileName)->text(), QStringLiteral("abcdefgh"));
        for (const auto& [field, limit] :
             {std::pair{kProgramName, 20}, std::pair{kCalculatorFileName, 8}}) {
            QLineEdit* edit = w.line(field);
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
            QCOMPARE(edit->text(), QStringLiteral("abcdefghijklmnopqrstuvwxyz").left(limit));
        }
        w.text()->setFocus();
        for (const char* next :
             {kScreenCount, kTextSize, kProgramSize, kProgramName, kCalculatorFileName, kText}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
        }
        QCOMPARE(w.shownText(), QStringLiteral("x"));
    }

    // Each shortcut reaches its command, and none does while the window is busy. A new
    // document is saved before it is built: F9 asks for its file first. Quit discards here.
    void shortcutsReachTheirCommands() {
        const std::tuple<QKeySequence, const char*, QString> rows[] = {
            {Qt::CTRL | Qt::Key_N, kNewAction, ""},
            {Qt::CTRL | Qt::Key_O, kOpenAction, "Open a text file (with my header)"},
            {Qt::CTRL | Qt::Key_I, kImportAction, "Import a text file"},
            {Qt::CTRL | Qt::Key_S, kSaveAction, "Save text file"},
            {Qt::Key_F9, kCompileAction, "Save text file"},
            {Qt::CTRL | Qt::Key_Q, kQuitAction, ""}};
        for (const auto& [keys, action, dialogTitle] : rows) {
            Window w;
            QTest::keyClicks(w.text(), QStringLiteral("kept"));
            auto* menuItem = w.field<QAction>(action);
            QVERIFY2(menuItem && menuItem->shortcut() == keys, action);
            {
                const BusyState busy(w.window->busyIndicator(), Hourglass::Window, true);
                QTest::keySequence(w.window.get(), keys);
                menuItem->trigger();
                QVERIFY(w.dialog->shown.empty());
                QCOMPARE(w.shownText(), QStringLiteral("kept"));
            }
            QTest::keySequence(w.text(), keys);
            QCOMPARE(w.dialog->shown.empty() ? QString() : w.dialog->shown[0].title, dialogTitle);
            QCOMPARE(w.dialog->shown.size(), std::size_t(dialogTitle.isEmpty() ? 0 : 1));
            if (action == kNewAction) {
                QCOMPARE(w.shownText(), QString());
                QCOMPARE(w.size(), QStringLiteral("0"));
            }
            QCOMPARE(w.window->isVisible(), action != kQuitAction);
            QVERIFY(isReady(*w.window));
        }
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
                QTest::mouseClick(about->findChild<QPushButton*>(kAboutOk), Qt::LeftButton);
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
        QCOMPARE(about->findChild<QLabel*>(kAboutTitle)->text(), QStringLiteral("Corvane"));
        QCOMPARE(about->findChild<QLabel*>(kAboutVersion)->text(), QStringLiteral("Version 0.6a"));
        QVERIFY(!about->findChild<QLabel*>(kAboutIcon)->pixmap().isNull());
        for (const char* contact : {kAboutSite, kAboutMail, kAboutIcq}) {
            auto* field = about->findChild<QLineEdit*>(contact);
            QVERIFY2(field && field->isReadOnly() && !field->text().isEmpty(), contact);
        }
        QVERIFY(about->findChild<QPushButton*>(kAboutOk)->isDefault());
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
