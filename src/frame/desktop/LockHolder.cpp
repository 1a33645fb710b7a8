// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/LockHolder.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>

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

std::filesystem::path networkOf(const std::string& process)
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/" + process + "/ns/net", error);
}
} // namespace

LockHolder findLockHolder(dev_t device, ino_t inode)
{
    LockHolder holder;
    // "1: FLOCK  ADVISORY  WRITE 3284 fd:01:1234 0 EOF"; a process waiting
    // for the lock is listed with "->" before the kind, and is not its holder.
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        fields >> number >> kind >> mode >> access >> pid >> file;
        if (kind != "FLOCK" || access != "WRITE" || !sameFile(file, device, inode))
            continue;
        if (std::from_chars(pid.data(), pid.data() + pid.size(), holder.pid).ec != std::errc()
            || holder.pid <= 0)
            return {};
        break;
    }
    if (holder.pid == 0)
        return holder;

    // /proc's folder of a process belongs to the user it runs as.
    const std::string process = std::to_string(holder.pid);
    struct stat info { };
    if (::stat(("/proc/" + process).c_str(), &info) == 0) {
        holder.userKnown = true;
        holder.user = info.st_uid;
    }
    // Only a process of this user's own can be looked into so far.
    const std::filesystem::path theirs = networkOf(process);
    holder.otherNetwork = !theirs.empty() && theirs != networkOf("self");
    return holder;
}

} // namespace tickwell
