#include "tool_chain.h"

namespace corvane::test {

namespace fs = std::filesystem;

fs::path appDir() {
    return CORVANE_APP_DIR;
}

void copyToolChain(const fs::path& folder) {
    fs::create_directories(folder);
#ifdef _WIN32
    const char* const asm83 = "asm83.exe";
#else
    const char* const asm83 = "asm83";
#endif
    for (const char* name : {asm83, "ion.inc", "reader.inc", "asm.bat"}) {
        fs::copy_file(appDir() / name, folder / name, fs::copy_options::overwrite_existing);
    }
}

} // namespace corvane::test
