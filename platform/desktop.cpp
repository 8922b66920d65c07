#include "desktop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace corvane {

namespace {

namespace fs = std::filesystem;

#ifdef Q_OS_WIN
const QString kAsm83 = QStringLiteral("asm83.exe");
#else
const QString kAsm83 = QStringLiteral("asm83");
#endif

bool canCreateFilesIn(const QString& folder) {
    // Trying is the only answer that holds for access lists, read-only mounts and the
    // superuser alike.
    QTemporaryFile probe(folder + QStringLiteral("/.corvane-probe-XXXXXX"));
    return probe.open();
}

fs::path localPath(const QString& path) {
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

QString fromLocalPath(const fs::path& path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const auto sizeA = fs::file_size(a, error);
    const auto sizeB = error ? 0 : fs::file_size(b, error);
    const auto timeA = error ? fs::file_time_type() : fs::last_write_time(a, error);
    const auto timeB = error ? fs::file_time_type() : fs::last_write_time(b, error);
    return !error && sizeA == sizeB && timeA == timeB;
}

// Copies `from` beside `to`, gives the copy the original's time (so an unchanged file is
// known again by its size and time), and renames it over `to`.
std::string copyInto(const fs::path& from, const fs::path& to) {
    const fs::path part = fs::path(to).concat(".part");
    std::error_code error;
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::permissions(part, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                        error);
    }
    const auto written = error ? fs::file_time_type() : fs::last_write_time(from, error);
    if (!error) {
        fs::last_write_time(part, written, error);
    }
    if (!error) {
        fs::rename(part, to, error);
    }
    if (error) {
        fs::remove(part, error);
        return std::string(" could not be copied to ") + to.string() + ": " + error.message();
    }
    return {};
}

} // namespace

AppFolders appFoldersFor(const QString& programFolder, const QString& installedScripts,
                         const QString& perUserFolder, const QString& documentsFolder) {
    AppFolders folders;
    const bool holdsScripts = QFileInfo(programFolder + QStringLiteral("/asm.bat")).isFile();
    if (holdsScripts && canCreateFilesIn(programFolder)) {
        folders.appFolder = QDir::toNativeSeparators(programFolder);
        folders.firstWorkingFolder = folders.appFolder;
        return folders;
    }
    folders.appFolder = QDir::toNativeSeparators(perUserFolder);
    folders.firstWorkingFolder = QDir::toNativeSeparators(documentsFolder);
    // A portable copy its user may not write to (unpacked by another user) is used as
    // installed, with its tool chain where it stands.
    folders.installedScripts = holdsScripts ? programFolder : QDir::cleanPath(installedScripts);
    folders.installedPrograms = programFolder;
    return folders;
}

AppFolders findAppFolders() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QFileInfo(documents).isDir()) {
        documents = QDir::homePath();
    }
    return appFoldersFor(programFolder,
                         programFolder + QLatin1Char('/') +
                             QStringLiteral(CORVANE_SCRIPTS_FROM_PROGRAMS),
                         QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                             QStringLiteral("/toolchain"),
                         documents);
}

std::string toLibraryPath(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

QString fromLibraryMessage(const std::string& message) {
    return QFile::decodeName(QByteArray::fromStdString(message));
}

QString refreshToolChain(const AppFolders& folders) {
    if (folders.portable()) {
        return {};
    }
    const fs::path target = localPath(folders.appFolder);
    std::error_code error;
    fs::create_directories(target, error);
    if (error) {
        return QStringLiteral("The tool chain folder %1 cannot be created: %2")
            .arg(folders.appFolder, QString::fromLocal8Bit(error.message()));
    }
    const std::pair<QString, QString> files[] = {
        {folders.installedScripts, QStringLiteral("asm.bat")},
        {folders.installedScripts, QStringLiteral("ion.inc")},
        {folders.installedScripts, QStringLiteral("reader.inc")},
        {folders.installedPrograms, kAsm83},
    };
    for (const auto& [folder, name] : files) {
        const fs::path from = localPath(folder + QLatin1Char('/') + name);
        const fs::path to = target / localPath(name);
        if (sameFile(from, to)) {
            continue;
        }
        const std::string problem = copyInto(from, to);
        if (!problem.empty()) {
            return QStringLiteral("The installed tool chain file %1%2")
                .arg(fromLocalPath(from), QString::fromLocal8Bit(problem));
        }
    }
    return {};
}

std::function<void()> pendingEventsProcessor() {
    return [] { QCoreApplication::processEvents(); };
}

} // namespace corvane
