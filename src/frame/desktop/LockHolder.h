// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

namespace tickwell {

// The process that holds a lock on a file, as far as this one can see it:
// enough to tell a user why the clock that holds it cannot be reached.
struct LockHolder {
    pid_t pid = 0; // 0 where it cannot be seen (another PID namespace, no /proc)
    bool userKnown = false;
    uid_t user = 0;
    // Known to run in another network namespace than this process.
    bool otherNetwork = false;
};

// The holder of the exclusive lock on the file `device`:`inode`, from /proc/locks.
LockHolder findLockHolder(dev_t device, ino_t inode);

} // namespace tickwell
