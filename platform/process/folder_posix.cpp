#include "folder_identity.h"
#include "folder_lock.h"
#include "system_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace corvane {

namespace {

constexpr std::intptr_t kClosed = -1;

} // namespace

bool sameFileOrFolder(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
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
        // A lock file another user created may be read-only to us; flock works all the same.
        int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (fd < 0) {
            error_ = describeSystemError(path_, "cannot be opened");
            return Attempt::NoLockFile;
        }
        handle_ = fd;
    }
    if (::flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return Attempt::Held;
    }
    if (errno == EWOULDBLOCK || errno == EINTR) {
        return Attempt::Taken;
    }
    error_ = describeSystemError(path_, "cannot be locked");
    unlock();
    return Attempt::NoLockFile;
}

void FolderLock::unlock() {
    if (handle_ != kClosed) {
        // Closing the only descriptor of the lock file releases the lock.
        ::close(static_cast<int>(handle_));
        handle_ = kClosed;
    }
    held_ = false;
}

} // namespace corvane
