#include "command_line.h"
#include "compile_command.h"
#include "desktop.h"
#include "file_dialog.h"
#include "main_window.h"
#include "send_command.h"
#include "version.h"

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

using namespace corvane;

namespace {

// The desktop file's id (org.example.corvane.desktop), on the project's own address,
// corvane.example.org: desktops find the window's icon and menu entry by it.
const QString kDesktopFileName = QStringLiteral("org.example.corvane");

void nameApplication() {
    // The per-user tool chain folder is named after the application.
    QCoreApplication::setApplicationName(QStringLiteral("corvane"));
    QCoreApplication::setApplicationVersion(QLatin1String(kVersion));
}

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

constexpr int kExitNoDisplay = 2;

[[noreturn]] void exitForNoDisplay(const std::string& reason) {
    std::cerr << "corvane: no display: " << reason << "; --compile and --send need none\n";
    std::cerr.flush();
    std::_Exit(kExitNoDisplay);
}

// Why no window can open, found before Qt is asked: on Linux, neither an X11 nor a Wayland
// display is named and no other platform is chosen.
std::string missingDisplay(int argc, char* argv[]) {
#ifdef __linux__
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool platformNamed =
        (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) ||
        std::any_of(argv + 1, argv + argc,
                    [](const char* argument) { return std::strcmp(argument, "-platform") == 0; });
    if (!platformNamed && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    }
#else
    (void)argc;
    (void)argv;
#endif
    return {};
}

// While the application object is made, Qt's messages wait here: a display that cannot be
// reached ends in Qt's fatal message, which becomes one line and status 2; otherwise they are
// handed on as they came.
struct StartMessages {
    static inline std::vector<std::pair<QtMsgType, QString>> held;
    static inline QString lastWarning;
    static inline QtMessageHandler previous = nullptr;

    static void hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtFatalMsg) {
            exitForNoDisplay(lastWarning.isEmpty() ? std::string("the window system cannot be "
                                                                 "reached")
                                                   : lastWarning.toStdString());
        }
        if (type == QtWarningMsg || type == QtCriticalMsg) {
            lastWarning = text;
        }
        held.emplace_back(type, text);
        (void)context;
    }

    static void release() {
        qInstallMessageHandler(previous);
        for (const auto& [type, text] : held) {
            qt_message_output(type, QMessageLogContext(), text);
        }
        held.clear();
    }
};

// The application object's arguments are the ones to use: on Windows they are read as
// UTF-16, where argv holds them in the ANSI code page.
int runWindow(int argc, char* argv[]) {
    if (const std::string reason = missingDisplay(argc, argv); !reason.empty()) {
        exitForNoDisplay(reason);
    }
    StartMessages::previous = qInstallMessageHandler(StartMessages::hold);
    QApplication application(argc, argv);
    StartMessages::release();
    nameApplication();
    const CommandLine command = parseCommandLine(QCoreApplication::arguments());
    QGuiApplication::setDesktopFileName(kDesktopFileName);
    const AppFolders folders = findAppFolders();
    MainWindow window(std::make_unique<QtFileDialog>(), folders.appFolder);
    window.setWorkingFolder(folders.firstWorkingFolder);
    window.setToolChainPreparation([folders] { return refreshToolChain(folders); });
    window.show();
    window.openInFurtherWindows(command.openFiles.mid(1));
    if (!command.openFiles.isEmpty()) {
        window.openFile(command.openFiles.constFirst());
    } else if (!command.importFile.isEmpty()) {
        window.importFile(command.importFile);
    }
    return QApplication::exec();
}

// Commands that need no display; a new command adds its case here.
int runHeadless(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    nameApplication();
    const CommandLine command = parseCommandLine(QCoreApplication::arguments());
    switch (command.action) {
    case CommandLine::Action::Help:
        std::cout << commandLineHelp().toLocal8Bit().constData();
        return kExitDone;
    case CommandLine::Action::Version:
        std::cout << "corvane " << kVersion << '\n';
        return kExitDone;
    case CommandLine::Action::Compile:
        return compileDocuments(command.documents, command.outputFolder, findAppFolders(),
                                std::cout, std::cerr,
                                {command.basic, command.reader, command.partSize});
    case CommandLine::Action::Send: {
        SendOptions send;
        for (const QString& program : command.programs) {
            send.files.push_back(program.toLocal8Bit().toStdString());
        }
        if (!command.cable.isEmpty()) {
            send.cable = command.cable.toStdString();
        }
        if (!command.model.isEmpty()) {
            send.model = command.model.toStdString();
        }
        return runSendCommand(send, std::cout, std::cerr);
    }
    case CommandLine::Action::BadCommandLine:
    case CommandLine::Action::Window:
        break;
    }
    std::cerr << "corvane: " << command.error.toLocal8Bit().constData()
              << "\nSee corvane --help.\n";
    return kExitBadCommandLine;
}

#ifdef _WIN32
// corvane.exe is a window program, so that no console opens beside the editor. A command
// typed in a console writes to that console, unless its output is redirected.
bool hasNoHandle(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

void writeToParentConsole() {
    const bool noOutput = hasNoHandle(STD_OUTPUT_HANDLE);
    const bool noError = hasNoHandle(STD_ERROR_HANDLE);
    if ((!noOutput && !noError) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (noOutput) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (noError) {
        std::freopen("CONOUT$", "w", stderr);
    }
}
#endif

} // namespace

int main(int argc, char* argv[]) {
    // Only a window needs a display: the choice is made before an application object exists.
    if (parseCommandLine(argumentsOf(argc, argv)).action == CommandLine::Action::Window) {
        return runWindow(argc, argv);
    }
#ifdef _WIN32
    writeToParentConsole();
#endif
    return runHeadless(argc, argv);
}
