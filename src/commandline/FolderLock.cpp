// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/FolderLock.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <utility>

namespace tickwell {

namespace {
// "fd:01:1234": the device's major and minor number in hex, the inode in decimal.
bool sameFile(const std::string& field, dev_t device, ino_t inode)
{
    unsigned major = 0, minor = 0;
    unsigned long long number = 0;
    int used = 0;
    return std::sscanf(field.c_str(), "%x:%x:%llu%n", &major, &minor, &number, &used) == 3
        && std::size_t(used) == field.size() && major == ::major(device) && minor == ::minor(device)
        && number == inode;
}
} // namespace

FolderLock::FolderLock(std::filesystem::path folder)
    : m_folder(std::move(folder))
{
}

FolderLock::State FolderLock::tryLock()
{
    if (m_held)
        return State::Held;
    if (!m_descriptor.valid()) {
        // Close-on-exec: a program this one starts must not hold the lock
        // on past the clock's end.
        m_descriptor.reset(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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

FolderLock::Holder FolderLock::holder() const
{
    Holder holder;
    // "1: FLOCK  ADVISORY  WRITE 3284 fd:01:1234 0 EOF"; a process waiting
    // for the lock is listed with "->" before the kind, and is not its holder.
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        fields >> number >> kind >> mode >> access >> pid >> file;
        if (kind != "FLOCK" || access != "WRITE" || !sameFile(file, m_device, m_inode))
            continue;
        if (std::from_chars(pid.data(), pid.data() + pid.size(), holder.pid).ec != std::errc()
            || holder.pid <= 0)
            return {};
        break;
    }
    // /proc's folder of a process belongs to the user it runs as.
    struct stat info { };
    if (holder.pid != 0 && ::stat(("/proc/" + std::to_string(holder.pid)).c_str(), &info) == 0) {
        holder.userKnown = true;
        holder.user = info.st_uid;
    }
    return holder;
}

} // namespace tickwell
