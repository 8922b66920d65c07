#include "basic_build.h"

#include "ansi_codec.h"
#include "atomic_file.h"
#include "build_command.h"
#include "path.h"
#include "program_parts.h"
#include "ti_program_file.h"

#include <algorithm>

namespace corvane {

namespace {

// Room in the fixed bytes for what a part adds to the comment: the name's digits and the
// title's " 12/34".
constexpr std::size_t kPartCommentRoom = 24;
// A title is never cut in the comment: the program's line holds any length.
constexpr std::size_t kLongestComment = 1000;
// The program variable's length word.
constexpr std::size_t kLengthWord = 2;

std::vector<BasicToken> commentTokens(std::string_view variableName, std::string_view title,
                                      std::u16string& unshown) {
    std::string text(variableName);
    text += ": ";
    text += title;
    std::vector<BasicToken> tokens;
    for (const std::vector<BasicToken>& line : basicTextLines(decodeAnsi(text), &unshown)) {
        tokens.insert(tokens.end(), line.begin(), line.end());
    }
    return tokens;
}

void addUnshown(std::u16string& into, std::u16string_view more) {
    for (const char16_t c : more) {
        if (into.find(c) == std::u16string::npos) {
            into.push_back(c);
        }
    }
}

} // namespace

BasicPlan planBasicProgram(const Document& document, const BasicKind& kind, std::size_t partSize) {
    BasicPlan plan;
    const std::string name = toUpperAscii(document.calculatorFileName);
    if (std::string problem = checkCalculatorFileName(name); !problem.empty()) {
        plan.error = std::move(problem);
        return plan;
    }
    if (partSize < kSmallestBasicPartSize || partSize > kind.largestPartSize) {
        plan.error = "the part size " + std::to_string(partSize) + " is outside " +
                     std::to_string(kSmallestBasicPartSize) + " to " +
                     std::to_string(kind.largestPartSize) + " bytes.";
        return plan;
    }
    const auto lines = basicTextLines(decodeAnsi(document.text), &plan.unshown);
    std::vector<std::vector<BasicToken>> textScreens = basicTextScreens(lines, kind.screen);

    std::u16string titleUnshown;
    const std::vector<BasicToken> wholeComment =
        commentTokens(name, document.programName, titleUnshown);
    std::vector<std::size_t> screenBytes;
    screenBytes.reserve(textScreens.size());
    for (const std::vector<BasicToken>& shown : textScreens) {
        screenBytes.push_back(basicScreenBytes(shown, kind.screen));
    }
    const std::size_t fixedBytes =
        basicFixedBytes(wholeComment, kind.screen) + kPartCommentRoom + kLengthWord;
    const auto starts = splitIntoParts(screenBytes, fixedBytes, partSize);
    if (!starts) {
        plan.error = "one screen of the text does not fit a program of " +
                     std::to_string(partSize) + " bytes.";
        return plan;
    }
    const int count = static_cast<int>(starts->size());
    for (int index = 0; index < count; ++index) {
        const int part = count == 1 ? 0 : index + 1;
        const std::size_t first = (*starts)[static_cast<std::size_t>(index)];
        const std::size_t end =
            index + 1 < count ? (*starts)[static_cast<std::size_t>(index + 1)] : textScreens.size();
        BasicPart program;
        program.variableName = partCalculatorName(name, part);
        program.comment = commentTokens(
            program.variableName, partTitle(document.programName, part, count, kLongestComment),
            titleUnshown);
        for (std::size_t i = first; i < end; ++i) {
            std::vector<BasicToken> shown = std::move(textScreens[i]);
            const std::vector<BasicToken> status =
                basicStatusRow(part, i - first + 1, end - first, kind.screen.columns);
            shown.insert(shown.end(), status.begin(), status.end());
            program.screens.push_back(std::move(shown));
        }
        plan.parts.push_back(std::move(program));
    }
    addUnshown(plan.unshown, titleUnshown);
    return plan;
}

BasicBuilt buildBasicPrograms(const Document& document, std::string_view baseName,
                              const BasicKind& kind, std::size_t partSize) {
    BasicBuilt built;
    BasicPlan plan = planBasicProgram(document, kind, partSize);
    built.unshown = std::move(plan.unshown);
    if (!plan.error.empty()) {
        built.error = std::move(plan.error);
        return built;
    }
    const int count = static_cast<int>(plan.parts.size());
    for (int index = 0; index < count; ++index) {
        const BasicPart& part = plan.parts[static_cast<std::size_t>(index)];
        const std::vector<BasicToken> tokens =
            basicProgramTokens(part.comment, part.screens, kind.screen);
        const std::string body = basicProgramBytes(tokens);
        if (body.size() + kLengthWord > partSize) {
            built.error = "a program of " + std::to_string(body.size() + kLengthWord) +
                          " bytes exceeds the part size of " + std::to_string(partSize) + ".";
            built.files.clear();
            return built;
        }
        tifile::EntryFields fields;
        fields.type = tifile::kEditableProgramType;
        fields.version = basicProgramVersion(tokens);
        fields.ownerByte = kind.screen.rows == kColourHomeScreen.rows ? tifile::kCeOwnerByte : 0;
        tifile::Built file =
            tifile::buildProgramFile(CalculatorModel::TI83Plus, part.variableName, body, fields);
        if (!file.error.empty()) {
            built.error = std::move(file.error);
            built.files.clear();
            return built;
        }
        BasicProgramFile program;
        program.fileName =
            partFileName(baseName, kind.fileSuffix, count == 1 ? 0 : index + 1, ".8xp");
        program.variableName = part.variableName;
        program.bytes = std::move(file.bytes);
        program.programSize = body.size() + kLengthWord;
        program.screenCount = part.screens.size();
        built.files.push_back(std::move(program));
    }
    return built;
}

std::optional<std::size_t> basicPartSize(const BasicKind& kind,
                                         std::optional<std::size_t> requested, std::string& error) {
    if (!requested) {
        return kind.defaultPartSize;
    }
    const std::size_t largest = std::max(kBasicColour.largestPartSize, kind.largestPartSize);
    if (*requested < kSmallestBasicPartSize || *requested > largest) {
        error = "The part size must be between " + std::to_string(kSmallestBasicPartSize) +
                " and " + std::to_string(largest) + " bytes, not " + std::to_string(*requested) +
                ".";
        return std::nullopt;
    }
    return std::min(*requested, kind.largestPartSize);
}

BasicBuildOutcome runBasicBuild(const BasicBuildRequest& request) {
    BasicBuildOutcome outcome;
    for (const BasicKind* kind : {&kBasicColour, &kBasicMonochrome}) {
        const std::optional<std::size_t> partSize =
            basicPartSize(*kind, request.partSize, outcome.message);
        if (!partSize) {
            outcome.delivered.clear();
            return outcome;
        }
        BasicBuilt built = buildBasicPrograms(request.document, request.baseName, *kind, *partSize);
        if (!built.error.empty()) {
            outcome.message = "Compile as TI-BASIC failed: " + built.error;
            outcome.delivered.clear();
            return outcome;
        }
        addUnshown(outcome.unshown, built.unshown);
        for (BasicProgramFile& file : built.files) {
            outcome.delivered.push_back(std::move(file));
        }
    }
    if (std::string error = writeBasicPrograms(request.outputFolder, outcome.delivered);
        !error.empty()) {
        outcome.message = "Compile as TI-BASIC failed while writing the programs: " + error;
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

std::string writeBasicPrograms(const std::string& folder,
                               const std::vector<BasicProgramFile>& files) {
    for (const BasicProgramFile& file : files) {
        if (std::string error = writeFileAtomically(joinPath(folder, file.fileName), file.bytes);
            !error.empty()) {
            return error;
        }
    }
    return {};
}

} // namespace corvane
