// The assembler on arbitrary source text held in memory. The input is split at NUL bytes:
// the first part is the source, the next ones are the include files "1.inc", "2.inc", ...
// ("ion.inc" is the real one). Every run must end in bytes or in errors, never in a crash,
// a hang or a leak.
#include "assembler.h"
#include "fuzz_support.h"

#include <cstdint>
#include <map>
#include <string>

using namespace corvane;
using corvane::fuzz::check;

namespace {

const std::string& ionInclude() {
    static const std::string text =
        fuzz::readBytes(std::string(CORVANE_SOURCE_DIR) + "/toolchain/ion/ion.inc");
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    std::string_view source = bytes;
    std::map<std::string, std::string, std::less<>> files{{"ion.inc", ionInclude()}};
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
        source = bytes.substr(0, nul);
        std::string_view rest = bytes.substr(nul + 1);
        for (int n = 1; !rest.empty(); ++n) {
            const std::size_t end = std::min(rest.find('\0'), rest.size());
            files[std::to_string(n) + ".inc"] = std::string(rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }

    asm83::AssemblyInput input;
    input.sourcePath = "fuzz.z80";
    input.sourceText = std::string(source);
    input.resolveInclude = [&files](const std::string& name, const std::string&) {
        const auto found = files.find(name);
        return found == files.end() ? std::nullopt
                                    : std::optional(asm83::IncludedFile{name, found->second});
    };
    // The size picks the output form, so each form sees every kind of source.
    switch (size % 3) {
    case 0:
        input.form = asm83::OutputForm::Binary;
        break;
    case 1:
        input.form = asm83::OutputForm::TI83;
        input.programName = "fuzz";
        break;
    default:
        input.form = asm83::OutputForm::TI83Plus;
        input.programName = "fuzz";
        input.defines.emplace_back("TI83P", "");
        break;
    }
    const asm83::AssemblyResult result = asm83::assemble(input);
    if (result.ok()) {
        check(input.form == asm83::OutputForm::Binary ? result.output == result.image
                                                      : !result.output.empty(),
              "an assembly without errors gave no output");
    } else {
        check(result.output.empty(), "an assembly with errors gave output");
        check(!result.messages.empty(), "an assembly with errors said nothing");
    }
    return 0;
}
