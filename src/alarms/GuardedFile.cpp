// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/GuardedFile.h"

#include "alarms/RewriteJournal.h"
#include "alarms/WholeFileRead.h"
#include "alarms/WholeFileWrite.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace tickwell {

namespace {

std::int64_t nanoseconds(const timespec& time)
{
    return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

SeenFile seenFrom(const struct stat& info)
{
    SeenFile seen;
    seen.known = true;
    seen.exists = true;
    seen.device = info.st_dev;
    seen.inode = info.st_ino;
    seen.size = std::uint64_t(info.st_size);
    seen.modified = nanoseconds(info.st_mtim);
    seen.changed = nanoseconds(info.st_ctim);
    seen.keptLength = seen.size;
    return seen;
}

SeenFile seenMissing()
{
    SeenFile seen;
    seen.known = true;
    seen.sum = checksum({});
    seen.sumKnown = true;
    return seen;
}

bool sameFile(const SeenFile& a, const SeenFile& b)
{
    return a.exists == b.exists
        && (!a.exists
            || (a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified == b.modified
                && a.changed == b.changed));
}

// "Alarm.dat.changed-by-another-program-2030-03-08-093000": when the other
// program last wrote it.
std::string keptAsideStem(const std::filesystem::path& target, std::int64_t modified)
{
    const std::time_t seconds = std::time_t(modified / 1'000'000'000);
    std::tm local {};
    char stamp[32] = "unknown-time";
    if (::localtime_r(&seconds, &local))
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    return target.filename().string() + ".changed-by-another-program-" + stamp;
}

bool copyFile(
    const std::filesystem::path& from, const std::filesystem::path& to, std::uintmax_t largest, int& error)
{
    std::string bytes, failure;
    FileDescriptor out { ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600) };
    if (!out.valid()) {
        error = errno;
        return false;
    }
    if (!readWholeFile(from, largest, bytes, failure) || !writeAll(out.get(), bytes)
        || ::fsync(out.get()) != 0 || out.close() != 0) {
        error = errno == 0 ? EIO : errno;
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

// Keeps the file as it is now under a name beside it that says what it is: a
// second name for the same file where the file system allows one, else a copy.
std::filesystem::path keepAside(
    const std::filesystem::path& target, std::int64_t modified, std::uintmax_t largest, int& error)
{
    const std::string stem = keptAsideStem(target, modified);
    for (int n = 1; n <= 100; ++n) {
        const std::filesystem::path name
            = target.parent_path() / (n == 1 ? stem : stem + "-" + std::to_string(n));
        if (::link(target.c_str(), name.c_str()) == 0)
            return name;
        error = errno;
        if (error == EEXIST)
            continue;
        if (error != EPERM && error != EXDEV && error != EMLINK && error != EOPNOTSUPP)
            return {};
        if (copyFile(target, name, largest, error))
            return name;
        if (error != EEXIST)
            return {};
    }
    return {};
}

} // namespace

GuardedFile::GuardedFile(std::uintmax_t largest)
    : m_largest(largest)
{
}

std::optional<std::string> GuardedFile::read(const std::filesystem::path& target, std::string& failure)
{
    failure.clear();
    removeLeftoverTemporaries(target);
    struct stat info { };
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            failure = reasonText(errno);
        m_seen = seenMissing();
        return std::nullopt;
    }
    m_seen = seenFrom(info);
    std::string bytes;
    if (!readWholeFile(target, m_largest, bytes, failure))
        return std::nullopt;
    m_seen.sum = checksum(bytes);
    m_seen.sumKnown = true;
    const ResolvedFile resolved = resolveRewriteJournal(bytes);
    m_seen.plain = !resolved.journal;
    m_seen.keptLength = resolved.keptLength;
    return std::string(resolved.text);
}

bool GuardedFile::canAppend(const std::filesystem::path& target)
{
    struct stat info { };
    const SeenFile now = ::stat(target.c_str(), &info) == 0 ? seenFrom(info) : seenMissing();
    if (!m_seen.known)
        m_seen = now; // written before it was read: taken as it is
    return sameFile(now, m_seen) && m_seen.plain;
}

StoreResult GuardedFile::append(
    const std::filesystem::path& target, std::string bytes, std::string_view lineEnd)
{
    struct stat info { };
    FileDescriptor file { ::open(
        target.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666) };
    bool canRead = true;
    if (!file.valid() && errno == EACCES) {
        file.reset(::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
        canRead = false;
    }
    if (!file.valid())
        return { reasonText(errno) };
    if (::fstat(file.get(), &info) != 0)
        return { reasonText(errno) };
    if (!S_ISREG(info.st_mode))
        return { notRegularFileReason };
    if (std::uintmax_t(info.st_size) > m_largest)
        return { tooLargeReason(m_largest) };

    // A line edited by hand may lack its end; what is added must not be
    // glued to it.
    char last = '\n';
    if (canRead && info.st_size > 0 && ::pread(file.get(), &last, 1, info.st_size - 1) == 1 && last != '\n'
        && last != '\r')
        bytes.insert(0, lineEnd);

    const std::uint64_t sumBefore = m_seen.sum;
    const bool sumKnown = m_seen.sumKnown && canRead;
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0) {
        const int error = errno;
        // Should the cut fail as well, the reader stops at the broken record
        // and keeps it, so the alarms before it stay; the next write then
        // rewrites the whole file.
        const bool cut = ::ftruncate(file.get(), info.st_size) == 0;
        if (::fstat(file.get(), &info) == 0) {
            m_seen = seenFrom(info);
            m_seen.sum = sumBefore;
            m_seen.sumKnown = cut && sumKnown;
            m_seen.plain = cut;
        }
        return { reasonText(error) };
    }
    ::fstat(file.get(), &info);
    if (file.close() != 0)
        return { reasonText(errno) };
    m_seen = seenFrom(info);
    m_seen.sum = checksum(bytes, sumBefore);
    m_seen.sumKnown = sumKnown;
    return {};
}

StoreResult GuardedFile::replace(const std::filesystem::path& target, std::string_view bytes)
{
    if (bytes.size() > m_largest)
        return { tooLargeReason(m_largest) };

    struct stat old { };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return { notRegularFileReason };
    // A file the user made read-only stays as it is, although its directory
    // would let us replace it.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return { reasonText(errno) };
    const SeenFile now = exists ? seenFrom(old) : seenMissing();
    if (!m_seen.known)
        m_seen = now;

    // Another program's version: the same bytes under new dates are no news.
    bool changedElsewhere = false;
    if (exists && !sameFile(now, m_seen)) {
        std::string bytesNow, failure;
        changedElsewhere = !m_seen.sumKnown || !readWholeFile(target, m_largest, bytesNow, failure)
            || checksum(bytesNow) != m_seen.sum;
    }
    StoreResult result;
    if (changedElsewhere) {
        int error = 0;
        result.keptAside = keepAside(target, now.modified, m_largest, error);
        if (result.keptAside.empty()) {
            result.failure = "another program changed it, and that version could not be kept beside it ("
                + reasonText(error) + ")";
            result.fileAsBefore = false;
            return result;
        }
    }

    WriteOutcome outcome = replaceByRename(target, bytes, exists ? &old : nullptr);
    if (outcome.noRoomBeside && exists)
        outcome = rewriteInPlace(target, bytes, sameFile(now, m_seen) ? m_seen.keptLength : now.size);

    if (!outcome.ok()) {
        if (!result.keptAside.empty())
            ::unlink(result.keptAside.c_str());
        if (outcome.status.st_ino != 0) {
            // Rolled back in place: the same bytes, or them and the start of a
            // journal that the reader passes over.
            const SeenFile before = m_seen;
            m_seen = seenFrom(outcome.status);
            m_seen.plain = before.plain && !outcome.journalLeft;
            if (outcome.journalLeft)
                m_seen.keptLength = std::min<std::uint64_t>(now.size, before.keptLength);
        }
        return { reasonText(outcome.error), !changedElsewhere && outcome.readsAsBefore };
    }
    m_seen = seenFrom(outcome.status);
    m_seen.sum = checksum(bytes);
    m_seen.sumKnown = !outcome.journalLeft;
    m_seen.plain = !outcome.journalLeft;
    return result;
}

} // namespace tickwell
