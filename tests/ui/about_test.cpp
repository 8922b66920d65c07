// The About window: how it opens and every way it closes.

#include "about_dialog.h"
#include "window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

using corvane::AboutDialog;
using corvane::test::Window;

namespace {

AboutDialog* openAbout(Window& w) {
    w.window->findChild<QAction*>(QLatin1String(corvane::objectName::kAboutAction))->trigger();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<AboutDialog*>(top); about && about->isVisible()) {
            return about;
        }
    }
    return nullptr;
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

  private slots:
    void showsItsContents() {
        Window w;
        AboutDialog* about = openAbout(w);
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("A propos de l'editeur de texte"));
        QCOMPARE(about->size(), QSize(382, 194));
        QCOMPARE(about->findChild<QLabel*>(QLatin1String(corvane::objectName::kAboutTitle))->text(),
                 QStringLiteral("Corvane"));
        QCOMPARE(
            about->findChild<QLabel*>(QLatin1String(corvane::objectName::kAboutVersion))->text(),
            QStringLiteral("Version 0.6a"));
        QVERIFY(!about->findChild<QLabel*>(QLatin1String(corvane::objectName::kAboutIcon))
                     ->pixmap()
                     .isNull());
        for (const char* contact :
             {corvane::objectName::kAboutSite, corvane::objectName::kAboutMail,
              corvane::objectName::kAboutIcq}) {
            auto* field = about->findChild<QLineEdit*>(QString::fromLatin1(contact));
            QVERIFY2(field && field->isReadOnly() && !field->text().isEmpty(), contact);
        }
        QVERIFY(about->findChild<QPushButton*>(QLatin1String(corvane::objectName::kAboutOk))
                    ->isDefault());
        QVERIFY(!about->parentWidget());
        about->close();
    }

    void closesEveryWayAndEnablesTheWindow_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK clicked") << "click";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("title bar") << "close";
    }

    void closesEveryWayAndEnablesTheWindow() {
        QFETCH(QString, how);
        Window w;
        QTest::keyClicks(w.text(), QStringLiteral("kept"));
        for (int opening = 0; opening < 2; ++opening) {
            QPointer<AboutDialog> about = openAbout(w);
            QVERIFY(about);
            QVERIFY(QTest::qWaitForWindowActive(about));
            QVERIFY(!w.window->isEnabled());
            QCOMPARE(QApplication::focusWidget()->objectName(),
                     QLatin1String(corvane::objectName::kAboutOk));

            // While it is open the main window's shortcuts and menus do nothing.
            QTest::keySequence(w.window.get(), QKeySequence(Qt::CTRL | Qt::Key_N));
            w.window->findChild<QAction*>(QLatin1String(corvane::objectName::kNewAction))
                ->trigger();
            QCOMPARE(w.shownText(), QStringLiteral("kept"));

            if (how == QLatin1String("click")) {
                QTest::mouseClick(
                    about->findChild<QPushButton*>(QLatin1String(corvane::objectName::kAboutOk)),
                    Qt::LeftButton);
            } else if (how == QLatin1String("enter")) {
                QTest::keyClick(about, Qt::Key_Return);
            } else if (how == QLatin1String("escape")) {
                QTest::keyClick(about, Qt::Key_Escape);
            } else {
                about->close();
            }
            QVERIFY(w.window->isEnabled());
            QTRY_VERIFY(about.isNull());
        }
    }

    // Closing the main window while About is open closes both.
    void closingTheMainWindowClosesAbout() {
        Window w;
        QPointer<AboutDialog> about = openAbout(w);
        QVERIFY(about);
        QVERIFY(w.window->close());
        QVERIFY(!w.window->isVisible());
        QTRY_VERIFY(!about);
        QVERIFY(w.window->isEnabled());
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
#include "object_names.h"
