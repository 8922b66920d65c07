// The preview window: its glyphs, the worked example's screen pixel for pixel, following
// the typed text, the calculator switch, paging, and saving the screens as pictures.

#include "calculator_fit.h"
#include "layout.h"
#include "preview_window.h"
#include "screen_picture.h"
#include "window_fixture.h"
#include "window_placement.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>

using corvane::CalculatorModel;
using corvane::PreviewWindow;
using corvane::test::readFile;
using corvane::test::Window;
using corvane::test::writeFile;
using namespace corvane::objectName;

namespace {

const QString kGoldenScreen =
    QStringLiteral(CORVANE_SOURCE_DIR "/tests/ui/golden/worked_example_screen.png");

// The preview of a window whose text is `text`, opened with F5 and caught up. The test
// program stops if F5 opens none.
PreviewWindow* openPreview(Window& w, const QString& text) {
    w.text()->setPlainText(text);
    QTest::keyClick(w.window.get(), Qt::Key_F5);
    auto* preview = w.window->findChild<PreviewWindow*>();
    if (preview == nullptr) {
        qFatal("F5 opened no preview");
    }
    preview->refresh();
    QApplication::setActiveWindow(preview);
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(preview);
    return preview;
}

QString numberedLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i) {
        lines << QStringLiteral("Line %1").arg(i);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

  private slots:
    // The worked example's screen pixel for pixel at the default zoom; a larger view zooms
    // by whole steps.
    void showsTheWorkedExampleAndZoomsByWholeSteps() {
        Window w;
        w.line(kProgramName)->setText(QStringLiteral("Demo"));
        PreviewWindow* preview = openPreview(
            w, QStringLiteral("Hello world\nLine two\nBye\nThe quick brown fox jumps over"));
        QCOMPARE(preview->screenCount(), 1);
        QCOMPARE(preview->titleCodes(), std::string("Demo"));
        const QImage shown = preview->picture().convertToFormat(QImage::Format_RGB32);
        if (qEnvironmentVariableIsSet("CORVANE_WRITE_GOLDEN")) {
            QVERIFY(shown.save(kGoldenScreen));
            QSKIP("golden picture written");
        }
        QCOMPARE(shown, QImage(kGoldenScreen).convertToFormat(QImage::Format_RGB32));

        QCOMPARE(preview->sizeIncrement(), QSize(96, 72));
        auto* view = preview->findChild<QWidget*>(QStringLiteral("screenView"));
        view->setFixedSize(96 * 5 + 40, 72 * 5 + 3);
        QCOMPARE(preview->zoom(), 5);
        QCOMPARE(preview->picture().size(), QSize(96 * 5, 64 * 5));
        view->setFixedSize(100, 80);
        QCOMPARE(preview->zoom(), 1);
    }

    void followsTypingWithoutWritingFiles() {
        QTemporaryDir folder;
        Window w(folder.path());
        PreviewWindow* preview = openPreview(w, numberedLines(9));
        QCOMPARE(preview->screenCount(), 1);
        QSignalSpy refreshed(preview, &PreviewWindow::refreshed);

        w.text()->moveCursor(QTextCursor::End);
        for (const char* line : {"Ten", "Eleven"}) {
            QTest::keyClick(w.text(), Qt::Key_Return);
            QTest::keyClicks(w.text(), QString::fromLatin1(line));
        }
        QCOMPARE(preview->screenCount(), 1); // not yet: it waits for a pause in the typing
        QVERIFY(refreshed.wait(1000));
        QCOMPARE(preview->screenCount(), 2);
        // It shows the screen the cursor is on, with the line just typed.
        QCOMPARE(preview->screenIndex(), 1);
        QCOMPARE(preview->screens()[1][0].codes, std::string("Eleven"));

        w.line(kProgramName)->setText(QStringLiteral("New title"));
        QVERIFY(refreshed.wait(1000));
        QCOMPARE(preview->titleCodes(), std::string("New title"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    // The reader: nine lines and a status row a screen, the whole text in parts when long,
    // each part under its own title; switching back shows the ION program again. The
    // calculator switch: each model writes a character its own way.
    void switchesToTheReaderAndBetweenTheCalculators() {
        Window w;
        w.line(kProgramName)->setText(QStringLiteral("Book"));
        PreviewWindow* preview = openPreview(w, numberedLines(1000));
        const int ionScreens = preview->screenCount();
        preview->findChild<QRadioButton*>(QStringLiteral("reader"))->click();
        QCOMPARE(preview->kind(), PreviewWindow::Kind::Reader);
        QCOMPARE(preview->screenCount(), 112); // 1000 lines, 9 a screen
        const std::vector<corvane::ReaderPart>& parts = preview->readerParts();
        QCOMPARE(parts.size(), std::size_t(1));
        QCOMPARE(preview->screens()[0].size(), std::size_t(10));
        QCOMPARE(preview->screens()[0][8].codes, std::string("Line  9"));
        QCOMPARE(preview->screens()[0][9].codes, std::string("1/112"));
        QCOMPARE(preview->titleCodes(), std::string("Book"));

        preview->setReaderPartBytes(corvane::kReaderMinimumPartBytes);
        QVERIFY(preview->readerParts().size() > 2);
        QCOMPARE(preview->screenCount(), 112);
        QTest::keyClick(preview, Qt::Key_End);
        QCOMPARE(preview->titleCodes(), "Book " + std::to_string(preview->readerParts().size()) +
                                            "/" + std::to_string(preview->readerParts().size()));
        QCOMPARE(preview->screens().back().back().codes.front(),
                 char('0' + preview->readerParts().size()));

        preview->findChild<QRadioButton*>(QStringLiteral("ionProgram"))->click();
        QCOMPARE(preview->screenCount(), ionScreens);
        QCOMPARE(preview->model(), CalculatorModel::TI83Plus);

        w.text()->setPlainText(QStringLiteral("Stra\u00DFe"));
        preview->refresh();
        QCOMPARE(preview->screens()[0][0].codes, std::string("Stra\xF4") + "e");
        const QImage plus = preview->picture();
        preview->findChild<QRadioButton*>(QStringLiteral("ti83"))->click();
        QCOMPARE(preview->model(), CalculatorModel::TI83);
        QCOMPARE(preview->screens()[0][0].codes, std::string("Stra?e"));
        QVERIFY(preview->picture() != plus);
        preview->findChild<QRadioButton*>(QStringLiteral("ti83Plus"))->click();
        QCOMPARE(preview->model(), CalculatorModel::TI83Plus);
    }

    // The TI-BASIC program's home screens: a fixed grid of cells, the colour screen in its
    // proportions; a cell shows ink exactly where the plan holds a character other than a
    // space, the status row included, on every screen reached by paging.
    void drawsTheHomeScreensOfThePlan() {
        // The cells' area: left, top, cell width and height.
        const std::tuple<const char*, QSize, QRect, QString> kinds[] = {
            {"colourHome", QSize(320, 240), QRect(4, 0, 12, 24), "4/4"},
            {"monochromeHome", QSize(96, 64), QRect(0, 0, 6, 8), "5/5"}};
        Window w;
        PreviewWindow* preview = openPreview(
            w, numberedLines(30) + QStringLiteral("\nA line long enough to be broken at a space"));
        for (const auto& [kind, screenPixels, grid, lastStatus] : kinds) {
            const int rows = screenPixels.height() / grid.height();
            const int columns = (screenPixels.width() - 2 * grid.left()) / grid.width();
            preview->findChild<QRadioButton*>(kind)->click();
            const corvane::BasicPlan& plan = preview->basicPlan();
            QCOMPARE(plan.parts.size(), std::size_t(1));
            const auto& screens = plan.parts[0].screens;
            QCOMPARE(preview->screenCount(), static_cast<int>(screens.size()));

            for (std::size_t index = 0; index < screens.size(); ++index) {
                QCOMPARE(preview->screenIndex(), static_cast<int>(index));
                const QImage picture = preview->picture().convertToFormat(QImage::Format_RGB32);
                const int z = preview->zoom();
                QCOMPARE(picture.size(), screenPixels * z);
                QCOMPARE(screens[index].size(), std::size_t(rows * columns));
                for (int cell = 0; cell < rows * columns; ++cell) {
                    const QPoint corner((grid.left() + cell % columns * grid.width()) * z,
                                        (grid.top() + cell / columns * grid.height()) * z);
                    bool inked = false;
                    for (int y = 0; y < grid.height() * z; ++y) {
                        for (int x = 0; x < grid.width() * z; ++x) {
                            inked |= picture.pixel(corner + QPoint(x, y)) == corvane::kScreenInk;
                        }
                    }
                    QVERIFY2(inked == (screens[index][std::size_t(cell)] != corvane::kBasicSpace),
                             qPrintable(QStringLiteral("%1 screen %2, cell %3")
                                            .arg(kind)
                                            .arg(index + 1)
                                            .arg(cell)));
                }
                QTest::keyClick(preview, Qt::Key_PageDown);
            }
            QCOMPARE(preview->screenIndex(), static_cast<int>(screens.size()) - 1);
            QString status;
            for (int cell = (rows - 1) * columns; cell < rows * columns; ++cell) {
                status += QChar(corvane::basicTokenCharacter(screens.back()[std::size_t(cell)]));
            }
            QCOMPARE(status.trimmed(), lastStatus);

            preview->findChild<QRadioButton*>(QStringLiteral("ionProgram"))->click();
            QCOMPARE(preview->kind(), PreviewWindow::Kind::IonProgram);
            QCOMPARE(preview->picture().size(), QSize(96, 64) * preview->zoom());
        }
    }

    // Paging by keys and buttons; the preview closes on its own keys and F5, and shows again
    // on F5 in the main window; the main window's commands work from it.
    void keysInThePreview() {
        Window w;
        PreviewWindow* preview = openPreview(w, numberedLines(25));
        // On the tests' screen it opens beside the window where both fit.
        const QRect available = w.window->screen()->availableGeometry();
        const QRect mainFrame = w.window->frameGeometry();
        QVERIFY(preview->frameGeometry().left() >= available.left());
        QVERIFY(!preview->frameGeometry().intersects(mainFrame) ||
                mainFrame.width() + preview->frameGeometry().width() + 16 > available.width());
        const auto page = [preview] {
            return preview->findChild<QLabel*>(QStringLiteral("page"))->text();
        };
        QCOMPARE(preview->screenCount(), 3);
        QCOMPARE(page(), QStringLiteral("Screen 1 of 3"));
        const std::pair<Qt::Key, int> steps[] = {{Qt::Key_PageDown, 1}, {Qt::Key_PageDown, 2},
                                                 {Qt::Key_PageDown, 2}, {Qt::Key_PageUp, 1},
                                                 {Qt::Key_Home, 0},     {Qt::Key_PageUp, 0},
                                                 {Qt::Key_End, 2}};
        for (const auto& [key, index] : steps) {
            QTest::keyClick(preview, key);
            QCOMPARE(preview->screenIndex(), index);
        }
        QCOMPARE(page(), QStringLiteral("Screen 3 of 3"));
        QCOMPARE(preview->screens()[2].size(), std::size_t(5));
        QVERIFY(!preview->findChild<QPushButton*>(QStringLiteral("next"))->isEnabled());
        preview->findChild<QPushButton*>(QStringLiteral("first"))->click();
        QCOMPARE(page(), QStringLiteral("Screen 1 of 3"));
        preview->findChild<QPushButton*>(QStringLiteral("next"))->click();
        QCOMPARE(preview->screenIndex(), 1);

        const std::tuple<QKeySequence, const char*, bool> rows[] = {
            {Qt::Key_Escape, nullptr, false},          {Qt::CTRL | Qt::Key_W, nullptr, false},
            {Qt::Key_F5, kPreviewAction, false},       {Qt::Key_F9, kCompileAction, true},
            {Qt::CTRL | Qt::Key_S, kSaveAction, true}, {Qt::CTRL | Qt::Key_Q, kQuitAction, false}};
        for (const auto& [key, command, stillShown] : rows) {
            QApplication::setActiveWindow(preview);
            QVERIFY(QTest::qWaitForWindowActive(preview));
            QSignalSpy ran(w.window->findChild<QAction*>(command ? command : kQuitAction),
                           &QAction::triggered);
            QTest::keySequence(preview, key);
            QVERIFY2(preview->isVisible() == stillShown, qPrintable(key.toString()));
            QCOMPARE(ran.size(), command ? 1 : 0);
            if (!stillShown && command != kQuitAction) {
                QTest::keyClick(w.window.get(), Qt::Key_F5);
                QVERIFY(preview->isVisible());
            }
        }
        QVERIFY(!w.window->isVisible());
    }

    // The preview opens beside the main window, covering none of it where the screen has
    // room on either side, and stays on the screen where it has none.
    void opensBesideTheMainWindow() {
        const QRect screen(0, 0, 1920, 1080);
        const std::pair<QRect, QPoint> rows[] = {
            {QRect(0, 0, 360, 380), QPoint(368, 0)},       // room on the right
            {QRect(1500, 50, 360, 380), QPoint(1092, 50)}, // room on the left only
            {QRect(300, 0, 1400, 380), QPoint(1520, 0)},   // room on neither side
            {QRect(0, 900, 360, 380), QPoint(368, 780)},   // kept above the bottom
        };
        for (const auto& [main, expected] : rows) {
            QCOMPARE(corvane::besideWindow(main, QSize(400, 300), screen), expected);
        }
    }

    // A text just opened or imported is previewed from its first screen.
    void aReadTextIsPreviewedFromItsStart() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("story.txt"));
        QVERIFY(writeFile(path, "Story\r\nstory\r\n" +
                                    numberedLines(40).toLatin1().replace('\n', "\r\n")));
        for (const bool document : {true, false}) {
            Window w;
            document ? w.window->openFile(path) : w.window->importFile(path);
            QCOMPARE(w.text()->textCursor().position(), 0);
            QTest::keyClick(w.window.get(), Qt::Key_F5);
            auto* preview = w.window->findChild<PreviewWindow*>();
            QVERIFY(preview != nullptr && preview->screenCount() > 1);
            QCOMPARE(preview->screenIndex(), 0);
        }
    }

    // One naming rule for any count: name-1.png ... name-10.png, never padded; the folder
    // asked for starts in the document's folder; the status line says what was written;
    // pictures already there are replaced only when the user says so.
    void savesOnePicturePerScreen() {
        QTemporaryDir folder;
        Window w;
        const QString imported = folder.filePath(QStringLiteral("notes.txt"));
        QVERIFY(writeFile(imported, "x\r\n"));
        w.window->importFile(imported);
        w.line(kCalculatorFileName)->setText(QStringLiteral("story"));
        PreviewWindow* preview = openPreview(w, numberedLines(120));
        const int count = preview->screenCount();
        QVERIFY(count >= 10);
        QStringList questions;
        QStringList warnings;
        QString start;
        QString chosen = folder.path();
        bool replace = false;
        preview->setDialogs(
            [&](QWidget*, const QString& from) {
                start = from;
                return chosen;
            },
            [&](QWidget*, const QString& question) {
                questions << question;
                return replace;
            },
            [&](const QString& message) { warnings << message; });
        QVERIFY(preview->saveScreens());
        QCOMPARE(QDir(start), QDir(folder.path()));
        const QDir saved(folder.path());
        QCOMPARE(saved.entryList({QStringLiteral("*.png")}, QDir::Files).size(), count);
        for (int i = 1; i <= count; ++i) {
            QVERIFY(saved.exists(QStringLiteral("story-%1.png").arg(i)));
        }
        for (int i : {0, count - 1}) {
            const QImage picture(saved.filePath(QStringLiteral("story-%1.png").arg(i + 1)));
            QCOMPARE(picture.convertToFormat(QImage::Format_RGB32),
                     corvane::screenPicture(preview->screens()[std::size_t(i)], preview->zoom())
                         .convertToFormat(QImage::Format_RGB32));
        }
        QVERIFY(questions.isEmpty());
        const auto* status = w.field<QLabel>(kStatusLine);
        QCOMPARE(status->text(), QStringLiteral("%1 PNG pictures saved in %2")
                                     .arg(count)
                                     .arg(QDir::toNativeSeparators(folder.path())));

        const QByteArray before = readFile(saved.filePath("story-1.png"));
        w.text()->setPlainText(QStringLiteral("other"));
        preview->refresh();
        QVERIFY(!preview->saveScreens());
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains(QStringLiteral("story-1.png")));
        QCOMPARE(readFile(saved.filePath("story-1.png")), before);
        replace = true;
        QVERIFY(preview->saveScreens());
        QVERIFY(readFile(saved.filePath("story-1.png")) != before);
        QCOMPARE(status->text(), QStringLiteral("1 PNG picture saved in %1")
                                     .arg(QDir::toNativeSeparators(folder.path())));
        QVERIFY(warnings.isEmpty());

        // A folder that cannot be written is said; a cancelled choice does nothing.
        chosen = folder.filePath(QStringLiteral("gone"));
        QVERIFY(!preview->saveScreens());
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings[0].contains(QDir::toNativeSeparators(chosen)));
        chosen.clear();
        QVERIFY(!preview->saveScreens());
        QCOMPARE(warnings.size(), 1);
    }

    // A text the build would refuse is said in red in the build's words, and the preview
    // still shows the screens of the lines that fit.
    void aTextPastTheLimitsSaysSoAndShowsWhatFits() {
        QTemporaryDir folder;
        Window w;
        const QString text = numberedLines(1000);
        PreviewWindow* preview = openPreview(w, text);
        const QString path = folder.filePath(QStringLiteral("doc.txt"));
        QVERIFY(writeFile(path, "Notitle\r\nnotitle\r\n" + text.toLatin1().replace('\n', "\r\n") +
                                    "\r\n"));
        std::int64_t lineCount = 0;
        QVERIFY(
            corvane::layoutLines(path.toStdString(), folder.path().toStdString(), lineCount).ok);
        const corvane::CalculatorFit build = corvane::checkCalculatorFit(
            folder.filePath(QStringLiteral("temp.ett")).toStdString(), lineCount, 7, 7);
        QVERIFY(!build.fits);

        const auto* lines = preview->findChild<QLabel*>(QStringLiteral("lines"));
        QCOMPARE(lines->text(), QString::fromStdString(build.message));
        QCOMPARE(lines->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(preview->screenCount(), int(build.linesThatFit / 10 + 1));
        const corvane::Screen& last = preview->screens()[std::size_t(build.linesThatFit - 1) / 10];
        QCOMPARE(
            last.back().codes,
            QStringLiteral("Line  %1").arg(build.linesThatFit).toStdString()); // spaces doubled

        // Back under the limit, the line is plain again.
        w.text()->setPlainText(numberedLines(12));
        preview->refresh();
        // Twelve short lines: the TI-83 Plus's code limit is what holds the fewest.
        QCOMPARE(lines->text(),
                 QStringLiteral("12 calculator lines; about %1 fit")
                     .arg(corvane::codeLineLimit(corvane::CalculatorModel::TI83Plus, 7)));
        QVERIFY(lines->palette().color(QPalette::WindowText) != QColor(Qt::red));
    }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
