// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/WholeFileWrite.h"

#include <filesystem>
#include <sys/types.h>

namespace tickwell {

// An exclusive lock on a directory, held for as long as the object lives.
//
// The lock is on the directory itself, the one thing that every path, link,
// bind mount, user and namespace that reaches a file in it reaches too. It
// belongs to this process's open descriptor, which no program this one
// starts inherits: a process that ends, however it ends, leaves it free.
class DirectoryLock {
public:
    explicit DirectoryLock(std::filesystem::path directory);

    enum class State {
        Held, // by this object
        Busy, // by another open descriptor of the directory: another clock
        // The directory cannot be opened or locked at all (no right to read
        // it, a file system without such locks).
        Unavailable,
    };
    // Takes the lock if it is free; never waits.
    State tryLock();
    bool held() const noexcept { return m_held; }
    // The errno of the last try that came to Unavailable.
    int error() const noexcept { return m_error; }
    // The directory's device and inode, once it has been opened.
    dev_t device() const noexcept { return m_device; }
    ino_t inode() const noexcept { return m_inode; }

private:
    std::filesystem::path m_directory;
    FileDescriptor m_descriptor;
    bool m_held = false;
    int m_error = 0;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace tickwell
