#pragma once

#include <filesystem>

namespace corvane::test {

// The program folder of this build: asm83, ion.inc, reader.inc and asm.bat.
std::filesystem::path appDir();

// Copies asm83, ion.inc, reader.inc and asm.bat into `folder`, so that a test may break or watch
// its own tool chain.
void copyToolChain(const std::filesystem::path& folder);

} // namespace corvane::test
