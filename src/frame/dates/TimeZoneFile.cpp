// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/TimeZoneFile.h"

#include <cstdlib>
#include <sys/stat.h>

namespace tickwell {

std::string timeZoneFileFor(const char* tz, const char* tzdir)
{
    if (!tz)
        return "/etc/localtime";
    std::string_view name = tz;
    if (name.starts_with(':'))
        name.remove_prefix(1);
    if (name.empty())
        return {};
    if (name.starts_with('/'))
        return std::string(name);
    const std::string_view folder = tzdir && *tzdir ? tzdir : "/usr/share/zoneinfo";
    return std::string(folder) + '/' + std::string(name);
}

bool TimeZoneFile::Identity::operator==(const Identity& other) const noexcept
{
    return device == other.device && inode == other.inode && size == other.size
        && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
        && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec
        && exists == other.exists;
}

TimeZoneFile::Identity TimeZoneFile::identityOf(const std::string& path)
{
    struct stat info { };
    // Following symbolic links: /etc/localtime pointed at another zone
    // shows up as another file.
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return {};
    return { info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim, true };
}

bool TimeZoneFile::followChanges()
{
    const Identity now = identityOf(timeZoneFileFor(std::getenv("TZ"), std::getenv("TZDIR")));
    if (!m_seen) {
        m_seen = now;
        return false;
    }
    if (now == *m_seen)
        return false;
    m_seen = now;
    rereadZone();
    return true;
}

void TimeZoneFile::nameTheDefault()
{
    if (!std::getenv("TZ"))
        ::setenv("TZ", ":/etc/localtime", 1);
}

void TimeZoneFile::rereadZone()
{
    // The C library keeps the zone it read until TZ names another, and
    // even then reads the same file again only if its inode or its
    // modification time, in whole seconds, changed: a zone file rewritten
    // within a second, or copied with its times kept, would be missed for
    // good. A zone that is no file in between makes it read the file anew.
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> name = tz ? std::optional<std::string>(tz) : std::nullopt;
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    if (name)
        ::setenv("TZ", name->c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

} // namespace tickwell
