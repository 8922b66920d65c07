#pragma once

#include "desktop.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <ostream>

namespace corvane {

// corvane --compile: builds each document as Compile for ion does, without a window and
// without saving, one after the other, into `outputFolder` or, when empty, the document's own
// folder. Prints each delivered program with its size on `out` and each failure as one message
// on `err`. Returns kExitDone when every document gave both programs, kExitFailed when one did
// not, kExitBadCommandLine when `outputFolder` is no folder.
// With `basic`, each document gives its TI-BASIC programs instead (both kinds, their parts
// at most `partSize` bytes when given), and no tool chain runs; characters the calculators
// cannot show are named on `err`.
// With `reader`, each document gives reader programs instead, in parts of at most `partSize`
// bytes (kReaderDefaultPartBytes when not given).
struct CompileKind {
    bool basic = false;
    bool reader = false;
    std::optional<std::size_t> partSize;
};
int compileDocuments(const QStringList& documents, const QString& outputFolder,
                     const AppFolders& folders, std::ostream& out, std::ostream& err,
                     const CompileKind& kind = {});

} // namespace corvane
