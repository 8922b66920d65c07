#include "atomic_file.h"

#include "system_error.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

AtomicFile::AtomicFile(std::string targetPath) : target_(std::move(targetPath)) {
    // A link is followed, so that the file it names is replaced and the link stays.
    struct stat link {};
    if (::lstat(target_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(target_.c_str(), nullptr); resolved != nullptr) {
            target_ = resolved;
            std::free(resolved);
        }
    }
    mode_t mode = 0666;
    bool replacesExisting = false;
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            errno = EISDIR;
            fail("cannot be written");
            return;
        }
        if (::access(target_.c_str(), W_OK) != 0) {
            fail("cannot be written");
            return;
        }
        mode = existing.st_mode & 07777;
        replacesExisting = true;
    }
    for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
        temporary_ = temporaryNameBeside(target_);
        const int descriptor = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
        if (descriptor >= 0) {
            if (replacesExisting) {
                ::fchmod(descriptor, mode); // the umask must not narrow an existing file's mode
            }
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
        fail("cannot be created");
    }
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
        ::unlink(temporary_.c_str());
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
    const bool flushed = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    if (!flushed) {
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
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
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
