// Renders the editor's two windows into PNG files for the README: the main window with a
// sample document opened through the Open command, and the About window over it.
//   corvane_screenshots OUTPUT_FOLDER

#include "about_dialog.h"
#include "main_window.h"
#include "scripted_file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

constexpr char kSample[] = "Lighthouse\r\n"
                           "lightho\r\n"
                           "The keeper climbed the stairs at dusk, as every evening, "
                           "and lit the lamp.\r\n"
                           "\r\n"
                           "Far out, a small boat turned towards the light.\r\n"
                           "\r\n"
                           "Press a key for the next screen.\r\n";

bool save(QWidget& widget, const QString& path) {
    QApplication::processEvents();
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir work;
    const QString sample = work.filePath(QStringLiteral("lighthouse.txt"));
    QFile file(sample);
    if (!file.open(QIODevice::WriteOnly) || file.write(kSample) != qint64(sizeof kSample - 1)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(sample));
        return 1;
    }
    file.close();

    auto dialog = std::make_unique<corvane::ScriptedFileDialog>();
    dialog->answers.push_back(sample);
    corvane::ScriptedFileDialog& scripted = *dialog;
    corvane::MainWindow window(std::move(dialog), work.path());
    window.show();
    window.open();
    if (scripted.shown.empty() || window.documentPath() != sample ||
        !save(window, output.filePath(QStringLiteral("window.png")))) {
        return 1;
    }

    window.about();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<corvane::AboutDialog*>(top); about && about->isVisible()) {
            const bool saved = save(*about, output.filePath(QStringLiteral("about.png")));
            about->cmdOK_Click();
            return saved ? 0 : 1;
        }
    }
    std::fprintf(stderr, "the About window did not open\n");
    return 1;
}
