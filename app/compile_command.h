#pragma once

#include "build_command.h"
#include "desktop.h"

#include <QString>
#include <QStringList>
#include <ostream>

namespace corvane {

// corvane --compile: builds each document as Compile for ion does, without a window and
// without saving, one after the other, into `outputFolder` or, when empty, the document's own
// folder. Prints each delivered program with its size on `out` and each failure as one message
// on `err`. Returns kExitDone when every document gave both programs, kExitFailed when one did
// not, kExitBadCommandLine when `outputFolder` is no folder. With `kind` Reader, builds reader
// programs instead, in parts of at most `partBytes`.
int compileDocuments(const QStringList& documents, const QString& outputFolder,
                     const AppFolders& folders, std::ostream& out, std::ostream& err,
                     ProgramKind kind = ProgramKind::IonProgram,
                     std::size_t partBytes = kReaderDefaultPartBytes);

} // namespace corvane
