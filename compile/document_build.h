#pragma once

#include "build_command.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The most characters (UTF-16 units, as the window counts them) each header line may have:
// what the window's two name fields hold.
inline constexpr std::size_t kProgramNameLimit = 20;
inline constexpr std::size_t kCalculatorFileNameLimit = 8;

// What is said of a file too short to hold a header and a text.
inline constexpr std::string_view kTooShortMisfit = "it has fewer than three lines";

// What keeps a document's header out of the window's fields, as one text ("its first line
// has 21 characters, more than the 20 its field holds; its second line holds control
// characters"), or empty when both lines fit. A field holds no control character and no line
// or paragraph separator.
std::string headerMisfit(std::u16string_view programName, std::u16string_view calculatorFileName);

// The name the programs of the document at `documentPath` are delivered under: the file's
// name without what follows its last dot ("story.md" gives "story"), the whole name when it
// has no dot, and nothing for a name that is only an extension (".txt").
std::string programBaseName(std::string_view documentPath);

// A build of the saved document at `documentPath` into `workingFolder`, with the program name
// and calculator file name as the window's fields hold them (in the code page); the programs
// are named after the document file.
BuildRequest documentBuildRequest(const std::string& documentPath, const std::string& workingFolder,
                                  const std::string& appFolder, std::string programName,
                                  std::string calculatorFileName);

// A build of the document file at `documentPath` as it stands, its names from its header, or
// why the window would not build it as it stands (it would ask for Save As, or save it in
// another encoding first).
struct DocumentFileRequest {
    std::optional<BuildRequest> request;
    // Set when `request` is empty. `refusalNamesFile` tells a message of the reader, which
    // names the file itself, from a reason about the document, which does not.
    std::string refusal;
    bool refusalNamesFile = false;
};

DocumentFileRequest documentFileRequest(const std::string& documentPath,
                                        const std::string& workingFolder,
                                        const std::string& appFolder);

} // namespace corvane
