// Send to calculator in the window, against the stand-in calculator on the virtual link:
// the connection dialog, the progress dialog and its Cancel, the messages, and the commands
// that wait for a transfer.

#include "calculator_sender.h"
#include "compile_fixture.h"
#include "standin.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

using namespace corvane;
using namespace corvane::test;

namespace {

// Writes the TI-83 Plus assembly program HELLO into `folder` and returns its path.
QString writeProgram(const QTemporaryDir& folder) {
    const QString path = folder.filePath(QStringLiteral("HELLO.8xp"));
    const std::string body = "\xBB\x6D" + std::string(3000, '\x01');
    test::writeFile(path,
                    QByteArray::fromStdString(
                        tifile::buildProgramFile(CalculatorModel::TI83Plus, "HELLO", body).bytes));
    return path;
}

// Link services that find no cable and answer the connection dialog with `chosen`.
CalculatorSender::Services chosenLink(link::Probed chosen, int& chooserCalls) {
    CalculatorSender::Services services;
    services.probe = [] { return std::optional<link::Probed>(); };
    services.choose = [chosen, &chooserCalls](QWidget*, const link::Probed&) {
        ++chooserCalls;
        return std::optional<link::Probed>(chosen);
    };
    return services;
}

// The virtual link, to a calculator of `model`.
CalculatorSender::Services virtualLink(CalculatorModel model, int& chooserCalls) {
    return chosenLink({{link::Cable::Virtual, 1}, model}, chooserCalls);
}

QProgressDialog* progressOf(const Window& w) {
    return w.window->findChild<QProgressDialog*>(QStringLiteral("sendProgress"));
}

void waitForTheEnd(const Window& w) {
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->sending(), 20000);
}

} // namespace

class SendToCalculatorTest : public QObject {
    Q_OBJECT

  private slots:
    // A failure says its one message; a program that arrives, nothing (the tests below).
    void oneMessagePerFailure() {
        QTemporaryDir folder;
        Window w;
        int chooserCalls = 0;
        w.window->setLinkServices(virtualLink(CalculatorModel::TI83Plus, chooserCalls));
        w.dialog->answers.push_back(writeProgram(folder));
        test::StandIn calculator("full", 4);
        QVERIFY(calculator.ready());

        w.field<QAction>(objectName::kSendFileAction)->trigger();
        // Send a file asks for the program, with the programs' filter.
        QCOMPARE(w.dialog->shown.size(), std::size_t{1});
        QCOMPARE(w.dialog->shown[0].title, QStringLiteral("Send a program to the calculator"));
        QCOMPARE(w.dialog->shown[0].filter, QStringLiteral("Calculator programs (*.83p *.8xp)"));
        if (w.window->sending()) {
            // The window stays usable while the transfer runs on its own thread.
            QVERIFY(progressOf(w) != nullptr);
            QVERIFY(isReady(*w.window));
        }
        waitForTheEnd(w);
        QCOMPARE(calculator.finish().size(), std::size_t{0});
        QCOMPARE(chooserCalls, 1);
        QVERIFY(isReady(*w.window));
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains("out of memory"), qPrintable(w.warnings[0]));
    }

    void cancelEndsTheTransferAndCompileWaits() {
        QTemporaryDir folder;
        Window w;
        int chooserCalls = 0;
        w.window->setLinkServices(virtualLink(CalculatorModel::TI83Plus, chooserCalls));
        const QString program = writeProgram(folder);
        w.dialog->answers.push_back(program);
        {
            // The stand-in thinks a second before it accepts: Cancel comes during that wait
            // and takes effect with the program's first bytes.
            test::StandIn calculator("slow", 4);
            QVERIFY(calculator.ready());
            w.window->sendFile();
            QProgressDialog* progress = progressOf(w);
            QVERIFY(progress != nullptr);
            QTRY_VERIFY(progress->isVisible());

            // Compile during the transfer waits for its end: no Save As yet.
            w.field<QAction>(objectName::kCompileAction)->trigger();
            QCOMPARE(w.dialog->shown.size(), std::size_t{1});

            QPushButton* cancel = progress->findChild<QPushButton*>();
            QVERIFY(cancel != nullptr);
            QTest::mouseClick(cancel, Qt::LeftButton);
            waitForTheEnd(w);
            QCOMPARE(calculator.finish().size(), std::size_t{0});
        }
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains(QStringLiteral("Sending cancelled; nothing was stored")),
                 qPrintable(w.warnings[0]));
        // The waiting compile ran: a new document is saved first, and the scripted dialog cancels.
        QCOMPARE(w.dialog->shown.size(), std::size_t{2});

        // The connection is remembered: the next send does not ask again.
        test::StandIn calculator("store", 4);
        QVERIFY(calculator.ready());
        w.dialog->answers.push_back(program);
        w.window->sendFile();
        waitForTheEnd(w);
        QCOMPARE(calculator.finish().size(), std::size_t{1});
        QCOMPARE(chooserCalls, 1);
        QCOMPARE(w.warnings.size(), 1);
    }

    // Send sends what F9 delivered without asking for a file; after Open of another
    // document it builds that one first and sends its program, not the one built before.
    void sendsTheOpenDocumentsProgram() {
        Folders folders;
        Window w(folders.app);
        useFastClock(w);
        typeDocument(w);
        w.dialog->answers.push_back(folders.workFile("story.txt"));
        QTest::keySequence(w.text(), QKeySequence(Qt::Key_F9));
        QCOMPARE(w.warnings, QStringList());
        int chooserCalls = 0;
        w.window->setLinkServices(virtualLink(CalculatorModel::TI83, chooserCalls));
        const auto sendAndStore = [&w] {
            test::StandIn calculator("store", 4);
            if (!calculator.ready()) {
                qWarning("the stand-in calculator did not start");
                return std::vector<test::Stored>();
            }
            w.field<QAction>(objectName::kSendAction)->trigger();
            waitForTheEnd(w);
            return calculator.finish();
        };

        std::vector<test::Stored> stored = sendAndStore();
        QCOMPARE(w.dialog->shown.size(), std::size_t{1}); // Save As only
        QCOMPARE(stored.size(), std::size_t{1});
        QCOMPARE(stored[0].name, "STORY");
        QCOMPARE(stored[0].type, int{tifile::kProtectedProgramType});

        const QString other = folders.workFile("other.txt");
        QVERIFY(writeFile(other, QByteArray("Other\r\nother\r\nAnother text\r\n")));
        w.open(other);
        stored = sendAndStore();
        QVERIFY2(w.warnings.isEmpty(), qPrintable(w.warnings.join(QLatin1Char('\n'))));
        QVERIFY(QFileInfo::exists(folders.workFile("other.83p")));
        QCOMPARE(stored.size(), std::size_t{1});
        QCOMPARE(stored[0].name, "OTHER");
    }

    // The dialog starts on what was found, a CE only with its cable, and gives back what was
    // chosen, or nothing when cancelled.
    void connectionDialogOffersCablesAndModels() {
        struct Row {
            bool ceProposed;
            QString model;
            link::Cable cable;
            bool ce;
        };
        const Row rows[] = {{false, "TI-83", link::Cable::GreyLink, false},
                            {false, "TI-84 Plus CE", link::Cable::DirectUsb, true},
                            {true, "TI-83 Plus", link::Cable::GreyLink, false}};
        QWidget parent;
        for (const auto& [ceProposed, model, cable, ce] : rows) {
            const auto answer = [&](bool accept) {
                QTimer::singleShot(0, [&, accept] {
                    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                    QVERIFY(dialog != nullptr);
                    auto* cables = dialog->findChild<QComboBox*>(QStringLiteral("cableBox"));
                    auto* models = dialog->findChild<QComboBox*>(QStringLiteral("modelBox"));
                    QCOMPARE(cables->count(), 4);
                    QCOMPARE(models->count(), 3);
                    QCOMPARE(models->currentText(), ceProposed ? QStringLiteral("TI-84 Plus CE")
                                                               : QStringLiteral("TI-83 Plus"));
                    QCOMPARE(static_cast<link::Cable>(cables->currentData().toInt()),
                             ceProposed ? link::Cable::DirectUsb : link::Cable::BlackLink);
                    QCOMPARE(cables->isEnabled(), !ceProposed);
                    models->setCurrentIndex(models->findText(model));
                    if (cables->isEnabled()) {
                        cables->setCurrentIndex(
                            cables->findText(QStringLiteral("Grey link (serial)")));
                    }
                    // The CE's only cable cannot be changed while it is chosen.
                    QCOMPARE(cables->isEnabled(), !ce);
                    auto* buttons = dialog->findChild<QDialogButtonBox*>();
                    buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                        ->click();
                });
            };
            const link::Probed proposed{
                {ceProposed ? link::Cable::DirectUsb : link::Cable::BlackLink, 1},
                CalculatorModel::TI83Plus,
                ceProposed};
            answer(true);
            const std::optional<link::Probed> chosen = chooseConnection(&parent, proposed);
            QVERIFY(chosen.has_value());
            QCOMPARE(chosen->cable.cable, cable);
            QCOMPARE(chosen->model,
                     model == "TI-83" ? CalculatorModel::TI83 : CalculatorModel::TI83Plus);
            QCOMPARE(chosen->ce, ce);
            answer(false);
            QVERIFY(!chooseConnection(&parent, proposed).has_value());
        }
    }

    // Nothing reaches the cable for a file the CE cannot take; the file is asked for even when
    // Compile for ion has delivered one.
    void theCeRefusesOtherProgramsBeforeTheCable() {
        QTemporaryDir folder;
        Window w;
        int chooserCalls = 0;
        w.window->setLinkServices(chosenLink(
            {{link::Cable::DirectUsb, 1}, CalculatorModel::TI83Plus, true}, chooserCalls));
        w.dialog->answers.push_back(writeProgram(folder));

        w.field<QAction>(objectName::kSendFileAction)->trigger();
        waitForTheEnd(w);

        QCOMPARE(w.dialog->shown.size(), std::size_t{1});
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].contains(QStringLiteral("HELLO.8xp is an assembly program")) &&
                     w.warnings[0].contains(QStringLiteral("nothing was sent")),
                 qPrintable(w.warnings[0]));
        QVERIFY(isReady(*w.window));
    }
};

QTEST_MAIN(SendToCalculatorTest)
#include "send_to_calculator_test.moc"
