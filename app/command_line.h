#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>

namespace corvane {

// The exit statuses of the command line.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadCommandLine = 2;

// What the command line asks for. A new command adds an Action, its options in
// command_line.cpp, the fields it reads here, and its handler in main.cpp.
struct CommandLine {
    enum class Action {
        Window,  // corvane [FILE...] | corvane --import FILE
        Help,    // --help
        Version, // --version
        Compile, // --compile [--basic | --reader] [--part-size BYTES] DOCUMENT... [--output DIR]
        Send,    // --send FILE... [--cable NAME] [--model 83|83p]
        BadCommandLine, // `error` says why
    };
    Action action = Action::Window;
    QString error;

    // Window: the first file opens in it, each further one in a Corvane of its own (a desktop
    // passes every file chosen in its file manager).
    QStringList openFiles;
    QString importFile;
    // Compile
    QStringList documents;
    QString outputFolder; // empty: each document's own folder
    bool basic = false;   // the TI-BASIC programs instead of ION's
    bool reader = false;  // reader programs instead of ION's
    std::optional<std::size_t> partSize;
    // Send: the program files, and the cable and model when given (empty otherwise)
    QStringList programs;
    QString cable;
    QString model;
};

// Reads the arguments, the program's name first. Needs no application object, so that main()
// can choose between a window and a headless run.
CommandLine parseCommandLine(const QStringList& arguments);

// The --help text (the application object must exist).
QString commandLineHelp();

} // namespace corvane
