// The TI program-file reader and the renaming of a delivered file on arbitrary bytes: the
// reader never reads past its input, a rename changes only the name and the checksum, and a
// file the reader refuses is left byte for byte as it was.
#include "fuzz_support.h"
#include "ti_program_file.h"

#include <cstdint>
#include <string>

using namespace corvane;
using corvane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    const tifile::Parsed parsed = tifile::parseProgramFile(bytes);
    check(parsed.file.has_value() == parsed.error.empty(), "a parse is neither sound nor refused");

    const std::string path = fuzz::scratchFolder() + "/tmp.83p";
    fuzz::writeBytes(path, bytes);
    const std::string error = tifile::renameProgramFile(path, "RENAMED");
    const std::string after = fuzz::readBytes(path);
    const bool sound = parsed.file && parsed.file->storedChecksum == parsed.file->computedChecksum;
    check(error.empty() == sound, "a rename took a damaged file or refused a sound one");
    if (!sound) {
        check(after == bytes, "a refused rename changed the file");
        return 0;
    }
    check(after.size() == bytes.size(), "a rename changed the file's length");
    const tifile::Parsed renamed = tifile::parseProgramFile(after);
    check(renamed.file.has_value(), "a renamed file no longer reads");
    check(renamed.file->name == "RENAMED", "the rename did not set the name");
    check(renamed.file->storedChecksum == renamed.file->computedChecksum,
          "a renamed file has a wrong checksum");
    check(renamed.file->body == parsed.file->body && renamed.file->type == parsed.file->type &&
              renamed.file->model == parsed.file->model,
          "a rename changed more than the name");

    // A sound file written again from what was read is what was read.
    if (parsed.file->type == tifile::kProtectedProgramType &&
        tifile::isValidVariableName(parsed.file->name)) {
        const tifile::Built built =
            tifile::buildProgramFile(parsed.file->model, parsed.file->name, parsed.file->body);
        if (built.error.empty()) {
            const tifile::Parsed rebuilt = tifile::parseProgramFile(built.bytes);
            check(rebuilt.file && rebuilt.file->body == parsed.file->body,
                  "a rebuilt file does not read back");
        }
    }
    return 0;
}
