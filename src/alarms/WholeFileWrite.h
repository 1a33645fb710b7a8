// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <utility>

// Writing a whole file so that no failure and no kill at any moment leaves
// anything but the old file or the new one.
namespace tickwell {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept
        : m_fd(fd)
    {
    }
    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    ~FileDescriptor() { close(); }

    int get() const noexcept { return m_fd; }
    bool valid() const noexcept { return m_fd >= 0; }
    void reset(int fd) noexcept
    {
        close();
        m_fd = fd;
    }
    // Reports the error of the final close, which can be the first word of a failed write.
    int close() noexcept;

private:
    int m_fd;
};

std::string reasonText(int error);
// Every byte, at the file's offset or at `offset`; false with errno set otherwise.
bool writeAll(int fd, std::string_view bytes) noexcept;
bool writeAllAt(int fd, std::string_view bytes, std::size_t offset) noexcept;

struct WriteOutcome {
    int error = 0; // errno of the failure; 0 on success
    // After a failure: the file reads as it did before.
    bool readsAsBefore = true;
    // The new file could not be made beside the old one for want of rights:
    // the caller may write in place instead.
    bool noRoomBeside = false;
    // After a rewrite in place: the file still holds the journal, so it is
    // not the new bytes alone, though it reads as them.
    bool journalLeft = false;
    struct stat status { }; // of the file written, on success and after a rewrite in place

    bool ok() const noexcept { return error == 0; }
};

// Writes `bytes` to a new file beside `target` and renames it over `target`,
// with the permissions of `old` when the target exists.
WriteOutcome replaceByRename(
    const std::filesystem::path& target, std::string_view bytes, const struct stat* old);

// Writes `bytes` over `target` itself through a rewrite journal; space for
// all of it is taken before the first old byte is overwritten. The file is
// first cut to `keptLength`, which drops what an earlier rewrite left unfinished.
WriteOutcome rewriteInPlace(
    const std::filesystem::path& target, std::string_view bytes, std::size_t keptLength);

// The temporary files replaceByRename() names after `target`, with the
// process id in their name; those of processes that no longer run are removed.
void removeLeftoverTemporaries(const std::filesystem::path& target);

} // namespace tickwell
