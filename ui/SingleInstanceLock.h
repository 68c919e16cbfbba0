// Tells whether another instance of the same executable runs for this user:
// an advisory lock on a file in the user's runtime folder. The system drops
// the lock with the process that held it, so a crashed instance never leaves
// it stuck.
#pragma once

#include <string>

namespace speclore {

class SingleInstanceLock {
public:
    explicit SingleInstanceLock(std::string lockFilePath);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // true when this process holds the lock now; false when another process
    // holds it. A lock file that cannot be made at all counts as free: an
    // instance too many is better than a program that never starts.
    bool tryAcquire();

    // The lock file for an executable, in the user's runtime folder and named
    // after a hash of the executable's full path.
    static std::string lockFileFor(const std::string& executablePath);

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace speclore
