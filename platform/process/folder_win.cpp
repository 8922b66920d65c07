#include "folder_identity.h"
#include "folder_lock.h"
#include "native_path.h"

#include <string>
#include <utility>
#include <windows.h>

namespace corvane {

namespace {

std::string lastError() {
    wchar_t* text = nullptr;
    const DWORD code = GetLastError();
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? narrow(text) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

// The file or folder's identity; FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened.
bool identityOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file =
        CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return ok;
}

std::wstring fullPath(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return wide.c_str();
    }
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    full.resize(written);
    return full;
}

// INVALID_HANDLE_VALUE as a number.
constexpr std::intptr_t kClosed = -1;

HANDLE asHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

bool sameFileOrFolder(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    if (identityOf(a, first) && identityOf(b, second)) {
        return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
               first.nFileIndexHigh == second.nFileIndexHigh &&
               first.nFileIndexLow == second.nFileIndexLow;
    }
    const std::wstring fullA = fullPath(a);
    const std::wstring fullB = fullPath(b);
    return CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                                static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

FolderLock::FolderLock(std::string lockFile) : path_(std::move(lockFile)), handle_(kClosed) {}

FolderLock::~FolderLock() {
    unlock();
}

FolderLock::Attempt FolderLock::tryLock() {
    if (held_) {
        return Attempt::Held;
    }
    if (handle_ == kClosed) {
        // The handle is not inheritable (no security attributes), so the tool chain started
        // while the lock is held never keeps it.
        const std::wstring lockPath = widen(path_);
        HANDLE file = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            file = CreateFileW(lockPath.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        if (file == INVALID_HANDLE_VALUE) {
            error_ = path_ + ": cannot be opened: " + lastError();
            return Attempt::NoLockFile;
        }
        handle_ = reinterpret_cast<std::intptr_t>(file);
    }
    OVERLAPPED whole{};
    if (LockFileEx(asHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &whole)) {
        held_ = true;
        return Attempt::Held;
    }
    if (GetLastError() == ERROR_LOCK_VIOLATION) {
        return Attempt::Taken;
    }
    error_ = path_ + ": cannot be locked: " + lastError();
    unlock();
    return Attempt::NoLockFile;
}

void FolderLock::unlock() {
    if (handle_ != kClosed) {
        if (held_) {
            OVERLAPPED whole{};
            UnlockFileEx(asHandle(handle_), 0, 1, 0, &whole);
        }
        CloseHandle(asHandle(handle_));
        handle_ = kClosed;
    }
    held_ = false;
}

} // namespace corvane
