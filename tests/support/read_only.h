#pragma once

// A guard that makes a file or folder read-only for a test, even for the superuser.

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef QT_CORE_LIB
#include <QFile>
#include <QString>
#endif

namespace corvane::test {

#ifdef _WIN32

// The read-only attribute stops writes to a file; a folder's does not stop files being
// created in it, so for a folder engaged() is false and the test is skipped.
class ReadOnly {
  public:
#ifdef QT_CORE_LIB
    explicit ReadOnly(const QString& path) : ReadOnly(path.toStdString()) {}
#endif
    // A path in the libraries' form, UTF-8.
    explicit ReadOnly(const std::string& path) : path_(std::filesystem::path(path).wstring()) {
        attributes_ = ::GetFileAttributesW(path_.c_str());
        if (attributes_ == INVALID_FILE_ATTRIBUTES || (attributes_ & FILE_ATTRIBUTE_DIRECTORY)) {
            return;
        }
        engaged_ = ::SetFileAttributesW(path_.c_str(), attributes_ | FILE_ATTRIBUTE_READONLY);
    }
    ~ReadOnly() {
        if (engaged_) {
            ::SetFileAttributesW(path_.c_str(), attributes_);
        }
    }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

    bool engaged() const {
        return engaged_;
    }

  private:
    std::wstring path_;
    DWORD attributes_ = INVALID_FILE_ATTRIBUTES;
    bool engaged_ = false;
};

#else

// Takes away write permission; the superuser ignores permissions, so for it the immutable
// attribute is set as well. engaged() is false when neither stops a write, and the test
// should then be skipped. Everything is restored on destruction.
class ReadOnly {
  public:
#ifdef QT_CORE_LIB
    // A path as a window's text gives it.
    explicit ReadOnly(const QString& path) : ReadOnly(QFile::encodeName(path).toStdString()) {}
#endif
    explicit ReadOnly(std::string path) : path_(std::move(path)) {
        struct stat info {};
        if (::stat(path_.c_str(), &info) != 0) {
            return;
        }
        mode_ = info.st_mode & 07777;
        ::chmod(path_.c_str(), mode_ & ~0222);
        if (::geteuid() != 0) {
            engaged_ = true;
            return;
        }
        engaged_ = setImmutable(true);
        immutable_ = engaged_;
    }
    ~ReadOnly() {
        if (immutable_) {
            setImmutable(false);
        }
        ::chmod(path_.c_str(), mode_);
    }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

    bool engaged() const {
        return engaged_;
    }

  private:
    bool setImmutable(bool on) {
        const int descriptor = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        if (descriptor < 0) {
            return false;
        }
        int flags = 0;
        bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(descriptor);
        return done;
    }

    std::string path_;
    mode_t mode_ = 0;
    bool engaged_ = false;
    bool immutable_ = false;
};

#endif

} // namespace corvane::test
