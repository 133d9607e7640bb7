// The single-instance lock file.
#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace plindar {

namespace {

constexpr mode_t kLockFileMode = 0600;

}  // namespace

std::string SingleInstanceLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/" + kSingleInstanceName + ".lock";
    }
    const char* temp = std::getenv("TMPDIR");
    std::string folder = temp != nullptr && temp[0] == '/' ? temp : "/tmp";
    return folder + "/" + kSingleInstanceName + "-" + std::to_string(getuid()) + ".lock";
}

CSingleInstanceGuard::CSingleInstanceGuard(std::string path) : path_(std::move(path)) {}

CSingleInstanceGuard::~CSingleInstanceGuard() {
    if (fd_ >= 0) {
        // The file stays: removing it could let a third copy lock a new file while
        // a second still holds the old one open.
        close(fd_);
    }
}

InstanceLock CSingleInstanceGuard::TryAcquire() {
    if (fd_ >= 0) {
        return InstanceLock::Acquired;
    }
    int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
    if (fd < 0) {
        error_text_ = path_ + ": " + std::strerror(errno);
        return InstanceLock::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        if (error == EWOULDBLOCK) {
            return InstanceLock::Taken;
        }
        error_text_ = path_ + ": " + std::strerror(error);
        return InstanceLock::Failed;
    }
    // For whoever wonders which process holds it.
    std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) == 0) {
        ssize_t written = write(fd, pid.data(), pid.size());
        (void)written;
    }
    fd_ = fd;
    return InstanceLock::Acquired;
}

}  // namespace plindar
