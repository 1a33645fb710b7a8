#include "alarms/AlarmFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tickwell {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept
        : m_fd(fd)
    {
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { close(); }

    int get() const noexcept { return m_fd; }
    bool valid() const noexcept { return m_fd >= 0; }
    void reset(int fd) noexcept
    {
        close();
        m_fd = fd;
    }
    // Reports the error of the final close, which can be the first word of a failed write.
    int close() noexcept
    {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

std::string reasonText(int error)
{
    return std::generic_category().message(error);
}

const char* const notRegularFile = "it is not a regular file";

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

// The file a chain of symbolic links ends at (or would be created at).
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

// For a file the user may write in a directory the user may not: there is
// no room beside it for a new file. The new text is written over the old
// before the file is cut to its length, so a crash in between leaves the
// new records followed by a piece of the old ones, which the reader keeps
// but loses no alarm over.
StoreResult rewriteInPlace(const std::filesystem::path& target, std::string_view bytes)
{
    FileDescriptor file { ::open(target.c_str(), O_WRONLY | O_CLOEXEC) };
    if (!file.valid())
        return { reasonText(errno) };
    if (!writeAll(file.get(), bytes) || ::ftruncate(file.get(), off_t(bytes.size())) != 0
        || ::fsync(file.get()) != 0 || file.close() != 0)
        return { reasonText(errno) };
    return {};
}

// Makes the rename itself durable.
void syncDirectory(const std::filesystem::path& directory)
{
    FileDescriptor dir { ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) };
    if (dir.valid())
        ::fsync(dir.get());
}

} // namespace

AlarmFile::AlarmFile(std::filesystem::path directory)
    : m_directory(std::move(directory))
{
}

std::filesystem::path AlarmFile::path() const
{
    return m_directory.empty() ? std::filesystem::path(fileName) : m_directory / fileName;
}

std::vector<AlarmRecord> AlarmFile::load()
{
    m_unreadable.clear();
    m_loadFailure.clear();

    FileDescriptor file { ::open(path().c_str(), O_RDONLY | O_CLOEXEC) };
    if (!file.valid()) {
        if (errno != ENOENT)
            m_loadFailure = reasonText(errno);
        return {};
    }
    struct stat info { };
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_loadFailure = notRegularFile;
        return {};
    }

    std::string bytes;
    bytes.reserve(std::size_t(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), chunk, sizeof chunk);
        if (count == 0)
            break;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            m_loadFailure = reasonText(errno);
            return {};
        }
        bytes.append(chunk, std::size_t(count));
    }
    file.close();

    AlarmFileContents contents = parseAlarmFile(bytes);
    m_unreadable = std::move(contents.unreadable);
    return std::move(contents.records);
}

StoreResult AlarmFile::append(const AlarmRecord& record)
{
    ++m_writeCount;
    const std::filesystem::path name = path();
    FileDescriptor file { ::open(name.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666) };
    bool canRead = true;
    if (!file.valid() && errno == EACCES) {
        file.reset(::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
        canRead = false;
    }
    if (!file.valid())
        return { reasonText(errno) };

    struct stat info { };
    if (::fstat(file.get(), &info) != 0)
        return { reasonText(errno) };
    if (!S_ISREG(info.st_mode))
        return { notRegularFile };

    std::string bytes = formatAlarmRecord(record);
    // A hand-edited last record may lack its line end; the new record must
    // not be glued to it.
    char last = '\n';
    if (canRead && info.st_size > 0 && ::pread(file.get(), &last, 1, info.st_size - 1) == 1 && last != '\n'
        && last != '\r')
        bytes.insert(0, "\r\n");

    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0) {
        const int error = errno;
        if (::ftruncate(file.get(), info.st_size) != 0) {
            // Nothing more can be done; the reader stops at the broken record
            // and keeps it, so the alarms before it stay.
        }
        return { reasonText(error) };
    }
    if (file.close() != 0)
        return { reasonText(errno) };
    return {};
}

StoreResult AlarmFile::rewrite(std::span<const AlarmRecord> records)
{
    ++m_writeCount;
    if (!m_loadFailure.empty())
        return { "it could not be read when the alarms were loaded (" + m_loadFailure + ")" };

    const std::string bytes = formatAlarmFile(records, m_unreadable);
    const std::filesystem::path target = resolveLinks(path());

    struct stat old { };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return { notRegularFile };
    // A file the user made read-only stays as it is, although its directory
    // would let us replace it.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return { reasonText(errno) };

    std::filesystem::path directory = target.parent_path();
    if (directory.empty())
        directory = ".";

    FileDescriptor temp;
    std::string tempName;
    for (int attempt = 0; !temp.valid(); ++attempt) {
        tempName = (directory
            / ("." + std::string(fileName) + "." + std::to_string(::getpid()) + "." + std::to_string(attempt)
                + ".tmp"))
                       .string();
        temp.reset(::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!temp.valid() && exists && (errno == EACCES || errno == EPERM))
            return rewriteInPlace(target, bytes);
        if (!temp.valid() && (errno != EEXIST || attempt == 100))
            return { reasonText(errno) };
    }
    const auto discardTemp = [&tempName](int error) {
        ::unlink(tempName.c_str());
        return StoreResult { reasonText(error) };
    };

    if (exists && ::fchmod(temp.get(), old.st_mode & 07777) != 0) {
        // The new file keeps the default permissions; not worth failing for.
    }
    if (!writeAll(temp.get(), bytes) || ::fsync(temp.get()) != 0)
        return discardTemp(errno);
    if (temp.close() != 0)
        return discardTemp(errno);
    if (::rename(tempName.c_str(), target.c_str()) != 0)
        return discardTemp(errno);
    syncDirectory(directory);
    return {};
}

} // namespace tickwell
