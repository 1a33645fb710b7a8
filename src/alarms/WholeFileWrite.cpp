// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/WholeFileWrite.h"

#include "alarms/RewriteJournal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace tickwell {

namespace {

std::filesystem::path directoryOf(const std::filesystem::path& target)
{
    std::filesystem::path directory = target.parent_path();
    return directory.empty() ? std::filesystem::path(".") : directory;
}

std::string temporaryPrefix(const std::filesystem::path& target)
{
    return "." + target.filename().string() + ".";
}

// Makes a rename durable.
void syncDirectory(const std::filesystem::path& directory)
{
    FileDescriptor dir { ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) };
    if (dir.valid())
        ::fsync(dir.get());
}

WriteOutcome failed(int error, bool readsAsBefore = true)
{
    WriteOutcome outcome;
    outcome.error = error == 0 ? EIO : error;
    outcome.readsAsBefore = readsAsBefore;
    return outcome;
}

// Calls `write` with what is left until every byte is written; false with
// errno set on a failure.
template <typename Write> bool writeEvery(std::string_view bytes, Write write) noexcept
{
    while (!bytes.empty()) {
        const ssize_t written = write(bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

int FileDescriptor::close() noexcept
{
    const int result = m_fd >= 0 ? ::close(m_fd) : 0;
    m_fd = -1;
    return result;
}

std::string reasonText(int error)
{
    return std::generic_category().message(error);
}

bool writeAll(int fd, std::string_view bytes) noexcept
{
    return writeEvery(bytes, [fd](std::string_view rest) { return ::write(fd, rest.data(), rest.size()); });
}

bool writeAllAt(int fd, std::string_view bytes, std::size_t offset) noexcept
{
    const std::size_t end = offset + bytes.size();
    return writeEvery(bytes, [fd, end](std::string_view rest) {
        return ::pwrite(fd, rest.data(), rest.size(), off_t(end - rest.size()));
    });
}

WriteOutcome replaceByRename(
    const std::filesystem::path& target, std::string_view bytes, const struct stat* old)
{
    const std::filesystem::path directory = directoryOf(target);
    FileDescriptor temp;
    std::string tempName;
    for (int attempt = 0; !temp.valid(); ++attempt) {
        tempName = (directory
            / (temporaryPrefix(target) + std::to_string(::getpid()) + "." + std::to_string(attempt) + ".tmp"))
                       .string();
        temp.reset(::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!temp.valid() && (errno == EACCES || errno == EPERM)) {
            WriteOutcome outcome = failed(errno);
            outcome.noRoomBeside = true;
            return outcome;
        }
        if (!temp.valid() && (errno != EEXIST || attempt == 100))
            return failed(errno);
    }
    const auto discardTemp = [&tempName](int error) {
        ::unlink(tempName.c_str());
        return failed(error);
    };

    if (old && ::fchmod(temp.get(), old->st_mode & 07777) != 0) {
        // The new file keeps the default permissions; not worth failing for.
    }
    if (!writeAll(temp.get(), bytes) || ::fsync(temp.get()) != 0)
        return discardTemp(errno);
    if (::rename(tempName.c_str(), target.c_str()) != 0)
        return discardTemp(errno);
    syncDirectory(directory);
    WriteOutcome outcome;
    // The rename itself touches the file's status, so it is read after.
    ::fstat(temp.get(), &outcome.status);
    return outcome;
}

WriteOutcome rewriteInPlace(
    const std::filesystem::path& target, std::string_view bytes, std::size_t keptLength)
{
    FileDescriptor file { ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC) };
    if (!file.valid())
        return failed(errno);
    struct stat info { };
    if (::fstat(file.get(), &info) != 0)
        return failed(errno);
    if (!S_ISREG(info.st_mode))
        return failed(EINVAL);
    const int fd = file.get();

    // What an earlier rewrite left unfinished is not part of the file.
    std::size_t oldSize = std::size_t(info.st_size);
    if (keptLength < oldSize && ::ftruncate(fd, off_t(keptLength)) == 0)
        oldSize = keptLength;

    const RewriteJournal journal = planRewriteJournal(oldSize, bytes);
    const auto rollBack = [&](int error) {
        const bool cut = ::ftruncate(fd, off_t(oldSize)) == 0 && ::fsync(fd) == 0;
        WriteOutcome outcome = failed(error);
        outcome.journalLeft = !cut;
        ::fstat(fd, &outcome.status);
        return outcome;
    };
    // The header first, on its own: from then on the reader knows the rest
    // for a journal, whatever of it is written. Then the gap and the new
    // text, which take the space the copy needs; the trailer last.
    if (!writeAllAt(fd, journal.header, journal.headerAt) || ::fsync(fd) != 0)
        return rollBack(errno);
    if (!writeAllAt(fd, journal.gap, journal.gapAt) || !writeAllAt(fd, bytes, journal.textAt)
        || ::fsync(fd) != 0)
        return rollBack(errno);
    if (!writeAllAt(fd, journal.trailer, journal.trailerAt) || ::fsync(fd) != 0)
        return rollBack(errno);

    // From here on the file reads as the new text: a failure leaves the
    // journal in place, which the next rewrite replaces.
    WriteOutcome outcome;
    if (!writeAllAt(fd, bytes, 0) || ::fsync(fd) != 0 || ::ftruncate(fd, off_t(bytes.size())) != 0
        || ::fsync(fd) != 0)
        outcome.journalLeft = true;
    ::fstat(fd, &outcome.status);
    if (file.close() != 0)
        outcome.journalLeft = true;
    return outcome;
}

void removeLeftoverTemporaries(const std::filesystem::path& target)
{
    const std::string prefix = temporaryPrefix(target);
    constexpr std::string_view suffix = ".tmp";
    std::error_code error;
    std::filesystem::directory_iterator entries(directoryOf(target), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0
            || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        // <pid>.<attempt>
        const std::string_view middle
            = std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        const std::size_t dot = middle.find('.');
        if (dot == std::string_view::npos || !allDigits(middle.substr(0, dot))
            || !allDigits(middle.substr(dot + 1)) || dot > 9)
            continue;
        const pid_t pid = pid_t(std::stol(std::string(middle.substr(0, dot))));
        if (pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH))
            ::unlink(entries->path().c_str());
    }
}

} // namespace tickwell
