#pragma once

#include <QString>
#include <functional>
#include <string>

namespace corvane {

// Where the build's tool chain runs and where the user starts. A portable copy (the
// program's folder holds asm.bat and may be written: a build tree, an unpacked archive) builds
// in its own folder and starts there. An installed copy builds in a per-user tool chain folder,
// filled from the installed files before each build, and starts in the user's documents.
struct AppFolders {
    // The build's appFolder: where comp.bat, tmp.z80 and the tool chain's outputs go.
    QString appFolder;
    // The file dialog's folder when the window opens.
    QString firstWorkingFolder;
    // Installed copy only: the folders holding asm.bat and ion.inc, and asm83.
    QString installedScripts;
    QString installedPrograms;

    bool portable() const { return installedScripts.isEmpty(); }
};

// The folders for a program in `programFolder`: portable when it holds asm.bat and a file
// can be created in it; otherwise `perUserFolder`, filled with asm83 from beside the program
// and asm.bat and ion.inc from `installedScripts` (or from beside the program, where they
// are).
AppFolders appFoldersFor(const QString& programFolder, const QString& installedScripts,
                         const QString& perUserFolder, const QString& documentsFolder);

// The folders for the running program, from its own location and the user's standard
// folders (the application's name must be set first).
AppFolders findAppFolders();

// An installed copy's tool chain folder is created if missing, and each of asm.bat, ion.inc and
// asm83 copied into it when missing or different from the installed file, so that the build
// always runs what is installed. Does nothing for a portable copy. Returns an empty string on
// success, otherwise one message naming the file and the system's reason.
QString refreshToolChain(const AppFolders& folders);

// A path as the plain libraries take it: native separators, in the file system's encoding.
std::string toLibraryPath(const QString& path);

// A plain library's message, whose file names are in the file system's encoding.
QString fromLibraryMessage(const std::string& message);

// A callback that lets the window system process its pending events once; the plain
// libraries take it as their `processEvents` collaborator.
std::function<void()> pendingEventsProcessor();

} // namespace corvane
