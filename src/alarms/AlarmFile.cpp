// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmFile.h"

#include "alarms/WholeFileRead.h"

#include <sys/stat.h>

namespace tickwell {

AlarmFile::AlarmFile(std::filesystem::path directory)
    : m_directory(std::move(directory))
{
}

std::filesystem::path AlarmFile::path() const
{
    return m_directory.empty() ? std::filesystem::path(fileName) : m_directory / fileName;
}

std::filesystem::path AlarmFile::displayPath() const
{
    // Without the error code, a working directory that has been removed
    // would throw here.
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path(), error);
    return error ? path() : absolute;
}

AlarmFile::Identity AlarmFile::identity() const
{
    // Neither links, bind mounts nor rewrites of the file change these.
    Identity identity { 0, 0, resolveLinks(path()).filename().string() };
    struct stat info { };
    if (::stat(resolvedDirectory().c_str(), &info) == 0) {
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
    }
    return identity;
}

std::filesystem::path AlarmFile::resolvedDirectory() const
{
    const std::filesystem::path directory = resolveLinks(path()).parent_path();
    return directory.empty() ? "." : directory;
}

std::vector<AlarmRecord> AlarmFile::load()
{
    m_leading.clear();
    m_unreadable.clear();
    const std::optional<std::string> text = m_file.read(resolveLinks(path()), m_loadFailure);
    if (!text)
        return {};
    AlarmFileContents contents = parseAlarmFile(*text);
    m_leading = std::move(contents.leading);
    m_unreadable = std::move(contents.unreadable);
    return std::move(contents.records);
}

StoreResult AlarmFile::append(std::span<const AlarmRecord> listed, const AlarmRecord& record)
{
    ++m_writeCount;
    if (std::string fault = recordFault(record); !fault.empty())
        return { fault };
    // Records added after what could not be read, after a journal or to a
    // file that is not what the lists came from would not be read back as
    // the lists stand: the whole file is written instead.
    const std::filesystem::path target = resolveLinks(path());
    if (!m_file.canAppend(target) || !m_unreadable.empty()) {
        std::vector<AlarmRecord> records(listed.begin(), listed.end());
        records.push_back(record);
        return writeRecords(records);
    }
    return m_file.append(target, formatAlarmRecord(record), "\r\n");
}

StoreResult AlarmFile::rewrite(std::span<const AlarmRecord> records)
{
    ++m_writeCount;
    return writeRecords(records);
}

StoreResult AlarmFile::writeRecords(std::span<const AlarmRecord> records)
{
    if (!m_loadFailure.empty())
        return { "it could not be read when the alarms were loaded (" + m_loadFailure + ")" };
    for (const AlarmRecord& record : records) {
        if (std::string fault = recordFault(record); !fault.empty())
            return { fault };
    }
    return m_file.replace(resolveLinks(path()), formatAlarmFile(records, m_unreadable, m_leading));
}

} // namespace tickwell
