// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/WholeFileWrite.h"

#include <filesystem>
#include <sys/types.h>

namespace tickwell {

// The exclusive lock on the folder of an alarm file that the clock holds
// for as long as it runs, and a command line while it works on the file.
//
// The lock is on the folder itself, the one thing that every path, link,
// bind mount, user and namespace that reaches a file in it reaches too. It
// belongs to this process's open descriptor, which no program this one
// starts inherits: a process that ends, however it ends, leaves it free.
class FolderLock {
public:
    explicit FolderLock(std::filesystem::path folder);

    enum class State {
        Held, // by this object
        Busy, // by another open descriptor of the folder: a clock, or a command line
        // The folder cannot be opened or locked at all (no right to read
        // it, a file system without such locks).
        Unavailable,
    };
    // Takes the lock if it is free; never waits.
    State tryLock();
    bool held() const noexcept { return m_held; }
    // The errno of the last try that came to Unavailable.
    int error() const noexcept { return m_error; }

    // The process that holds the lock, as far as this one can see it.
    struct Holder {
        pid_t pid = 0; // 0 where it cannot be seen (another PID namespace, no /proc)
        bool userKnown = false;
        uid_t user = 0;
    };
    // After Busy.
    Holder holder() const;

private:
    std::filesystem::path m_folder;
    FileDescriptor m_descriptor;
    bool m_held = false;
    int m_error = 0;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace tickwell
