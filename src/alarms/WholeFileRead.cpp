// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/WholeFileRead.h"

#include "alarms/WholeFileWrite.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tickwell {

std::string tooLargeReason(std::uintmax_t limit)
{
    return limit >= (std::uintmax_t(1) << 20) ? "it is larger than " + std::to_string(limit >> 20) + " MB"
                                              : "it is larger than " + std::to_string(limit >> 10) + " KB";
}

bool readWholeFile(
    const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes, std::string& failure)
{
    FileDescriptor file { ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) };
    if (!file.valid()) {
        failure = reasonText(errno);
        return false;
    }
    struct stat info { };
    if (::fstat(file.get(), &info) != 0) {
        failure = reasonText(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        failure = notRegularFileReason;
        return false;
    }
    if (std::uintmax_t(info.st_size) > limit) {
        failure = tooLargeReason(limit);
        return false;
    }
    bytes.clear();
    bytes.reserve(std::size_t(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), chunk, sizeof chunk);
        if (count == 0)
            return true;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            failure = reasonText(errno);
            return false;
        }
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() + std::size_t(count) > limit) {
            failure = tooLargeReason(limit);
            return false;
        }
        bytes.append(chunk, std::size_t(count));
    }
}

std::filesystem::path resolveLinks(std::filesystem::path path)
{
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error))
            return path;
        std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

} // namespace tickwell
