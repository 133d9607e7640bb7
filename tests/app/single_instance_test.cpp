// The single-instance guard: one holder at a time, and a holder that died without
// letting go never blocks the next start.
#include "app/single_instance.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_folder.h"

namespace plindar {
namespace {

TEST(SingleInstance, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    test::TempFolder folder;
    const std::string path = folder.Path() + "guard.lock";
    {
        CSingleInstanceGuard first(path);
        ASSERT_EQ(first.TryAcquire(), InstanceLock::Acquired) << first.ErrorText();
        CSingleInstanceGuard second(path);
        EXPECT_EQ(second.TryAcquire(), InstanceLock::Taken);
        EXPECT_EQ(second.TryAcquire(), InstanceLock::Taken);
    }
    CSingleInstanceGuard third(path);
    EXPECT_EQ(third.TryAcquire(), InstanceLock::Acquired);
}

TEST(SingleInstance, AHolderKilledWithoutCleaningUpLeavesNoBlockingLock) {
    test::TempFolder folder;
    const std::string path = folder.Path() + "guard.lock";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSingleInstanceGuard crashed(path);
        if (crashed.TryAcquire() == InstanceLock::Acquired) {
            raise(SIGKILL);  // no destructor, no unlock: as a crash leaves it
        }
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child did not get the lock";
    ASSERT_EQ(access(path.c_str(), F_OK), 0) << "the lock file should still be there";

    CSingleInstanceGuard next(path);
    EXPECT_EQ(next.TryAcquire(), InstanceLock::Acquired);
}

TEST(SingleInstance, AnUnusableFolderIsReportedAsAFailureNotAsTaken) {
    CSingleInstanceGuard guard("/nonexistent-folder-for-plindar/guard.lock");
    EXPECT_EQ(guard.TryAcquire(), InstanceLock::Failed);
    EXPECT_NE(guard.ErrorText().find("/nonexistent-folder-for-plindar/guard.lock"),
              std::string::npos);
}

TEST(SingleInstance, TheLockLivesInTheUsersRuntimeFolderElseTheTemporaryOne) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string kept = saved != nullptr ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(SingleInstanceLockPath(), "/run/user/4242/Zorvu_Plindar.lock");
    unsetenv("XDG_RUNTIME_DIR");
    std::string fallback = SingleInstanceLockPath();
    EXPECT_NE(fallback.find("/Zorvu_Plindar-" + std::to_string(getuid()) + ".lock"),
              std::string::npos)
        << fallback;
    if (saved != nullptr) {
        setenv("XDG_RUNTIME_DIR", kept.c_str(), 1);
    }
}

}  // namespace
}  // namespace plindar
