// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/DirectoryLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <utility>

namespace tickwell {

DirectoryLock::DirectoryLock(std::filesystem::path directory)
    : m_directory(std::move(directory))
{
}

DirectoryLock::State DirectoryLock::tryLock()
{
    if (m_held)
        return State::Held;
    if (!m_descriptor.valid()) {
        // Close-on-exec: a program this one starts must not hold the lock
        // on past the clock's end.
        m_descriptor.reset(::open(m_directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat info { };
        if (!m_descriptor.valid() || ::fstat(m_descriptor.get(), &info) != 0) {
            m_error = errno;
            m_descriptor.reset(-1);
            return State::Unavailable;
        }
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }
    int result;
    do
        result = ::flock(m_descriptor.get(), LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_held = true;
        return State::Held;
    }
    if (errno == EWOULDBLOCK)
        return State::Busy;
    m_error = errno;
    return State::Unavailable;
}

} // namespace tickwell
