// The single-instance guard: one running copy of the window per user. A second
// copy finds the lock taken and ends at once, without touching the first.
#pragma once

#include <string>

namespace plindar {

// The name the guard is known by; its lock file is this name plus ".lock".
constexpr char kSingleInstanceName[] = "Zorvu_Plindar";

// The folder for the lock: $XDG_RUNTIME_DIR (per user, emptied at log-out), else
// the temporary folder, where the user id keeps users apart.
std::string SingleInstanceLockPath();

enum class InstanceLock {
    Acquired,  // this copy is the one that runs
    Taken,     // another copy runs
    Failed,    // the lock file could not be made; see the error text
};

// Holds an advisory lock (flock) on the lock file for as long as it lives. The
// kernel drops the lock when the process ends however it ends, so a copy that
// crashed never blocks the next start.
class CSingleInstanceGuard {
public:
    explicit CSingleInstanceGuard(std::string path = SingleInstanceLockPath());
    ~CSingleInstanceGuard();
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    InstanceLock TryAcquire();
    const std::string& Path() const { return path_; }
    const std::string& ErrorText() const { return error_text_; }

private:
    std::string path_;
    std::string error_text_;
    int fd_ = -1;
};

}  // namespace plindar
