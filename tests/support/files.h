#pragma once

// Whole files read and written in one call, by path; QtTest programs pass a QString and get a
// QByteArray.

#include <filesystem>
#include <string>
#include <string_view>

#ifdef QT_CORE_LIB
#include <QByteArray>
#include <QFile>
#include <QString>
#endif

namespace corvane::test {

// The file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Replaces the file's contents with `bytes`; false when they could not all be written.
bool writeFile(const std::filesystem::path& path, std::string_view bytes);

// A symbolic link at `link` to `target`; false where the system does not make one.
bool createFileLink(const std::string& target, const std::string& link);
// True when `path` is a symbolic link (libstdc++'s std::filesystem does not see links on
// Windows).
bool isFileLink(const std::string& path);

#ifdef QT_CORE_LIB
inline std::filesystem::path localPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return QFile::encodeName(path).toStdString();
#endif
}
inline QByteArray readFile(const QString& path) {
    return QByteArray::fromStdString(readFile(localPath(path)));
}
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    return writeFile(localPath(path), std::string_view(bytes.constData(), bytes.size()));
}
#endif

} // namespace corvane::test
