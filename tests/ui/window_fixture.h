#pragma once

// A main window with a scripted file dialog and recorded warnings, shown offscreen.

#include "files.h"
#include "main_window.h"
#include "object_names.h"
#include "scripted_file_dialog.h"
#include "text_box.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <memory>

namespace corvane::test {

struct Window {
    ScriptedFileDialog* dialog = nullptr;
    QStringList warnings;
    // The details of each warning, empty where it had none.
    QStringList warningDetails;
    // Questions the window asked, and the answers to give, in order. Without a scripted
    // answer a question is answered Discard where offered, otherwise Yes.
    QStringList questions;
    QList<QMessageBox::StandardButton> answers;
    std::unique_ptr<MainWindow> window;

    explicit Window(const QString& appFolder = QStringLiteral("/app")) {
        auto scripted = std::make_unique<ScriptedFileDialog>();
        dialog = scripted.get();
        window = std::make_unique<MainWindow>(
            std::move(scripted), appFolder, [this](const QString& message, const QString& details) {
                warnings << message;
                warningDetails << details;
            });
        window->setQuestionSink([this](const QString& question,
                                       QMessageBox::StandardButtons buttons) {
            questions << question;
            if (!answers.empty()) {
                return answers.takeFirst();
            }
            return buttons.testFlag(QMessageBox::Discard) ? QMessageBox::Discard : QMessageBox::Yes;
        });
        window->show();
        QApplication::setActiveWindow(window.get());
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window.get());
    }

    template <typename T> T* field(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    TextBox* text() const { return field<TextBox>(corvane::objectName::kText); }
    // The text as the box holds it (toPlainText would turn no-break spaces into spaces).
    QString shownText() const {
        return text()->text().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
    QLineEdit* line(const char* name) const { return field<QLineEdit>(name); }
    QString size() const { return line(corvane::objectName::kTextSize)->text(); }

    // Open or Import the file at `path` through the scripted dialog.
    void open(const QString& path) {
        dialog->answers.push_back(path);
        window->open();
    }
    void import(const QString& path) {
        dialog->answers.push_back(path);
        window->importText();
    }
};

// True when the window is enabled and neither it nor the application shows the hourglass.
inline bool isReady(const QWidget& window) {
    return window.isEnabled() && QApplication::overrideCursor() == nullptr &&
           window.cursor().shape() != Qt::WaitCursor;
}

// Drags `data` over the middle of `target` and, when that is accepted, drops it there; true
// when the drop was accepted too.
inline bool drop(QWidget* target, const QMimeData& data) {
    const QPoint where = target->rect().center();
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent dropped(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

} // namespace corvane::test
