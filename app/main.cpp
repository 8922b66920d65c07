#include "desktop.h"
#include "file_dialog.h"
#include "main_window.h"

#include <QApplication>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    corvane::MainWindow window(std::make_unique<corvane::QtFileDialog>(), corvane::appFolder());
    window.show();
    return QApplication::exec();
}
