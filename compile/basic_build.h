#pragma once

#include "basic_program.h"
#include "document_file.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One of the two TI-BASIC programs a document becomes: the home screen it is laid out for,
// the suffix of its file names and how large its parts may be.
struct BasicKind {
    HomeScreen screen;
    std::string_view fileSuffix;
    // The default and largest program size of one part, in bytes of the program variable
    // (its tokens and their length word).
    std::size_t defaultPartSize;
    std::size_t largestPartSize;
};

// The CE holds a program of up to 65,505 bytes. The program copies its text into a string, so
// a part needs twice its size in RAM: on the monochrome models (about 24 KB free) parts stay at
// 10,000 bytes by default and 12,000 at most.
inline constexpr BasicKind kBasicColour{kColourHomeScreen, "-ce", 65505, 65505};
inline constexpr BasicKind kBasicMonochrome{kMonochromeHomeScreen, "-84", 10000, 12000};

// The smallest part size a build accepts.
inline constexpr std::size_t kSmallestBasicPartSize = 2000;

// One program of a text: its variable name, the first line's comment (name and title) and its
// whole screens, status rows included.
struct BasicPart {
    std::string variableName;
    std::vector<BasicToken> comment;
    std::vector<std::vector<BasicToken>> screens;
};

struct BasicPlan {
    std::vector<BasicPart> parts; // empty when `error` is set
    // The characters of the document the calculator shows as '?', once each.
    std::u16string unshown;
    std::string error;
};

// The document laid out for `kind`'s home screen and split into parts of at most `partSize`
// bytes (one unsuffixed part when it fits). The document's bytes are in the ANSI code page.
BasicPlan planBasicProgram(const Document& document, const BasicKind& kind, std::size_t partSize);

// One delivered program file.
struct BasicProgramFile {
    std::string fileName; // baseName, the kind's suffix, the part, ".8xp"
    std::string variableName;
    std::string bytes;
    std::size_t programSize = 0; // the program variable's bytes
    std::size_t screenCount = 0;
};

struct BasicBuilt {
    std::vector<BasicProgramFile> files; // empty when `error` is set
    std::u16string unshown;
    std::string error;
};

// The .8xp files of every part: type 05, the version byte the tokens need, and for the CE's
// program the owner byte TI's software writes there.
BasicBuilt buildBasicPrograms(const Document& document, std::string_view baseName,
                              const BasicKind& kind, std::size_t partSize);

// The part size a build of `kind` uses: the kind's default, or the requested size kept within
// the kind's largest (the monochrome parts stay within theirs when a larger size is asked for).
// Empty, with the reason in `error`, for a requested size below 2,000 or above the CE's largest.
std::optional<std::size_t> basicPartSize(const BasicKind& kind,
                                         std::optional<std::size_t> requested, std::string& error);

// What a TI-BASIC build needs: the document as read or saved, the folder and base name of the
// delivered programs, and the part size asked for, if any.
struct BasicBuildRequest {
    Document document;
    std::string outputFolder;
    std::string baseName;
    std::optional<std::size_t> partSize;
};

struct BasicBuildOutcome {
    bool ok = false;
    std::string message;                     // why the build failed; empty on success
    std::vector<BasicProgramFile> delivered; // the CE's programs first, then the monochrome ones
    std::u16string unshown;                  // characters shown as '?', once each
};

// Builds both kinds in memory and, when both succeed, writes every file into the folder.
BasicBuildOutcome runBasicBuild(const BasicBuildRequest& request);

// Writes the files into `folder`, each beside its target and renamed over it when whole. Returns
// an empty string on success, otherwise the first error; files written before it stay.
std::string writeBasicPrograms(const std::string& folder,
                               const std::vector<BasicProgramFile>& files);

} // namespace corvane
