// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/SeriesFile.h"

#include "alarms/AlarmFile.h"
#include "alarms/WholeFileRead.h"

namespace tickwell {

SeriesFile::SeriesFile(const AlarmFile& alarms)
    : m_alarms(alarms)
    , m_file(maxAlarmFileBytes)
{
}

std::filesystem::path SeriesFile::path() const
{
    // Beside the file the alarm file's links end at: a link to another
    // folder's alarms takes that folder's series with it.
    return resolveLinks(m_alarms.path()).replace_extension(extension);
}

std::filesystem::path SeriesFile::displayPath() const
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path(), error);
    return error ? path() : absolute;
}

std::vector<SeriesLine> SeriesFile::load()
{
    m_kept.clear();
    const std::optional<std::string> text = m_file.read(resolveLinks(path()), m_loadFailure);
    if (!text)
        return {};
    SeriesFileContents contents = parseSeriesFile(*text);
    m_kept = std::move(contents.kept);
    return std::move(contents.lines);
}

void SeriesFile::keep(std::string_view lines)
{
    m_kept += lines;
}

StoreResult SeriesFile::write(std::span<const SeriesLine> lines)
{
    if (!m_loadFailure.empty())
        return { "it could not be read when the alarms were loaded (" + m_loadFailure + ")" };
    return m_file.replace(resolveLinks(path()), formatSeriesFile(lines, m_kept));
}

} // namespace tickwell
