// The window as the desktop and the command line reach it: files dropped on it, files given
// by path, the first working folder, and a tool chain folder that cannot be made ready.
#include "window_fixture.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kDocument = "Dropped\r\ndrop\r\nFirst line\r\nSecond line\r\n";

// Sends a drag of `path` over `target` and, when it is accepted, the drop.
bool drop(QWidget* target, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    data.setText(path);
    const QPoint where = target->rect().center();
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent dropped(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

  private slots:
    void aFileDroppedOrGivenByPathOpensAsOpenDoes_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("dropped on the window") << "drop";
        // The text box leaves files to the window rather than pasting their names.
        QTest::newRow("dropped on the text") << "drop on text";
        QTest::newRow("given to open") << "open";
        QTest::newRow("given to import") << "import";
    }

    void aFileDroppedOrGivenByPathOpensAsOpenDoes() {
        QFETCH(QString, how);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("story.txt"));
        QVERIFY(writeFile(path, kDocument));
        Window w;

        if (how == QLatin1String("drop")) {
            QVERIFY(drop(w.window.get(), path));
        } else if (how == QLatin1String("drop on text")) {
            QVERIFY(drop(w.text()->viewport(), path));
        } else if (how == QLatin1String("open")) {
            w.window->openFile(path);
        } else {
            w.window->importFile(path);
        }

        const bool imported = how == QLatin1String("import");
        QCOMPARE(w.shownText(), imported ? QStringLiteral("Dropped\ndrop\nFirst line\nSecond line")
                                         : QStringLiteral("First line\nSecond line"));
        QCOMPARE(w.line(corvane::objectName::kProgramName)->text(),
                 imported ? QStringLiteral("Notitle") : QStringLiteral("Dropped"));
        // An imported text is not the document's file: it is saved through Save As.
        QCOMPARE(w.window->documentPath(), imported ? QString() : QDir::toNativeSeparators(path));
        QCOMPARE(w.window->workingFolder(), QDir::toNativeSeparators(folder.path()));
        QCOMPARE(w.warnings, QStringList());
    }

    // A path from the command line or a drop may name anything: what cannot be read is
    // refused with its reason, and the window keeps its document.
    void aPathThatCannotBeReadIsRefusedAndTheWindowKeepsItsDocument() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("story.txt"));
        QVERIFY(writeFile(path, kDocument));
        Window w;
        w.window->openFile(path);

        w.window->openFile(folder.filePath(QStringLiteral("missing.txt")));
        drop(w.window.get(), folder.path());

        QCOMPARE(w.warnings.size(), 2);
        QVERIFY2(w.warnings[0].contains(QStringLiteral("missing.txt: cannot be opened")),
                 qPrintable(w.warnings[0]));
        QVERIFY2(w.warnings[1].contains(QDir::toNativeSeparators(folder.path())),
                 qPrintable(w.warnings[1]));
        QCOMPARE(w.shownText(), QStringLiteral("First line\nSecond line"));
        QCOMPARE(w.window->documentPath(), QDir::toNativeSeparators(path));
    }

    void theFirstWorkingFolderCanBeSet() {
        Window w;
        w.window->setWorkingFolder(QStringLiteral("/home/ann/Documents"));
        QCOMPARE(w.window->workingFolder(), QStringLiteral("/home/ann/Documents"));
    }

    void aToolChainFolderThatCannotBeMadeReadyStopsTheBuildWithItsMessage() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("story.txt"));
        QVERIFY(writeFile(path, kDocument));
        Window w(folder.filePath(QStringLiteral("app")));
        int preparations = 0;
        w.window->setToolChainPreparation([&preparations] {
            ++preparations;
            return QStringLiteral("The tool chain folder /x cannot be created: Permission denied");
        });
        w.window->openFile(path);

        w.window->compileForIon();

        QCOMPARE(preparations, 1);
        QCOMPARE(w.warnings, QStringList{QStringLiteral(
                                 "The tool chain folder /x cannot be created: Permission denied")});
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("temp.ett"))));
        QVERIFY(w.window->isEnabled());
        QVERIFY(noHourglass(*w.window));
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
#include "object_names.h"
