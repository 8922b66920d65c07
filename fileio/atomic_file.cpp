#include "atomic_file.h"

#include "native_path.h"
#include "system_error.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace corvane {

namespace {

std::string temporaryNameBeside(const std::string& target) {
    static std::mt19937 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<int> pick(0, sizeof(kDigits) - 2);
    std::string name = target + ".part-";
    for (int i = 0; i < 8; ++i) {
        name += kDigits[pick(generator)];
    }
    return name;
}

#ifdef _WIN32

// The C library's errno for the common reasons a file operation fails on Windows, so that
// every failure is described the same way.
int errnoFromWindows(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

// The file a symbolic link or junction names, or empty when `path` is none.
std::string linkTarget(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return {};
    }
    HANDLE file =
        ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length =
        ::GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length);
        length = ::GetFinalPathNameByHandleW(file, resolved.data(),
                                             static_cast<DWORD>(resolved.size()), 0);
    }
    ::CloseHandle(file);
    resolved.resize(length < resolved.size() ? length : 0);
    // The system names it "\\?\C:\..."; the plain form is what the rest of the program uses.
    if (resolved.starts_with(L"\\\\?\\")) {
        resolved.erase(0, 4);
    }
    return narrow(resolved);
}

// The C library's file functions for a narrow path.
using FileStatus = struct _stat64;
int statusOf(const std::string& path, FileStatus& status) {
    return ::_wstat64(widen(path).c_str(), &status);
}
bool mayWrite(const std::string& path) {
    return ::_waccess(widen(path).c_str(), W_OK) == 0;
}
int openPath(const std::string& path, int flags, int mode = 0) {
    return ::_wopen(widen(path).c_str(), flags, mode);
}

#else

std::string linkTarget(const std::string& path) {
    struct stat link {};
    std::string resolved;
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* target = ::realpath(path.c_str(), nullptr); target != nullptr) {
            resolved = target;
            std::free(target);
        }
    }
    return resolved;
}

using FileStatus = struct stat;
int statusOf(const std::string& path, FileStatus& status) {
    return ::stat(path.c_str(), &status);
}
bool mayWrite(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}
int openPath(const std::string& path, int flags, mode_t mode = 0) {
    return ::open(path.c_str(), flags, mode);
}

#endif

// In text mode Windows would write every LF as CR LF.
#ifdef _WIN32
constexpr int kBinaryMode = O_BINARY;
#else
constexpr int kBinaryMode = 0;
#endif

// Writes everything the file holds through to the disk.
bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#ifdef _WIN32
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::fileno(file)));
    if (!::FlushFileBuffers(handle)) {
        errno = errnoFromWindows(::GetLastError());
        return false;
    }
    return true;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

} // namespace

bool replaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // rename() refuses an existing target on Windows; this replaces it in one step.
    if (!::MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        errno = errnoFromWindows(::GetLastError());
        return false;
    }
    return true;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

AtomicFile::AtomicFile(std::string targetPath) : target_(std::move(targetPath)) {
    // A link is followed, so that the file it names is replaced and the link stays.
    if (std::string resolved = linkTarget(target_); !resolved.empty()) {
        target_ = std::move(resolved);
    }
    // Windows keeps no mode bits beyond read-only, which a target that may be written has not.
    [[maybe_unused]] mode_t mode = 0666;
    [[maybe_unused]] bool replacesExisting = false;
    FileStatus existing{};
    if (statusOf(target_, existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            errno = EISDIR;
            fail("cannot be written");
            return;
        }
        if (!mayWrite(target_)) {
            fail("cannot be written");
            return;
        }
        mode = existing.st_mode & 07777;
        replacesExisting = true;
    }
    for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
        temporary_ = temporaryNameBeside(target_);
#ifdef _WIN32
        const int descriptor =
            openPath(temporary_, O_WRONLY | O_CREAT | O_EXCL | kBinaryMode, S_IREAD | S_IWRITE);
        if (descriptor >= 0) {
#else
        const int descriptor = openPath(temporary_, O_WRONLY | O_CREAT | O_EXCL, mode);
        if (descriptor >= 0) {
            if (replacesExisting) {
                ::fchmod(descriptor, mode); // the umask must not narrow an existing file's mode
            }
#endif
            file_ = ::fdopen(descriptor, "wb");
            if (file_ == nullptr) {
                ::close(descriptor);
                break;
            }
        } else if (errno != EEXIST) {
            break;
        }
    }
    if (file_ == nullptr) {
        temporary_.clear();
        if (replacesExisting && (errno == EACCES || errno == EPERM) && openInPlace()) {
            return;
        }
        fail("cannot be created");
    }
}

// The folder takes no new file, so nothing can be written beside the target: the target is
// written in place, as QSaveFile's direct-write fallback does. A failure part-way then
// leaves it incomplete; the error says so with its name, like any other.
bool AtomicFile::openInPlace() {
    const int descriptor = openPath(target_, O_WRONLY | O_TRUNC | kBinaryMode);
    if (descriptor < 0) {
        return false;
    }
    file_ = ::fdopen(descriptor, "wb");
    if (file_ == nullptr) {
        ::close(descriptor);
        return false;
    }
    inPlace_ = true;
    return true;
}

AtomicFile::~AtomicFile() {
    if (!committed_) {
        discard();
    }
}

void AtomicFile::fail(const std::string& what) {
    if (error_.empty()) {
        error_ = describeSystemError(target_, what);
    }
}

void AtomicFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        removeFile(temporary_);
        temporary_.clear();
    }
}

bool AtomicFile::write(std::string_view bytes) {
    if (!ok()) {
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail("cannot be written");
        discard();
    }
    return ok();
}

bool AtomicFile::commit() {
    if (!ok()) {
        return false;
    }
    if (!flushToDisk(file_)) {
        fail("cannot be written");
        discard();
        return false;
    }
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) {
        fail("cannot be written");
        discard();
        return false;
    }
    if (!inPlace_ && !replaceFile(temporary_, target_)) {
        fail("cannot be replaced");
        discard();
        return false;
    }
    temporary_.clear();
    committed_ = true;
    return true;
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    file.write(bytes);
    file.commit();
    return file.error();
}

} // namespace corvane
