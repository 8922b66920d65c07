#include "document_build.h"

#include "ansi_codec.h"
#include "document_file.h"

#include <algorithm>

namespace corvane {

namespace {

// Control characters (C0, DEL, C1) and the line and paragraph separators: what a name field
// takes out of a line.
bool fieldRefuses(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029;
}

std::string lineMisfit(std::u16string_view line, std::size_t limit, const char* which) {
    if (line.size() > limit) {
        return "its " + std::string(which) + " line has " + std::to_string(line.size()) +
               " characters, more than the " + std::to_string(limit) + " its field holds";
    }
    if (std::any_of(line.begin(), line.end(), fieldRefuses)) {
        return "its " + std::string(which) + " line holds control characters";
    }
    return {};
}

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

} // namespace

std::string headerMisfit(std::u16string_view programName, std::u16string_view calculatorFileName) {
    std::string misfits;
    for (const std::string& misfit :
         {lineMisfit(programName, kProgramNameLimit, "first"),
          lineMisfit(calculatorFileName, kCalculatorFileNameLimit, "second")}) {
        if (!misfit.empty()) {
            misfits += (misfits.empty() ? "" : "; ") + misfit;
        }
    }
    return misfits;
}

std::string programBaseName(std::string_view documentPath) {
    const auto nameStart = std::find_if(documentPath.rbegin(), documentPath.rend(), isSeparator);
    const std::string_view name =
        documentPath.substr(static_cast<std::size_t>(documentPath.rend() - nameStart));
    return std::string(name.substr(0, name.rfind('.')));
}

BuildRequest documentBuildRequest(const std::string& documentPath, const std::string& workingFolder,
                                  const std::string& appFolder, std::string programName,
                                  std::string calculatorFileName) {
    return {documentPath,
            workingFolder,
            appFolder,
            programBaseName(documentPath),
            std::move(programName),
            std::move(calculatorFileName)};
}

DocumentFileRequest documentFileRequest(const std::string& documentPath,
                                        const std::string& workingFolder,
                                        const std::string& appFolder) {
    // The names come from the document's header; the text is read by the build itself.
    const ReadOutcome read = readDocumentFile(documentPath);
    const auto refuse = [](std::string why) {
        return DocumentFileRequest{std::nullopt,
                                   "it is not a Corvane document as it stands: " + std::move(why)};
    };
    if (!read.ok) {
        if (read.pastEnd) {
            return refuse(std::string(kTooShortMisfit));
        }
        return {std::nullopt, read.error, true};
    }
    if (read.encoding == TextEncoding::Utf8) {
        return {std::nullopt,
                "it is UTF-8 text; open it in Corvane and save it, which stores it in the code "
                "page the programs are built from"};
    }
    const std::string misfit = headerMisfit(decodeAnsi(read.document.programName),
                                            decodeAnsi(read.document.calculatorFileName));
    if (!misfit.empty()) {
        return refuse(misfit);
    }
    return {documentBuildRequest(documentPath, workingFolder, appFolder, read.document.programName,
                                 read.document.calculatorFileName),
            {}};
}

} // namespace corvane
