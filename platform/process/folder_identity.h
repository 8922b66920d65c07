#pragma once

#include <string>

namespace corvane {

// True when the two paths name one and the same file or folder, however they are written:
// links are followed, and on POSIX the device and inode decide, on Windows the volume and
// file index. A path that does not exist names nothing and is the same as nothing. When
// Windows cannot open one of them for its identity, the full paths are compared ignoring
// letter case instead.
bool sameFileOrFolder(const std::string& a, const std::string& b);

} // namespace corvane
