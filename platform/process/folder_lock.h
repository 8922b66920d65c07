#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// An exclusive lock on a lock file, shared with every other process that locks the same
// file: flock on POSIX, LockFileEx on Windows. The lock file is created when missing and
// stays in place afterwards (removing it would let a waiting process lock a file that no
// longer has a name). The lock is never inherited by processes started while it is held.
class FolderLock {
  public:
    enum class Attempt {
        Held,      // this object now holds the lock
        Taken,     // another holder has it; try again later
        NoLockFile // the lock file can be neither created nor opened (see error())
    };

    explicit FolderLock(std::string lockFile);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // One attempt, without waiting.
    Attempt tryLock();
    // Lets go of the lock (when held) and closes the lock file.
    void unlock();
    bool held() const { return held_; }
    const std::string& error() const { return error_; }

  private:
    std::string path_;
    std::string error_;
    std::intptr_t handle_;
    bool held_ = false;
};

} // namespace corvane
